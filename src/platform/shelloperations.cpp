#include "platform/shelloperations.h"

#include "engine/filename.h"
#include "platform/filetree.h"
#include "platform/prompts.h"
#include "platform/shelltexts.h"
#include "platform/trash.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

using filetree::Failure;
using filetree::Fd;

namespace {

// A folder holding this many items of one name is not worth searching further.
constexpr int lastCandidate = 100000;
// The longest name most Linux file systems take, in bytes.
constexpr qsizetype usualNameMax = 255;

// Drops a trailing part of `bytes` so that at most `size` bytes remain, never cutting a UTF-8
// character in two (a name that is not UTF-8 is cut where it must).
QByteArray cutTo(const QByteArray& bytes, qsizetype size) {
    if (bytes.size() <= size) {
        return bytes;
    }
    if (size <= 0) {
        return {};
    }
    qsizetype end = size;
    const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    while (end > 0 && continuation(bytes[end])) {
        --end;
    }
    return bytes.left(end > 0 ? end : size);
}

// The name of candidate `number` for an item called `name`: the name itself, then
// "name (2).ext", "name (3).ext", ... The extension is the part after the last dot; a name that
// starts with its only dot (".profile") has none, and a folder never has one. A name longer
// than `nameMax` bytes loses the end of its stem, so that the number and extension stay.
QByteArray candidateName(const QByteArray& name, bool isFolder, int number, qsizetype nameMax) {
    const QByteArray suffix = number < 2 ? QByteArray() : " (" + QByteArray::number(number) + ')';
    const qsizetype dot = isFolder ? -1 : name.lastIndexOf('.');
    QByteArray stem = dot <= 0 ? name : name.left(dot);
    QByteArray extension = dot <= 0 ? QByteArray() : name.mid(dot);
    if (stem.size() + suffix.size() + extension.size() <= nameMax) {
        return stem + suffix + extension;
    }
    // An extension that leaves no room for a stem goes rather than the whole name.
    if (suffix.size() + extension.size() >= nameMax) {
        stem += extension;
        extension.clear();
    }
    return cutTo(stem, nameMax - suffix.size() - extension.size()) + suffix + extension;
}

QByteArray lastPart(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// The path with repeated "/" and "." parts dropped, and without a trailing "/", which would
// make the system follow a link. ".." is kept: it is the file system's to resolve.
QByteArray cleanPath(const QByteArray& path) {
    QByteArray clean;
    clean.reserve(path.size());
    const bool absolute = path.startsWith('/');
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == ".") {
            continue;
        }
        if (!clean.isEmpty() || absolute) {
            clean += '/';
        }
        clean += part;
    }
    if (clean.isEmpty()) {
        return absolute ? QByteArrayLiteral("/") : QByteArrayLiteral(".");
    }
    return clean;
}

// The longest name the file system of `dir` takes.
qsizetype nameMaxOf(int dir) {
    const long max = ::fpathconf(dir, _PC_NAME_MAX);
    return max > 0 ? static_cast<qsizetype>(max) : usualNameMax;
}

// The item an operation works on, looked at without following a link.
struct Item {
    QByteArray native;
    QByteArray name;
    QString shown; // the path as the user reads it
    bool isFolder = false;
    struct stat status {};

    // Takes the path apart without touching the disk; false for a path that names no item.
    bool setPath(const QByteArray& given, Failure& failure) {
        native = cleanPath(given);
        name = lastPart(native);
        shown = QFile::decodeName(native);
        if (name.isEmpty() || name == "." || name == ".." || native == "/") {
            failure.set(EINVAL, native);
            return false;
        }
        return true;
    }

    bool lookAt(Failure& failure) {
        if (::lstat(native.constData(), &status) != 0) {
            failure.set(errno, native);
            return false;
        }
        isFolder = S_ISDIR(status.st_mode);
        return true;
    }

    bool lookAt(const QByteArray& given, Failure& failure) {
        return setPath(given, failure) && lookAt(failure);
    }
};

// The folder an item goes into, held open so that it cannot be swapped for another meanwhile.
struct Destination {
    Fd dir;
    dev_t device = 0;
    ino_t inode = 0;

    bool open(const QByteArray& folder, Failure& failure) {
        dir = Fd(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat status {};
        if (!dir.valid() || ::fstat(dir.get(), &status) != 0) {
            // Never created on the fly: a mistyped folder must not become a new one, nor the
            // name of a file that takes the item's place.
            if (errno == ENOENT) {
                failure.set(shelltexts::noSuchFolder(), {});
            } else if (errno == ENOTDIR) {
                failure.set(shelltexts::notAFolder(), {});
            } else {
                failure.set(errno, {});
            }
            return false;
        }
        device = status.st_dev;
        inode = status.st_ino;
        return true;
    }

    // Whether this folder is `folder` or lies somewhere inside it.
    bool isWithin(const struct stat& folder) const {
        Fd current(::openat(dir.get(), ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat here {};
        if (!current.valid() || ::fstat(current.get(), &here) != 0) {
            return false;
        }
        for (;;) {
            if (here.st_dev == folder.st_dev && here.st_ino == folder.st_ino) {
                return true;
            }
            Fd up(::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
            struct stat above {};
            if (!up.valid() || ::fstat(up.get(), &above) != 0 ||
                (above.st_dev == here.st_dev && above.st_ino == here.st_ino)) {
                return false;
            }
            current = std::move(up);
            here = above;
        }
    }
};

// Renames `fromName` of `fromDir` to the first free name after `wanted` in `toDir`, never
// replacing anything that is there or arrives there meanwhile. Returns 0 or an error number;
// -1 when no free name was found.
int placeUnder(int fromDir, const QByteArray& fromName, int toDir, const QByteArray& wanted,
               bool isFolder, QByteArray& arrived) {
    qsizetype nameMax = nameMaxOf(toDir);
    int shortenings = 0;
    for (int number = 1; number <= lastCandidate; ++number) {
        const QByteArray target = candidateName(wanted, isFolder, number, nameMax);
        if (::renameat2(fromDir, fromName.constData(), toDir, target.constData(),
                        RENAME_NOREPLACE) == 0) {
            arrived = target;
            return 0;
        }
        int error = errno;
        if (error == ENAMETOOLONG && target.size() > 1 && ++shortenings <= usualNameMax) {
            // The file system counts names shorter than it says (an encrypted home folder):
            // the same number again, a little shorter.
            nameMax = target.size() - 1;
            --number;
            continue;
        }
        if (error == EINVAL && !isFolder) {
            // A file system without RENAME_NOREPLACE (NFS): a hard link is made only under a
            // free name, and the old name is dropped once the new one holds the item.
            if (::linkat(fromDir, fromName.constData(), toDir, target.constData(), 0) == 0) {
                if (::unlinkat(fromDir, fromName.constData(), 0) == 0) {
                    arrived = target;
                    return 0;
                }
                error = errno;
                ::unlinkat(toDir, target.constData(), 0);
                return error;
            }
            error = errno == EEXIST ? EEXIST : EINVAL;
        }
        if (error != EEXIST) {
            return error;
        }
    }
    return -1;
}

void setPlacementFailure(Failure& failure, int error) {
    if (error < 0) {
        failure.set(shelltexts::noFreeName(), {});
    } else {
        failure.set(error, {});
    }
}

// Copies the item to a hidden temporary name in the destination, so that nobody sees a partial
// copy under the item's name. On failure nothing of the copy is left.
bool copyToTemporary(const Item& item, const Destination& destination, bool checkRemovable,
                     QByteArray& temporary, Failure& failure) {
    filetree::CopyOptions options;
    options.checkRemovable = checkRemovable;
    options.destinationDevice = destination.device;
    options.destinationInode = destination.inode;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = ".moravel-" + QByteArray::number(QRandomGenerator::global()->generate64(), 16) +
                    ".part";
        failure = Failure();
        if (filetree::copyItem(item.native, destination.dir.get(), temporary, options, failure)) {
            return true;
        }
        // The temporary name was taken by chance: nothing of ours is there, so try another.
        if (failure.error == EEXIST && failure.where == item.shown) {
            continue;
        }
        Failure ignored;
        filetree::removeItem(destination.dir.get(), temporary, true, ignored);
        return false;
    }
    return false;
}

} // namespace

bool ShellOperations::shellMove(const QByteArray& source, const QByteArray& destinationFolder,
                                Arrival* arrival) {
    return shellMoveAs(source, destinationFolder, {}, arrival);
}

bool ShellOperations::shellMoveAs(const QByteArray& source, const QByteArray& destinationFolder,
                                  const QByteArray& name, Arrival* arrival) {
    Item item;
    Failure failure;
    const QString shownDestination = QFile::decodeName(destinationFolder);
    const auto fail = [&] {
        m_prompts.showMessage(shelltexts::moveFailed().arg(item.shown, shownDestination,
                                                           failure.describe(item.native)));
        return false;
    };
    if (!item.setPath(source, failure)) {
        return fail();
    }
    Destination destination;
    if (!destination.open(destinationFolder, failure)) {
        return fail();
    }
    const QByteArray wanted = name.isEmpty() ? item.name : name;
    if (!isPlainFileName(wanted)) {
        failure.set(EINVAL, {});
        return fail();
    }
    // The common case costs one rename; what it takes to find out why it did not go through
    // runs only then.
    QByteArray arrived = wanted;
    bool alreadyThere = false;
    int error = 0;
    if (::renameat2(AT_FDCWD, item.native.constData(), destination.dir.get(), wanted.constData(),
                    RENAME_NOREPLACE) != 0) {
        error = errno;
        if (!item.lookAt(failure)) {
            return fail();
        }
        struct stat parent {};
        if (error == EEXIST && wanted == item.name &&
            ::stat(parentOf(item.native).constData(), &parent) == 0 &&
            parent.st_dev == destination.device && parent.st_ino == destination.inode) {
            alreadyThere = true;
            error = 0;
        } else if (item.isFolder && destination.isWithin(item.status)) {
            failure.set(shelltexts::insideItself(), {});
            return fail();
        } else if (error != EXDEV) {
            error = placeUnder(AT_FDCWD, item.native, destination.dir.get(), wanted, item.isFolder,
                               arrived);
        }
        if (error != 0 && error != EXDEV) {
            setPlacementFailure(failure, error);
            return fail();
        }
    }
    if (error == EXDEV) {
        // Another file system: copy, put the copy in place, and only then remove the source.
        // Whatever cannot be removed afterwards is refused before anything is copied.
        if (!filetree::checkRemovable(parentOf(item.native), item.native, failure)) {
            return fail();
        }
        QByteArray temporary;
        if (!copyToTemporary(item, destination, true, temporary, failure)) {
            return fail();
        }
        if (const int placed = placeUnder(destination.dir.get(), temporary, destination.dir.get(),
                                          wanted, item.isFolder, arrived);
            placed != 0) {
            Failure ignored;
            filetree::removeItem(destination.dir.get(), temporary, true, ignored);
            setPlacementFailure(failure, placed);
            return fail();
        }
        // A source that vanished meanwhile leaves the copy as the only one: it stays.
        if (!filetree::removeItem(AT_FDCWD, item.native, false, failure) &&
            failure.error != ENOENT) {
            if (!item.isFolder) {
                // The file is still whole where it was: take the copy back.
                Failure ignored;
                filetree::removeItem(destination.dir.get(), arrived, true, ignored);
                return fail();
            }
            // Part of the folder is gone from its old place; the copy holds all of it, so it
            // stays, and the user learns what is left behind.
            m_prompts.showMessage(shelltexts::sourceNotRemoved().arg(
                item.shown, shownDestination, QFile::decodeName(arrived),
                failure.describe(item.native)));
        }
    }
    if (arrival != nullptr) {
        arrival->name = arrived;
        arrival->alreadyThere = alreadyThere;
    }
    return true;
}

bool ShellOperations::shellCopy(const QByteArray& source, const QByteArray& destination,
                                QByteArray* arrivedName) {
    Item item;
    Failure failure;
    const auto fail = [&] {
        m_prompts.showMessage(shelltexts::copyFailed().arg(
            item.shown, QFile::decodeName(destination), failure.describe(item.native)));
        return false;
    };
    if (!item.lookAt(source, failure)) {
        return fail();
    }
    QByteArray folder = cleanPath(destination);
    QByteArray wanted = item.name;
    struct stat status {};
    if (::stat(folder.constData(), &status) == 0) {
        if (!S_ISDIR(status.st_mode)) {
            if (item.isFolder) {
                failure.set(shelltexts::notAFolder(), {});
                return fail();
            }
            // The full path of a file that exists: the copy goes beside it, under a new name.
            wanted = lastPart(folder);
            folder = parentOf(folder);
        }
    } else if (errno == ENOENT && !item.isFolder) {
        // The full path of a file that does not exist yet: a single file is copied under it.
        wanted = lastPart(folder);
        folder = parentOf(folder);
    } else if (errno == ENOENT) {
        failure.set(shelltexts::noSuchFolder(), {});
        return fail();
    } else {
        failure.set(errno, {});
        return fail();
    }

    Destination target;
    if (!target.open(folder, failure)) {
        return fail();
    }
    if (item.isFolder && target.isWithin(item.status)) {
        failure.set(shelltexts::insideItself(), {});
        return fail();
    }
    QByteArray temporary;
    if (!copyToTemporary(item, target, false, temporary, failure)) {
        return fail();
    }
    QByteArray arrived;
    if (const int placed = placeUnder(target.dir.get(), temporary, target.dir.get(), wanted,
                                      item.isFolder, arrived);
        placed != 0) {
        Failure ignored;
        filetree::removeItem(target.dir.get(), temporary, true, ignored);
        setPlacementFailure(failure, placed);
        return fail();
    }
    if (arrivedName != nullptr) {
        *arrivedName = arrived;
    }
    return true;
}

bool ShellOperations::shellDelete(const QByteArray& path, bool recycle) {
    Item item;
    Failure failure;
    const auto fail = [&](const QString& reason) {
        m_prompts.showMessage(recycle ? shelltexts::trashFailed().arg(item.shown, reason)
                                      : shelltexts::deleteFailed().arg(item.shown, reason));
        return false;
    };
    if (!item.setPath(path, failure)) {
        return fail(failure.describe(item.native));
    }
    if (recycle) {
        QString reason;
        if (!moveToTrash(item.native, reason)) {
            // The system's own words for a missing item; GIO's for everything else.
            return fail(item.lookAt(failure) ? reason : failure.describe(item.native));
        }
        return true;
    }
    if (!filetree::removeItem(AT_FDCWD, item.native, false, failure)) {
        return fail(failure.describe(item.native));
    }
    return true;
}

} // namespace moravel
