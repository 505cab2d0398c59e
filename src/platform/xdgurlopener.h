#pragma once

#include "platform/urlopener.h"

namespace moravel {

// Opens web pages with xdg-open, the desktop-neutral way for programs without a window of
// their own (the command line).
class XdgUrlOpener final : public UrlOpener {
public:
    // False when xdg-open could not be started.
    bool openUrl(const QUrl& url) override;
};

} // namespace moravel
