#include "storage/logappender.h"

#include "engine/errorcontrol.h"
#include "storage/logtexts.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace moravel {

namespace {
QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

LogAppender::~LogAppender() {
    close();
}

bool LogAppender::open(const QString& path, errorControl& error) {
    close();
    m_path = path;
    const QByteArray native = QFile::encodeName(path);
    const auto fail = [&](const QString& reason) {
        m_lastError = reason;
        error.message = logtexts::logCannotBeWritten(path, reason);
        close();
        return false;
    };
    struct stat status {};
    if (::lstat(native.constData(), &status) != 0) {
        if (errno != ENOENT) {
            return fail(systemReason(errno));
        }
        // Nothing there: a new log, which holds names of the user's files, for the user alone.
        m_fd = ::open(native.constData(),
                      O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    } else {
        // A link to the log elsewhere is followed; a pipe must not make the open wait.
        m_fd = ::open(native.constData(), O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    }
    if (m_fd < 0) {
        return fail(systemReason(errno));
    }
    if (::fstat(m_fd, &status) != 0) {
        return fail(systemReason(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        return fail(logtexts::notAFile());
    }
    m_needsLineEnd = false;
    if (status.st_size > 0) {
        char last = 0;
        if (::pread(m_fd, &last, 1, status.st_size - 1) != 1) {
            return fail(systemReason(errno));
        }
        // A hand edit may have left the last line without its end; the first record starts
        // a line of its own.
        m_needsLineEnd = last != '\n';
    }
    m_lastError.clear();
    return true;
}

bool LogAppender::append(QByteArrayView line) {
    if (m_fd < 0) {
        m_lastError = systemReason(EBADF);
        return false;
    }
    QByteArray joined;
    if (m_needsLineEnd) {
        joined = QByteArrayView("\r\n").toByteArray() + line.toByteArray();
        line = joined;
    }
    const char* data = line.data();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int reason = n == 0 ? ENOSPC : errno;
            // What did reach the file of this line goes again: half a record could read as a
            // record with a cut name. Only this process appends while it holds the
            // single-instance lock, so the line's start is the end less what was written.
            const qsizetype written = line.size() - left;
            struct stat status {};
            if (written > 0 && ::fstat(m_fd, &status) == 0 && status.st_size >= written) {
                [[maybe_unused]] const int cut = ::ftruncate(m_fd, status.st_size - written);
            }
            m_lastError = systemReason(reason);
            return false;
        }
        data += n;
        left -= n;
    }
    m_needsLineEnd = false;
    return true;
}

bool LogAppender::sync(errorControl& error) {
    if (m_fd >= 0 && ::fdatasync(m_fd) != 0) {
        m_lastError = systemReason(errno);
        error.message = logtexts::logCannotBeWritten(m_path, m_lastError);
        return false;
    }
    return true;
}

void LogAppender::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace moravel
