#include "platform/trash.h"

#include "engine/filename.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The top folder of the file system that holds `folder`: the last folder on the way up that is
// on the same device.
QByteArray topFolderOf(QByteArray folder) {
    struct stat here {};
    if (::stat(folder.constData(), &here) != 0) {
        return {};
    }
    while (folder != "/") {
        const QByteArray parent = parentOf(folder);
        struct stat above {};
        if (::stat(parent.constData(), &above) != 0 || above.st_dev != here.st_dev) {
            break;
        }
        folder = parent;
    }
    return folder;
}

// A small file read whole; empty when it cannot be read.
QByteArray readSmallFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0 || bytes.size() > 64 * 1024) {
            break;
        }
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

// The entries of one trash folder (with "files" and "info") whose original path is `wanted`.
// Relative paths in it count from `top` (the file system's top folder).
void collect(const QByteArray& trash, const QByteArray& top, const QByteArray& wanted,
             std::vector<TrashEntry>& entries) {
    const QByteArray infoFolder = trash + "/info";
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(infoFolder.constData()));
    if (!dir) {
        return;
    }
    const QByteArray suffix = ".trashinfo";
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (!name.endsWith(suffix) || name.size() == suffix.size()) {
            continue;
        }
        const QByteArray info = infoFolder + '/' + name;
        QByteArray path;
        QByteArray date;
        bool inSection = false;
        for (const QByteArray& rawLine : readSmallFile(info).split('\n')) {
            const QByteArray line = rawLine.trimmed();
            if (line.startsWith('[')) {
                inSection = line == "[Trash Info]";
            } else if (inSection && line.startsWith("Path=")) {
                path = QByteArray::fromPercentEncoding(line.mid(5));
            } else if (inSection && line.startsWith("DeletionDate=")) {
                date = line.mid(13);
            }
        }
        if (path.isEmpty()) {
            continue;
        }
        if (!path.startsWith('/')) {
            path = (top == "/" ? QByteArray() : top) + '/' + path;
        }
        if (path != wanted) {
            continue;
        }
        TrashEntry found;
        found.info = info;
        found.file = trash + "/files/" + name.chopped(suffix.size());
        found.originalPath = path;
        found.deletedAt = QDateTime::fromString(QString::fromLatin1(date), Qt::ISODate);
        struct stat status {};
        if (found.deletedAt.isValid() && ::lstat(found.file.constData(), &status) == 0) {
            entries.push_back(std::move(found));
        }
    }
}

} // namespace

bool moveToTrash(const QByteArray& path, QString& reason) {
    GFile* file = g_file_new_for_path(path.constData());
    GError* error = nullptr;
    const bool trashed = g_file_trash(file, nullptr, &error) != FALSE;
    if (!trashed) {
        reason = error != nullptr ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
    }
    g_object_unref(file);
    return trashed;
}

QByteArray homeTrash() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QByteArray() : QFile::encodeName(data) + "/Trash";
}

std::vector<TrashEntry> trashEntriesOf(const QByteArray& originalPath) {
    std::vector<TrashEntry> entries;
    const QByteArray home = homeTrash();
    if (!home.isEmpty()) {
        collect(home, QByteArrayLiteral("/"), originalPath, entries);
    }
    const QByteArray top = topFolderOf(parentOf(originalPath));
    if (!top.isEmpty()) {
        const QByteArray uid = QByteArray::number(::getuid());
        const QByteArray base = top == "/" ? QByteArray() : top;
        // A shared ".Trash" counts only when it is a real folder with the sticky bit, as the
        // specification demands; a link there could lead anywhere.
        struct stat shared {};
        if (::lstat((base + "/.Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
            (shared.st_mode & S_ISVTX) != 0) {
            collect(base + "/.Trash/" + uid, top, originalPath, entries);
        }
        collect(base + "/.Trash-" + uid, top, originalPath, entries);
    }
    return entries;
}

} // namespace moravel
