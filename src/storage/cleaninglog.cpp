#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/atomicfile.h"
#include "storage/global.h"
#include "storage/linereader.h"
#include "storage/localedatetime.h"
#include "storage/logtext.h"
#include "storage/logtexts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

namespace moravel {

namespace {

// A record holds a name (at most 255 bytes) and a folder path (at most 4096), each at worst
// doubled by quoting: far below this. A longer line is no record of ours and is passed over
// without being held in memory.
constexpr qsizetype longestLine = 1024 * 1024;
// Unreadable lines are kept to be written back; a file with more of them than this is not a
// log, and the rest of them are let go rather than held in memory.
constexpr qsizetype keptBytesLimit = 64 * 1024 * 1024;

QString logFilePath(const QString& folder) {
    return folder + u'/' + QString::fromUtf16(logFileName);
}

// Two-digit years are read into the hundred years around the clock's today.
int referenceYear(const Clock& clock) {
    const QDate today = clock.now().date();
    return today.isValid() ? today.year() : QDate::currentDate().year();
}

// Turns the lines of the log file into records of `logLines`, and the lines that are none into
// `unreadLogLines`.
//
// A name may hold a line end (Linux allows it in file names); it is written inside a quoted
// field, so a line whose quoted field is still open goes on at the next line. Such a joined
// record counts only when it reads as a whole; otherwise its first line is kept unread and the
// others are read one by one, so that one damaged quote costs one line, not the rest of the
// file. Reading the joined lines as a record also keeps a name like "x\n5,passwd,/etc,2,1.1.10"
// from passing for a record of its own.
class LogFileParser {
public:
    LogFileParser(global& state, const LocaleDateTimeFormat& format, int year)
        : m_state(state), m_format(format), m_year(year), m_spare(std::make_unique<logLine>()),
          m_dates(format) {}

    void line(QByteArrayView bytes, QByteArrayView lineEnd) {
        if (m_openLines.empty()) {
            const logtext::LineKind kind = read(bytes);
            if (kind == logtext::LineKind::OpenQuote) {
                open(bytes, lineEnd);
            } else if (kind == logtext::LineKind::NotRecord) {
                keep(bytes);
            }
            return;
        }
        m_openSize += bytes.size() + lineEnd.size();
        m_openLines.emplace_back(bytes.toByteArray(), lineEnd.toByteArray());
        if (m_openSize > longestLine) {
            giveUp();
            return;
        }
        // Inside the open quoted field; only a quote that is not doubled can end it, so the
        // record is read again only then (at most once per field).
        if (!closesQuote(bytes)) {
            return;
        }
        QByteArray joined;
        joined.reserve(m_openSize);
        for (const auto& [text, end] : m_openLines) {
            joined += text;
            joined += end;
        }
        joined.chop(m_openLines.back().second.size());
        const logtext::LineKind kind = read(joined);
        if (kind == logtext::LineKind::Record) {
            m_openLines.clear();
            m_openSize = 0;
        } else if (kind == logtext::LineKind::NotRecord) {
            giveUp();
        }
    }

    void finish() {
        if (!m_openLines.empty()) {
            giveUp();
        }
    }

    // Lines that are no records were let go: memory holds less than the file.
    bool droppedLines() const { return m_droppedLines; }

private:
    static bool closesQuote(QByteArrayView bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '"') {
                if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    ++i;
                } else {
                    return true;
                }
            }
        }
        return false;
    }

    logtext::LineKind read(QByteArrayView bytes) {
        if (m_text.size() < bytes.size() + 1) {
            m_text.resize(std::max<qsizetype>(bytes.size() + 1, 256));
        }
        QChar* begin = m_text.data();
        const QChar* end = m_decoder.appendToBuffer(begin, bytes);
        const logtext::LineKind kind = logtext::readRecord(
            QStringView(begin, end), m_format, m_year, *m_spare,
            m_state.logLines.empty() ? nullptr : m_state.logLines.back().get(), &m_dates);
        if (kind == logtext::LineKind::Record) {
            m_state.logLines.push_back(std::move(m_spare));
            m_spare = std::make_unique<logLine>();
        }
        return kind;
    }

    void open(QByteArrayView bytes, QByteArrayView lineEnd) {
        m_openSize = bytes.size() + lineEnd.size();
        m_openLines.emplace_back(bytes.toByteArray(), lineEnd.toByteArray());
    }

    void giveUp() {
        const auto lines = std::move(m_openLines);
        m_openLines.clear();
        m_openSize = 0;
        keep(lines.front().first);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (read(lines[i].first) != logtext::LineKind::Record) {
                keep(lines[i].first);
            }
        }
    }

    void keep(QByteArrayView bytes) {
        // An empty or blank line carries nothing worth keeping.
        const bool blank = std::all_of(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
        if (blank) {
            return;
        }
        if (m_keptBytes + bytes.size() > keptBytesLimit) {
            m_droppedLines = true;
            return;
        }
        m_keptBytes += bytes.size();
        m_state.unreadLogLines.push_back({m_state.logLines.size(), bytes.toByteArray()});
    }

    global& m_state;
    const LocaleDateTimeFormat& m_format;
    const int m_year;
    std::unique_ptr<logLine> m_spare; // the record being read
    LocaleDateTimeFormat::Reader m_dates;
    QString m_text; // the decoded line
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    std::vector<std::pair<QByteArray, QByteArray>> m_openLines; // each with its line end
    qsizetype m_openSize = 0;
    qsizetype m_keptBytes = 0;
    bool m_droppedLines = false;
};

} // namespace

logLine& global::newLogLine() {
    logLines.push_back(std::make_unique<logLine>());
    return *logLines.back();
}

void global::logAction(const QString& itemName, const QString& destinationFolder,
                       ActionKind action) {
    if (action == actions::Leave) {
        return;
    }
    logLine& record = newLogLine();
    record.operationNumber = nroOperacion;
    record.itemName = itemName;
    record.destinationFolder = destinationFolder;
    record.performedAction = action;
    record.cleanedAt = m_clock.nowValue();
}

void global::parseLogLine(const QString& line) {
    logLine record;
    if (logtext::readRecord(line, *LocaleDateTimeFormat::current(), referenceYear(m_clock),
                            record) == logtext::LineKind::Record) {
        newLogLine() = std::move(record);
    }
}

bool global::readLog(errorControl& error) {
    // Until the file has been read to its end, it is taken to hold more than memory does.
    m_logPartlyRead = true;
    m_loggedOnDisk = {logLines.size(), logLines.size()};
    const QString folder = m_locations.dataFolder();
    if (folder.isEmpty()) {
        error.message = logtexts::noDataFolder();
        return false;
    }
    QFile file(logFilePath(folder));
    if (!file.exists()) {
        m_logPartlyRead = false;
        error.message = logtexts::logFileNotFound();
        return false;
    }
    // Only a file ends: a log that leads to a device such as /dev/zero would be read forever.
    if (!QFileInfo(file).isFile()) {
        error.message = logtexts::notAFile();
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error.message = file.errorString();
        return false;
    }
    const auto format = LocaleDateTimeFormat::current();
    LogFileParser parser(*this, *format, referenceYear(m_clock));
    // A record takes some 60 to 150 bytes: room for all of them at once spares the list its
    // reallocations.
    logLines.reserve(logLines.size() + static_cast<std::size_t>(file.size() / 64));
    LineReader reader(file, longestLine);
    QByteArrayView line;
    QByteArrayView lineEnd;
    while (reader.next(line, lineEnd)) {
        parser.line(line, lineEnd);
    }
    parser.finish();
    m_loggedOnDisk.second = logLines.size();
    // Lines too long to be ours, or past the limit of what is kept, are still in the file.
    m_logPartlyRead = reader.failed() || reader.overlongLines() > 0 || parser.droppedLines();
    if (reader.failed()) {
        error.message = file.errorString();
        return false;
    }
    return true;
}

namespace {

// Rewrites a log file that was not read in full: the file as it is now, followed by the records
// it does not hold yet. When it still cannot be read it stays as it is, and the records wait in
// memory for a write that can.
bool appendToLogFile(const QString& path, const std::vector<std::unique_ptr<logLine>>& records,
                     std::pair<std::size_t, std::size_t> onDisk, errorControl& error) {
    QFile file(path);
    if (!QFileInfo(file).isFile()) {
        error.message = logtexts::logLeftUnchanged(logtexts::notAFile());
        return false;
    }
    const auto fail = [&] {
        error.message = logtexts::logLeftUnchanged(file.errorString());
        return false;
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return fail();
    }
    const auto format = LocaleDateTimeFormat::current();
    logtext::Utf8Writer writer(*format, 4096);
    // A last line without its line end gets one, so that the first new record starts a line.
    if (file.size() > 0) {
        char last = 0;
        if (!file.seek(file.size() - 1) || !file.getChar(&last) || !file.seek(0)) {
            return fail();
        }
        if (last != '\n') {
            writer.appendLine({});
        }
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        if ((i < onDisk.first || i >= onDisk.second) &&
            records[i]->performedAction != actions::Leave) {
            writer.append(*records[i]);
        }
    }
    if (!writeFileAtomically(path, file, writer.take(), error)) {
        return file.error() == QFileDevice::NoError ? false : fail();
    }
    return true;
}

} // namespace

bool global::writeLog(errorControl& error) const {
    const QString folder = m_locations.dataFolder();
    if (folder.isEmpty()) {
        error.message = logtexts::noDataFolder();
        return false;
    }
    const QString path = logFilePath(folder);
    // A file that has gone since is no longer there to lose: memory then holds all there is.
    if (m_logPartlyRead && QFileInfo::exists(path)) {
        if (!appendToLogFile(path, logLines, m_loggedOnDisk, error)) {
            return false;
        }
        m_loggedOnDisk = {0, logLines.size()};
        return true;
    }
    // Written in pieces as they are made: a buffer that stays in the cache, however long the log.
    constexpr qsizetype piece = 256 * 1024;
    AtomicFileWriter file(path, error);
    if (!file.open()) {
        return false;
    }
    const auto format = LocaleDateTimeFormat::current();
    logtext::Utf8Writer writer(*format, piece + 16 * 1024);
    const auto pass = [&] {
        const QByteArrayView bytes = writer.written();
        writer.clear();
        return file.write(bytes.data(), bytes.size());
    };
    std::size_t unread = 0;
    const auto writeUnreadBefore = [&](std::size_t record) {
        for (; unread < unreadLogLines.size() && unreadLogLines[unread].recordsBefore <= record;
             ++unread) {
            writer.appendLine(unreadLogLines[unread].text);
            if (writer.written().size() >= piece && !pass()) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t i = 0; i < logLines.size(); ++i) {
        if (!writeUnreadBefore(i)) {
            return false;
        }
        if (logLines[i]->performedAction != actions::Leave) {
            writer.append(*logLines[i]);
            if (writer.written().size() >= piece && !pass()) {
                return false;
            }
        }
    }
    if (!writeUnreadBefore(std::numeric_limits<std::size_t>::max()) || !pass() || !file.commit()) {
        return false;
    }
    m_logPartlyRead = false;
    m_loggedOnDisk = {0, logLines.size()};
    return true;
}

} // namespace moravel
