#pragma once

#include <QByteArrayView>
#include <QString>

namespace moravel {

class errorControl;

// The cleaning log held open for appending. Each record is one write of its whole line at the
// end of the file, so that what was written stays whatever happens to the process afterwards
// (a crash, a kill, a logout) and nothing another writer appended is ever written over.
class LogAppender {
public:
    LogAppender() = default;
    LogAppender(const LogAppender&) = delete;
    LogAppender& operator=(const LogAppender&) = delete;
    ~LogAppender();

    // Opens the log at `path`, creating it (owner-only) when nothing is there. Refuses what is
    // not a regular file we may read and write: a folder, a pipe, a device, a link that leads
    // nowhere. False, with the reason in `error`.
    bool open(const QString& path, errorControl& error);
    bool isOpen() const { return m_fd >= 0; }

    // Appends `line` (with its line end). On failure the file is left as it was before the
    // call, so that no half line remains, and false is returned; `lastError()` tells why.
    bool append(QByteArrayView line);
    // Makes what was appended durable (it reaches the disk, not only the system's cache).
    bool sync(errorControl& error);
    void close();

    // The system's reason for the last failure.
    QString lastError() const { return m_lastError; }

private:
    int m_fd = -1;
    QString m_path;
    bool m_needsLineEnd = false; // the file ends in a line without its line end
    QString m_lastError;
};

} // namespace moravel
