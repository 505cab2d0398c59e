#include "platform/xdgurlopener.h"

#include <QProcess>

namespace moravel {

bool XdgUrlOpener::openUrl(const QUrl& url) {
    // Detached: a browser started by xdg-open may run for as long as the user keeps it open.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

} // namespace moravel
