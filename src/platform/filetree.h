#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace moravel::filetree {

// What went wrong and where: the system's error number, or a reason of our own, and the path
// that failed when it is not the item itself.
struct Failure {
    int error = 0;
    QString reason;
    QString where;

    void set(int errorNumber, const QByteArray& path);
    void set(const QString& ownReason, const QByteArray& path);
    // The reason as the user reads it, naming the inner path when there is one.
    QString describe(const QByteArray& item) const;
};

// A file descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(other.release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();
    // Closes now and reports whether the last writes reached the file system.
    bool close();

private:
    int m_fd;
};

struct CopyOptions {
    // The copy stands in for the source, which is removed afterwards: refuse up front any entry
    // that could not be removed (an immutable or append-only entry, a folder we cannot write),
    // so that a move fails before it has changed anything.
    bool checkRemovable = false;
    // The folder the copy goes into; a source folder that is this folder is refused, so that a
    // copy never walks into itself.
    dev_t destinationDevice = 0;
    ino_t destinationInode = 0;
};

// Copies the item `source` (a link is copied as a link, never followed; a folder with
// everything in it) to the new entry `name` in the folder `destinationDir`, keeping
// permissions, access and modification times, and the owner when we may. A partial copy is
// left behind on failure: the caller removes it.
bool copyItem(const QByteArray& source, int destinationDir, const QByteArray& name,
              const CopyOptions& options, Failure& failure);

// Removes the entry `name` of the folder `dir` (AT_FDCWD for a path): a file, a link (the link
// alone) or a folder with all its contents, never following a link. `makeWritable` first
// opens up folders of our own partial copies so that they can be emptied. An entry inside a
// folder that vanished meanwhile is no failure.
bool removeItem(int dir, const QByteArray& name, bool makeWritable, Failure& failure);

// Why the entry `name` of `dir` could not be removed (by us, now), or an empty failure: its
// folder must be writable and neither of them immutable or append-only.
bool checkRemovable(const QByteArray& parentFolder, const QByteArray& item, Failure& failure);

} // namespace moravel::filetree
