#include "engine/errorcontrol.h"
#include "storage/configtexts.h"
#include "storage/global.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace moravel {

bool createFolder(const QString& path, errorControl& error) {
    if (!path.isEmpty() && QDir::isAbsolutePath(path) && QFileInfo(path).isDir()) {
        return true;
    }
    // An empty path is a failed lookup and a relative one would land wherever the program was
    // started from: neither names a folder of the user's.
    if (path.isEmpty()) {
        error.message = configtexts::folderCreationFailed() + QString::number(ENOENT) +
                        configtexts::noFolderGiven();
        return false;
    }
    if (!QDir::isAbsolutePath(path)) {
        error.message = configtexts::folderCreationFailed() + QString::number(ENOENT) +
                        configtexts::folderNotAFullPath(path);
        return false;
    }
    // One level only: the parent must exist already. mkdir(2) gives us the system's error code
    // for the message, which QDir does not; the person reading it gets its words too.
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
        const int code = errno;
        error.message =
            configtexts::folderCreationFailed() + QString::number(code) +
            configtexts::folderCreationReason(path, QString::fromLocal8Bit(std::strerror(code)));
        return false;
    }
    return true;
}

} // namespace moravel
