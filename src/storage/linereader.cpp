#include "storage/linereader.h"

#include <QIODevice>

#include <cstring>

namespace moravel {

namespace {
constexpr qsizetype blockSize = 256 * 1024;
} // namespace

LineReader::LineReader(QIODevice& device, qsizetype longestLine)
    : m_device(device), m_longestLine(longestLine) {
    // Room for the longest line with its line end, and a block read behind it.
    m_buffer.resize(longestLine + 2 + blockSize);
}

bool LineReader::fill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_begin,
                     static_cast<std::size_t>(m_end - m_begin));
        m_end -= m_begin;
        m_begin = 0;
    }
    const qint64 count = m_device.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (count < 0) {
        m_failed = true;
        return false;
    }
    if (count == 0) {
        m_atEnd = true;
    }
    m_end += count;
    return true;
}

bool LineReader::next(QByteArrayView& line, QByteArrayView& lineEnd) {
    for (;;) {
        const char* data = m_buffer.constData();
        const qsizetype from = m_begin + m_scanned;
        const auto* found = static_cast<const char*>(
            std::memchr(data + from, '\n', static_cast<std::size_t>(m_end - from)));
        if (found) {
            const qsizetype lf = found - data;
            const qsizetype begin = m_begin;
            m_begin = lf + 1;
            m_scanned = 0;
            qsizetype end = lf;
            if (end > begin && data[end - 1] == '\r') {
                --end;
            }
            if (m_skipping || end - begin > m_longestLine) {
                m_skipping = false;
                ++m_overlong;
                continue;
            }
            line = QByteArrayView(data + begin, end - begin);
            lineEnd = QByteArrayView(data + end, lf + 1 - end);
            return true;
        }
        m_scanned = m_end - m_begin;
        if (m_skipping || m_scanned > m_longestLine + 1) {
            // Too long to be a line of ours: drop what we have and look for its end.
            m_skipping = true;
            m_begin = m_end;
            m_scanned = 0;
        }
        if (m_atEnd) {
            if (m_skipping) {
                m_skipping = false;
                ++m_overlong;
                return false;
            }
            if (m_begin == m_end) {
                return false;
            }
            // A last line without a line end.
            qsizetype end = m_end;
            if (data[end - 1] == '\r') {
                --end;
            }
            line = QByteArrayView(data + m_begin, end - m_begin);
            lineEnd = QByteArrayView(data + end, m_end - end);
            m_begin = m_end;
            m_scanned = 0;
            return true;
        }
        if (!fill()) {
            return false;
        }
    }
}

} // namespace moravel
