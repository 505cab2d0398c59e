#include "storage/atomicfile.h"

#include "engine/errorcontrol.h"
#include "storage/configtexts.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const QString& path, errorControl& error)
    : m_file(path), m_error(error), m_path(path) {}

// QSaveFile writes a temporary file beside `path` and renames it over `path` at commit().
// It does not notice every failure on its own: a write that a full disk cuts short comes
// back with the shorter count and no error, and commit() then puts the truncated file in
// the old one's place; the result of its own fsync() is ignored. So every step is checked
// here, and any failure cancels the write, which leaves the old file as it was.
bool AtomicFileWriter::open() {
    if (!m_file.open(QIODevice::WriteOnly)) {
        m_error.message = configtexts::fileNotWritten(m_path, m_file.errorString());
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
        m_error.message = configtexts::fileNotWritten(m_path, m_file.errorString());
        return false;
    }
    return true;
}

bool AtomicFileWriter::fail(const QString& message) {
    m_error.message = configtexts::fileNotWritten(m_path, message);
    m_file.cancelWriting();
    return false;
}

bool writeFileAtomically(const QString& path, const QByteArray& data, errorControl& error) {
    AtomicFileWriter file(path, error);
    return file.open() && file.write(data.constData(), data.size()) && file.commit();
}

} // namespace moravel
