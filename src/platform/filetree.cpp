#include "platform/filetree.h"

#include "platform/shelltexts.h"

#include <QFile>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace moravel::filetree {

void Failure::set(int errorNumber, const QByteArray& path) {
    error = errorNumber;
    reason.clear();
    where = QFile::decodeName(path);
}

void Failure::set(const QString& ownReason, const QByteArray& path) {
    error = 0;
    reason = ownReason;
    where = QFile::decodeName(path);
}

QString Failure::describe(const QByteArray& item) const {
    QString text = error != 0 ? qt_error_string(error) : reason;
    if (!where.isEmpty() && where != QFile::decodeName(item)) {
        text += QStringLiteral(" (%1)").arg(where);
    }
    return text;
}

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.release();
    }
    return *this;
}

Fd::~Fd() {
    close();
}

int Fd::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool Fd::close() {
    if (m_fd < 0) {
        return true;
    }
    const int fd = release();
    // Linux frees the descriptor even when close() fails, so it is never retried.
    return ::close(fd) == 0 || errno == EINTR;
}

namespace {

constexpr unsigned int statxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_ATIME |
                                     STATX_MTIME | STATX_INO | STATX_SIZE;

bool statEntry(int dir, const char* name, struct statx& sx, bool follow = false) {
    const int flags = AT_STATX_SYNC_AS_STAT | (follow ? 0 : AT_SYMLINK_NOFOLLOW);
    return ::statx(dir, name, flags, statxWanted, &sx) == 0;
}

bool isLocked(const struct statx& sx) {
    const auto locked =
        static_cast<decltype(sx.stx_attributes)>(STATX_ATTR_IMMUTABLE) | STATX_ATTR_APPEND;
    return (sx.stx_attributes & sx.stx_attributes_mask & locked) != 0;
}

// Why `entry` could not be unlinked from `folder` by us, as an error number, or 0. Whether the
// folder is writable is asked separately (the kernel knows our capabilities best).
int removalBlocked(const struct statx& folder, const struct statx& entry) {
    if (isLocked(folder) || isLocked(entry)) {
        return EPERM;
    }
    const uid_t me = geteuid();
    if ((folder.stx_mode & S_ISVTX) != 0 && me != 0 && entry.stx_uid != me &&
        folder.stx_uid != me) {
        return EPERM;
    }
    return 0;
}

// File systems that cannot hold owners, permissions or times (a FAT stick) still take the
// data; the copy is no less complete for that.
bool metadataUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

struct Walk {
    Walk(const CopyOptions& copyOptions, Failure& failureOut)
        : options(copyOptions), failure(failureOut) {}

    const CopyOptions& options;
    Failure& failure;
    bool keepOwner = geteuid() == 0;
    bool tryCopyRange = true;
    bool trySendfile = true;
    std::vector<char> buffer;

    bool fail(int error, const QByteArray& path) {
        failure.set(error, path);
        return false;
    }
    bool fail(const QString& reason, const QByteArray& path) {
        failure.set(reason, path);
        return false;
    }
};

timespec toTimespec(const struct statx_timestamp& t) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(t.tv_sec);
    ts.tv_nsec = static_cast<long>(t.tv_nsec);
    return ts;
}

bool writeAllAt(int out, const char* data, size_t size, off_t at) {
    while (size > 0) {
        const ssize_t n = ::pwrite(out, data, size, at);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        at += n;
    }
    return true;
}

// The kernel copies between files without a trip through our memory where it can:
// copy_file_range on one file system (and across two where the kernel takes it), sendfile
// otherwise; plain reads and writes where neither works.
enum class Way { Range, Sendfile, Plain };

struct DataCopy {
    Walk& walk;
    int in;
    int out;
    const QByteArray& path;
    Way way;
    // The way has copied something of this file, so a failure of it now is a real one.
    bool proven = false;
    // Where the file position of `out` stands: sendfile writes there, the others at the offsets
    // they are given.
    off_t outPosition = 0;
};

// Copies the bytes from `start` to `end` of the source to the same offsets of the copy; with
// `end` -1, up to the end of the file. A file that ends sooner (it shrank meanwhile) ends the
// copy there.
bool copyRange(DataCopy& copy, off_t start, off_t end) {
    constexpr off_t chunk = off_t{1} << 30;
    Walk& walk = copy.walk;
    off_t position = start;
    while (end < 0 || position < end) {
        const auto wanted = static_cast<size_t>(end < 0 ? chunk : std::min(chunk, end - position));
        ssize_t n = 0;
        if (copy.way == Way::Range) {
            loff_t from = position;
            loff_t to = position;
            n = ::copy_file_range(copy.in, &from, copy.out, &to, wanted, 0);
            if (n < 0 && !copy.proven &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                // Between these two file systems it will not work for the next file either.
                if (errno == EXDEV || errno == ENOSYS) {
                    walk.tryCopyRange = false;
                }
                copy.way = walk.trySendfile ? Way::Sendfile : Way::Plain;
                continue;
            }
        } else if (copy.way == Way::Sendfile) {
            if (copy.outPosition != position) {
                if (::lseek(copy.out, position, SEEK_SET) < 0) {
                    return walk.fail(errno, copy.path);
                }
                copy.outPosition = position;
            }
            off_t from = position;
            n = ::sendfile(copy.out, copy.in, &from, wanted);
            if (n < 0 && !copy.proven && (errno == EINVAL || errno == ENOSYS)) {
                walk.trySendfile = false;
                copy.way = Way::Plain;
                continue;
            }
            if (n > 0) {
                copy.outPosition += n;
            }
        } else {
            if (walk.buffer.empty()) {
                walk.buffer.resize(size_t{1} << 20);
            }
            n = ::pread(copy.in, walk.buffer.data(), std::min(wanted, walk.buffer.size()),
                        position);
            if (n > 0 &&
                !writeAllAt(copy.out, walk.buffer.data(), static_cast<size_t>(n), position)) {
                return walk.fail(errno, copy.path);
            }
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return walk.fail(errno, copy.path);
        }
        if (n == 0) {
            // Some file systems report no data to the kernel's copy; read them plainly.
            if (copy.way != Way::Plain && !copy.proven) {
                copy.way = Way::Plain;
                continue;
            }
            return true;
        }
        copy.proven = true;
        position += n;
    }
    return true;
}

// Copies the data of the file `in` to the new, empty file `out`. The holes of a sparse file stay
// holes: only its data segments are copied, each to its own offset, and the size is set at the
// end, so that a hole at the end stays one too. A disk image or a virtual machine's disk of
// many gigabytes takes no more room in the copy than in the original.
bool copyData(Walk& walk, int in, int out, const struct stat& opened, const QByteArray& path) {
    DataCopy copy{walk, in, out, path,
                  walk.tryCopyRange  ? Way::Range
                  : walk.trySendfile ? Way::Sendfile
                                     : Way::Plain};
    // Only a file that takes less room than its size can hold a hole (st_blocks counts 512-byte
    // units); a dense file is copied in one stream, without asking where its holes are.
    if (opened.st_blocks * 512 >= opened.st_size) {
        return copyRange(copy, 0, -1);
    }
    off_t offset = 0;
    for (;;) {
        const off_t data = ::lseek(in, offset, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {
                break; // a hole from `offset` to the end, or the end itself
            }
            if (offset == 0 && (errno == EINVAL || errno == EOPNOTSUPP)) {
                // The file system does not say where its holes are: copy it all.
                return copyRange(copy, 0, -1);
            }
            return walk.fail(errno, path);
        }
        const off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0) {
            if (errno == ENXIO) {
                break; // the file shrank meanwhile
            }
            return walk.fail(errno, path);
        }
        if (!copyRange(copy, data, hole)) {
            return false;
        }
        offset = hole;
    }
    struct stat now {};
    if (::fstat(in, &now) != 0) {
        return walk.fail(errno, path);
    }
    if (::ftruncate(out, now.st_size) != 0) {
        return walk.fail(errno, path);
    }
    return true;
}

bool finishMetadata(Walk& walk, int fd, const struct statx& sx, const QByteArray& path) {
    if (walk.keepOwner && ::fchown(fd, sx.stx_uid, sx.stx_gid) != 0 &&
        !metadataUnsupported(errno)) {
        return walk.fail(errno, path);
    }
    if (::fchmod(fd, sx.stx_mode & 07777) != 0 && !metadataUnsupported(errno)) {
        return walk.fail(errno, path);
    }
    const timespec times[2] = {toTimespec(sx.stx_atime), toTimespec(sx.stx_mtime)};
    if (::futimens(fd, times) != 0 && !metadataUnsupported(errno)) {
        return walk.fail(errno, path);
    }
    return true;
}

bool copyEntry(Walk& walk, int srcDir, const char* srcName, const QByteArray& srcPath,
               const struct statx* srcFolder, int dstDir, const char* dstName);

bool copyFile(Walk& walk, int srcDir, const char* srcName, const QByteArray& srcPath,
              const struct statx& sx, int dstDir, const char* dstName) {
    // O_NONBLOCK: should the entry have become a pipe since it was looked at, opening it must
    // not hang.
    Fd in(::openat(srcDir, srcName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!in.valid()) {
        return walk.fail(errno, srcPath);
    }
    struct stat opened {};
    if (::fstat(in.get(), &opened) != 0) {
        return walk.fail(errno, srcPath);
    }
    if (!S_ISREG(opened.st_mode) || opened.st_ino != sx.stx_ino) {
        return walk.fail(shelltexts::changedMeanwhile(), srcPath);
    }
    Fd out(::openat(dstDir, dstName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.valid()) {
        return walk.fail(errno, srcPath);
    }
    if (!copyData(walk, in.get(), out.get(), opened, srcPath) ||
        !finishMetadata(walk, out.get(), sx, srcPath)) {
        return false;
    }
    if (!out.close()) {
        return walk.fail(errno, srcPath);
    }
    return true;
}

bool copyLink(Walk& walk, int srcDir, const char* srcName, const QByteArray& srcPath,
              const struct statx& sx, int dstDir, const char* dstName) {
    std::vector<char> target(static_cast<size_t>(sx.stx_size) + 2);
    for (;;) {
        const ssize_t n = ::readlinkat(srcDir, srcName, target.data(), target.size());
        if (n < 0) {
            return walk.fail(errno, srcPath);
        }
        if (static_cast<size_t>(n) < target.size()) {
            target[static_cast<size_t>(n)] = '\0';
            break;
        }
        target.resize(target.size() * 2);
    }
    if (::symlinkat(target.data(), dstDir, dstName) != 0) {
        return walk.fail(errno, srcPath);
    }
    if (walk.keepOwner &&
        ::fchownat(dstDir, dstName, sx.stx_uid, sx.stx_gid, AT_SYMLINK_NOFOLLOW) != 0 &&
        !metadataUnsupported(errno)) {
        return walk.fail(errno, srcPath);
    }
    const timespec times[2] = {toTimespec(sx.stx_atime), toTimespec(sx.stx_mtime)};
    if (::utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW) != 0 &&
        !metadataUnsupported(errno)) {
        return walk.fail(errno, srcPath);
    }
    return true;
}

bool copySpecial(Walk& walk, const QByteArray& srcPath, const struct statx& sx, int dstDir,
                 const char* dstName) {
    const dev_t device = makedev(sx.stx_rdev_major, sx.stx_rdev_minor);
    if (::mknodat(dstDir, dstName, (sx.stx_mode & S_IFMT) | 0600, device) != 0) {
        return walk.fail(errno, srcPath);
    }
    Fd fd(::openat(dstDir, dstName, O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        return walk.fail(errno, srcPath);
    }
    // fchmod and futimens do not take O_PATH descriptors; the /proc link of the descriptor
    // names the very node we made.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd.get());
    if (walk.keepOwner && ::chown(self.constData(), sx.stx_uid, sx.stx_gid) != 0 &&
        !metadataUnsupported(errno)) {
        return walk.fail(errno, srcPath);
    }
    if (::chmod(self.constData(), sx.stx_mode & 07777) != 0 && !metadataUnsupported(errno)) {
        return walk.fail(errno, srcPath);
    }
    const timespec times[2] = {toTimespec(sx.stx_atime), toTimespec(sx.stx_mtime)};
    if (::utimensat(AT_FDCWD, self.constData(), times, 0) != 0 && !metadataUnsupported(errno)) {
        return walk.fail(errno, srcPath);
    }
    return true;
}

bool copyFolder(Walk& walk, int srcDir, const char* srcName, const QByteArray& srcPath,
                const struct statx& sx, int dstDir, const char* dstName) {
    if (makedev(sx.stx_dev_major, sx.stx_dev_minor) == walk.options.destinationDevice &&
        sx.stx_ino == walk.options.destinationInode) {
        return walk.fail(shelltexts::insideItself(), srcPath);
    }
    if (walk.options.checkRemovable &&
        ::faccessat(srcDir, srcName, W_OK | X_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0) {
        return walk.fail(errno, srcPath);
    }
    Fd src(::openat(srcDir, srcName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!src.valid()) {
        return walk.fail(errno, srcPath);
    }
    struct stat opened {};
    if (::fstat(src.get(), &opened) != 0) {
        return walk.fail(errno, srcPath);
    }
    if (opened.st_ino != sx.stx_ino) {
        return walk.fail(shelltexts::changedMeanwhile(), srcPath);
    }
    if (::mkdirat(dstDir, dstName, 0700) != 0) {
        return walk.fail(errno, srcPath);
    }
    Fd dst(::openat(dstDir, dstName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dst.valid()) {
        return walk.fail(errno, srcPath);
    }
    DIR* listing = ::fdopendir(src.get());
    if (listing == nullptr) {
        return walk.fail(errno, srcPath);
    }
    src.release();
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (entry == nullptr) {
            if (errno != 0) {
                ok = walk.fail(errno, srcPath);
            }
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        const QByteArray path = srcPath + '/' + name;
        if (!copyEntry(walk, ::dirfd(listing), name, path, &sx, dst.get(), name)) {
            ok = false;
            break;
        }
    }
    ::closedir(listing);
    // Permissions and times last: the entries made above would change the times, and a folder
    // without write permission could not have been filled.
    if (!ok || !finishMetadata(walk, dst.get(), sx, srcPath)) {
        return false;
    }
    if (!dst.close()) {
        return walk.fail(errno, srcPath);
    }
    return true;
}

bool copyEntry(Walk& walk, int srcDir, const char* srcName, const QByteArray& srcPath,
               const struct statx* srcFolder, int dstDir, const char* dstName) {
    struct statx sx {};
    if (!statEntry(srcDir, srcName, sx)) {
        return walk.fail(errno, srcPath);
    }
    if (walk.options.checkRemovable && srcFolder != nullptr) {
        if (const int blocked = removalBlocked(*srcFolder, sx); blocked != 0) {
            return walk.fail(blocked, srcPath);
        }
    }
    switch (sx.stx_mode & S_IFMT) {
    case S_IFREG:
        return copyFile(walk, srcDir, srcName, srcPath, sx, dstDir, dstName);
    case S_IFLNK:
        return copyLink(walk, srcDir, srcName, srcPath, sx, dstDir, dstName);
    case S_IFDIR:
        return copyFolder(walk, srcDir, srcName, srcPath, sx, dstDir, dstName);
    default:
        return copySpecial(walk, srcPath, sx, dstDir, dstName);
    }
}

enum class Kind { Unknown, Folder, Other };

bool removeEntry(int dir, const char* name, const QByteArray& path, Kind kind, bool makeWritable,
                 bool top, Failure& failure) {
    // Vanished meanwhile: for an entry inside the item that is what we wanted anyway.
    const auto gone = [&] {
        if (top) {
            failure.set(ENOENT, path);
            return false;
        }
        return true;
    };
    if (kind != Kind::Folder) {
        if (::unlinkat(dir, name, 0) == 0) {
            return true;
        }
        if (errno == ENOENT) {
            return gone();
        }
        if (errno != EISDIR) {
            failure.set(errno, path);
            return false;
        }
    }
    // O_NOFOLLOW: a link put in place of the folder meanwhile is never walked into.
    Fd fd(::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT) {
            return gone();
        }
        failure.set(errno, path);
        return false;
    }
    if (makeWritable) {
        ::fchmod(fd.get(), 0700);
    }
    DIR* listing = ::fdopendir(fd.get());
    if (listing == nullptr) {
        failure.set(errno, path);
        return false;
    }
    fd.release();
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (entry == nullptr) {
            if (errno != 0) {
                failure.set(errno, path);
                ok = false;
            }
            break;
        }
        const char* child = entry->d_name;
        if (child[0] == '.' && (child[1] == '\0' || (child[1] == '.' && child[2] == '\0'))) {
            continue;
        }
        const Kind childKind = entry->d_type == DT_DIR       ? Kind::Folder
                               : entry->d_type == DT_UNKNOWN ? Kind::Unknown
                                                             : Kind::Other;
        if (!removeEntry(::dirfd(listing), child, path + '/' + child, childKind, makeWritable,
                         false, failure)) {
            ok = false;
            break;
        }
    }
    ::closedir(listing);
    if (!ok) {
        return false;
    }
    if (::unlinkat(dir, name, AT_REMOVEDIR) != 0) {
        if (errno == ENOENT) {
            return gone();
        }
        failure.set(errno, path);
        return false;
    }
    return true;
}

} // namespace

bool copyItem(const QByteArray& source, int destinationDir, const QByteArray& name,
              const CopyOptions& options, Failure& failure) {
    Walk walk(options, failure);
    return copyEntry(walk, AT_FDCWD, source.constData(), source, nullptr, destinationDir,
                     name.constData());
}

bool removeItem(int dir, const QByteArray& name, bool makeWritable, Failure& failure) {
    return removeEntry(dir, name.constData(), name, Kind::Unknown, makeWritable, true, failure);
}

bool checkRemovable(const QByteArray& parentFolder, const QByteArray& item, Failure& failure) {
    struct statx folder {};
    struct statx entry {};
    if (!statEntry(AT_FDCWD, parentFolder.constData(), folder, true)) {
        failure.set(errno, parentFolder);
        return false;
    }
    if (::faccessat(AT_FDCWD, parentFolder.constData(), W_OK | X_OK, AT_EACCESS) != 0) {
        failure.set(errno, parentFolder);
        return false;
    }
    if (!statEntry(AT_FDCWD, item.constData(), entry)) {
        failure.set(errno, item);
        return false;
    }
    if (const int blocked = removalBlocked(folder, entry); blocked != 0) {
        failure.set(blocked, item);
        return false;
    }
    return true;
}

} // namespace moravel::filetree
