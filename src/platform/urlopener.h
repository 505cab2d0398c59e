#pragma once

#include <QUrl>

namespace moravel {

// Opens a web page in the user's browser. The window hands in the desktop's own way; tests
// record the address instead.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when no browser could be started for the address.
    virtual bool openUrl(const QUrl& url) = 0;
};

} // namespace moravel
