#include "ui/desktopurlopener.h"

#include <QDesktopServices>

namespace moravel {

bool DesktopUrlOpener::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace moravel
