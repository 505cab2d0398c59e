#pragma once

#include "platform/urlopener.h"

namespace moravel {

// Opens web pages with the desktop's default browser.
class DesktopUrlOpener final : public UrlOpener {
public:
    bool openUrl(const QUrl& url) override;
};

} // namespace moravel
