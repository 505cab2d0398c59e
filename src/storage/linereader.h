#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

namespace moravel {

// Reads a device line by line in large blocks, so that neither a big file nor a line without
// end is ever held whole in memory.
class LineReader {
public:
    // Lines longer than `longestLine` bytes are passed over.
    LineReader(QIODevice& device, qsizetype longestLine);

    // The next line, without its line end (LF, or CR LF), and that line end ("" after a last
    // line without one). Both stay valid until the next call. False at the end of the device or
    // after a read error.
    bool next(QByteArrayView& line, QByteArrayView& lineEnd);

    // A read failed: the lines so far are all there is.
    bool failed() const { return m_failed; }
    // How many lines were too long and passed over.
    qsizetype overlongLines() const { return m_overlong; }

private:
    bool fill();

    QIODevice& m_device;
    qsizetype m_longestLine;
    QByteArray m_buffer;
    qsizetype m_begin = 0;   // first byte not yet returned
    qsizetype m_end = 0;     // end of the bytes read
    qsizetype m_scanned = 0; // bytes after m_begin known to hold no LF
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_skipping = false; // inside a line that is too long
    qsizetype m_overlong = 0;
};

} // namespace moravel
