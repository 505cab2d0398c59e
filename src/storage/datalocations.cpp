#include "engine/errorcontrol.h"
#include "storage/global.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace moravel {

bool createFolder(const QString& path, errorControl& error) {
    if (!path.isEmpty() && QFileInfo(path).isDir()) {
        return true;
    }
    // One level only: the parent must exist already. mkdir(2) gives us the system's error code
    // for the message, which QDir does not.
    const QByteArray native = QFile::encodeName(path);
    if (path.isEmpty() || ::mkdir(native.constData(), 0777) != 0) {
        const int code = path.isEmpty() ? ENOENT : errno;
        error.message = QStringLiteral("Fallo creación directorio") + QString::number(code);
        return false;
    }
    return true;
}

} // namespace moravel
