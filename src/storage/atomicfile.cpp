#include "storage/atomicfile.h"

#include "engine/errorcontrol.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

namespace {

constexpr qint64 copyBlockSize = 1024 * 1024;

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const QString& path, errorControl& error)
    : m_file(path), m_error(error) {}

// QSaveFile writes a temporary file beside `path` and renames it over `path` at commit().
// It does not notice every failure on its own: a write that a full disk cuts short comes
// back with the shorter count and no error, and commit() then puts the truncated file in
// the old one's place; the result of its own fsync() is ignored. So every step is checked
// here, and any failure cancels the write, which leaves the old file as it was.
bool AtomicFileWriter::open() {
    if (!m_file.open(QIODevice::WriteOnly)) {
        m_error.message = m_file.errorString();
        return false;
    }
    return true;
}

bool AtomicFileWriter::write(const char* data, qint64 size) {
    qint64 written = 0;
    while (written < size) {
        const qint64 count = m_file.write(data + written, size - written);
        if (count <= 0) {
            return fail(m_file.errorString());
        }
        written += count;
    }
    m_size += size;
    return true;
}

bool AtomicFileWriter::commit() {
    // Small writes wait in QSaveFile's buffer; a short write of theirs shows only here.
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError) {
        return fail(m_file.errorString());
    }
    if (::fsync(m_file.handle()) != 0) {
        return fail(systemError(errno));
    }
    struct stat status {};
    if (::fstat(m_file.handle(), &status) != 0) {
        return fail(systemError(errno));
    }
    if (status.st_size != m_size) {
        return fail(systemError(ENOSPC));
    }
    if (!m_file.commit()) {
        m_error.message = m_file.errorString();
        return false;
    }
    return true;
}

bool AtomicFileWriter::fail(const QString& message) {
    m_error.message = message;
    m_file.cancelWriting();
    return false;
}

bool writeFileAtomically(const QString& path, const QByteArray& data, errorControl& error) {
    AtomicFileWriter file(path, error);
    return file.open() && file.write(data.constData(), data.size()) && file.commit();
}

bool writeFileAtomically(const QString& path, QFileDevice& head, const QByteArray& tail,
                         errorControl& error) {
    AtomicFileWriter file(path, error);
    QByteArray block(copyBlockSize, Qt::Uninitialized);
    // The first block is read before the temporary file is made: a head that cannot be read
    // at all is then reported as such.
    for (bool opened = false;; opened = true) {
        const qint64 count = head.read(block.data(), block.size());
        if (count < 0) {
            error.message = head.errorString();
            return opened ? file.fail(error.message) : false;
        }
        if (!opened && !file.open()) {
            return false;
        }
        if (count == 0) {
            break;
        }
        if (!file.write(block.constData(), count)) {
            return false;
        }
    }
    return file.write(tail.constData(), tail.size()) && file.commit();
}

} // namespace moravel
