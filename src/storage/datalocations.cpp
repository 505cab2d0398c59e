#include "engine/errorcontrol.h"
#include "storage/configtexts.h"
#include "storage/global.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace moravel {

bool createFolder(const QString& path, errorControl& error) {
    if (!path.isEmpty() && QDir::isAbsolutePath(path) && QFileInfo(path).isDir()) {
        return true;
    }
    // An empty path is a failed lookup and a relative one would land wherever the program was
    // started from: neither names a folder of the user's.
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) {
        error.message = configtexts::folderCreationFailed() + QString::number(ENOENT);
        return false;
    }
    // One level only: the parent must exist already. mkdir(2) gives us the system's error code
    // for the message, which QDir does not.
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
        error.message = configtexts::folderCreationFailed() + QString::number(errno);
        return false;
    }
    return true;
}

} // namespace moravel
