#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace moravel {

class errorControl;

// Replaces the file at `path` with `data` in one step: the new content goes to a temporary file
// beside it, every write is checked (a full disk can make a write come back short without an
// error), and only a complete file takes the old one's place. On any failure the old file stays
// as it was and the carrier holds the reason.
bool writeFileAtomically(const QString& path, const QByteArray& data, errorControl& error);

// The same write made in pieces, for content made as it is written: open(), write() as often
// as needed, then commit(). Any failure cancels the write and leaves the old file as it was, the
// reason in the carrier; so does giving up before commit().
class AtomicFileWriter {
public:
    AtomicFileWriter(const QString& path, errorControl& error);

    bool open();
    bool write(const char* data, qint64 size);
    bool commit();
    // Cancels the write with `message` as the reason; false.
    bool fail(const QString& message);

private:
    QSaveFile m_file;
    errorControl& m_error;
    QString m_path;
    qint64 m_size = 0;
};

} // namespace moravel
