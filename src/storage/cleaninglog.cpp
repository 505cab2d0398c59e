#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "platform/locations.h"
#include "storage/global.h"
#include "storage/linereader.h"
#include "storage/localedatetime.h"
#include "storage/logappender.h"
#include "storage/logtext.h"
#include "storage/logtexts.h"

#include <QFile>
#include <QFileInfo>

namespace moravel {

namespace {

// A record holds a name (at most 255 bytes) and a folder path (at most 4096), each at worst
// doubled by quoting: far below this. A longer line is no record of ours and is passed over
// without being held in memory.
constexpr qsizetype longestLine = 1024 * 1024;

// Two-digit years are read into the hundred years around the clock's today.
int referenceYear(const Clock& clock) {
    const QDate today = clock.now().date();
    return today.isValid() ? today.year() : QDate::currentDate().year();
}

DateTimeValue latestDate(const Clock& clock) {
    const QDateTime now = clock.now();
    return now.isValid() ? toDateTimeValue(now) : toDateTimeValue(QDateTime::currentDateTime());
}

// Turns the lines of the log file into records of `logLines`.
//
// A name may hold a line end (Linux allows it in file names); it is written inside a quoted
// field, so a line whose quoted field is still open goes on at the next line. Such a joined
// record counts only when it reads as a whole; otherwise its lines are read one by one, so that
// one damaged quote costs one line, not the rest of the file. Reading the joined lines as a
// record also keeps a name like "x\n5,passwd,/etc,2,1.1.10" from passing for a record of its
// own.
class LogFileParser {
public:
    LogFileParser(global& state, logtext::DateReader& dates)
        : m_state(state), m_dates(dates), m_spare(std::make_unique<logLine>()) {}

    void line(QByteArrayView bytes, QByteArrayView lineEnd) {
        if (m_openLines.empty()) {
            if (read(bytes) == logtext::LineKind::OpenQuote) {
                m_openSize = bytes.size() + lineEnd.size();
                m_openLines.emplace_back(bytes.toByteArray(), lineEnd.toByteArray());
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
        const logtext::LineKind kind = logtext::readRecord(bytes, m_dates, *m_spare, &m_folders);
        if (kind == logtext::LineKind::Record) {
            m_state.logLines.push_back(std::move(m_spare));
            m_spare = std::make_unique<logLine>();
        }
        return kind;
    }

    // The first of the joined lines is no record; the others are read on their own.
    void giveUp() {
        const auto lines = std::move(m_openLines);
        m_openLines.clear();
        m_openSize = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            read(lines[i].first);
        }
    }

    global& m_state;
    logtext::DateReader& m_dates;
    logtext::FolderTexts m_folders;
    std::unique_ptr<logLine> m_spare;                           // the record being read
    std::vector<std::pair<QByteArray, QByteArray>> m_openLines; // each with its line end
    qsizetype m_openSize = 0;
};

} // namespace

QString global::logFilePath() const {
    const QString folder = m_locations.dataFolder();
    return folder.isEmpty() ? QString() : folder + u'/' + QString::fromUtf16(logFileName);
}

logLine& global::newLogLine() {
    logLines.push_back(std::make_unique<logLine>());
    // A record made in this session, to be written with the next one or by writeLog.
    m_unwritten.push_back(logLines.size() - 1);
    return *logLines.back();
}

bool global::logAction(const QByteArray& itemName, const QString& destinationFolder,
                       ActionKind action) {
    if (action == actions::Leave) {
        return true;
    }
    logLine& record = newLogLine();
    record.operationNumber = nroOperacion;
    record.setItemName(itemName);
    record.destinationFolder = destinationFolder;
    record.performedAction = action;
    record.cleanedAt = m_clock.nowValue();
    return writeRecords();
}

bool global::writeRecords() {
    errorControl error;
    if (!openLog(error)) {
        m_logWriteFailure = error.message;
        return false;
    }
    // In their order, each record in one write of its own; the first that fails and every one
    // after it wait for the next chance. The writer is kept from record to record, as the
    // records of a run share their day and their date text.
    const auto format = LocaleDateTimeFormat::current();
    if (!m_lineWriter || m_lineFormat != format) {
        m_lineFormat = format;
        m_lineWriter = std::make_unique<logtext::LineWriter>(*format, 512);
    }
    logtext::LineWriter& writer = *m_lineWriter;
    std::size_t done = 0;
    for (; done < m_unwritten.size(); ++done) {
        const logLine& record = *logLines[m_unwritten[done]];
        if (record.performedAction == actions::Leave) {
            continue; // never written: nothing was cleaned
        }
        writer.clear();
        writer.append(record);
        if (!m_log->append(writer.written())) {
            m_logWriteFailure = logtexts::logCannotBeWritten(logFilePath(), m_log->lastError());
            break;
        }
    }
    m_unwritten.erase(m_unwritten.begin(), m_unwritten.begin() + static_cast<qsizetype>(done));
    return m_unwritten.empty();
}

bool global::readLog(errorControl& error) {
    m_logReadFailure.clear();
    const QString path = logFilePath();
    if (path.isEmpty()) {
        error.message = logtexts::noDataFolder();
        m_logReadFailure = error.message;
        return false;
    }
    const auto fail = [&](const QString& reason) {
        error.message = reason;
        m_logReadFailure = reason;
        return false;
    };
    QFile file(path);
    if (!file.exists()) {
        error.message = logtexts::logFileNotFound();
        return false;
    }
    // Only a file ends: a log that leads to a device such as /dev/zero would be read forever.
    if (!QFileInfo(file).isFile()) {
        return fail(logtexts::notAFile());
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(file.errorString());
    }
    logtext::DateReader dates(LocaleDateTimeFormat::current(), referenceYear(m_clock),
                              latestDate(m_clock));
    LogFileParser parser(*this, dates);
    // A record takes some 60 to 150 bytes: room for all of them at once spares the list its
    // reallocations.
    logLines.reserve(logLines.size() + static_cast<std::size_t>(file.size() / 64));
    LineReader reader(file, longestLine);
    QByteArrayView line;
    QByteArrayView lineEnd;
    bool first = true;
    while (reader.next(line, lineEnd)) {
        // An editor may have put a byte order mark in front of the first line.
        if (first && line.startsWith("\xef\xbb\xbf")) {
            line = line.sliced(3);
        }
        first = false;
        parser.line(line, lineEnd);
    }
    parser.finish();
    if (reader.failed()) {
        return fail(file.errorString());
    }
    return true;
}

bool global::openLog(errorControl& error) {
    if (m_log && m_log->isOpen()) {
        return true;
    }
    const QString path = logFilePath();
    if (path.isEmpty()) {
        error.message = logtexts::noDataFolder();
        return false;
    }
    if (!m_logReadFailure.isEmpty()) {
        error.message = logtexts::logNotRead(path, m_logReadFailure);
        return false;
    }
    if (!m_log) {
        m_log = std::make_unique<LogAppender>();
    }
    return m_log->open(path, error);
}

bool global::writeLog(errorControl& error) {
    if (!writeRecords()) {
        error.message = m_logWriteFailure;
        return false;
    }
    if (!m_log->sync(error)) {
        return false;
    }
    m_log->close();
    return true;
}

std::vector<const logLine*> global::unwrittenRecords() const {
    std::vector<const logLine*> records;
    records.reserve(m_unwritten.size());
    for (const std::size_t index : m_unwritten) {
        if (logLines[index]->performedAction != actions::Leave) {
            records.push_back(logLines[index].get());
        }
    }
    return records;
}

} // namespace moravel
