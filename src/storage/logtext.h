#pragma once

#include "storage/localedatetime.h"
#include "storage/logline.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <array>
#include <memory>
#include <vector>

namespace moravel {

// One line of the cleaning log: five fields joined by commas. A field that holds a byte from 1
// to 32, a double quote or a comma is enclosed in double quotes, each double quote inside
// doubled; every other field is written bare. The file is UTF-8, except that a name is written
// as the very bytes of the file's name, which need not be UTF-8: the separators are ASCII, and
// UTF-8 never uses ASCII bytes inside a character, so splitting the bytes is the same as
// splitting the text.
namespace logtext {

enum class LineKind {
    Record,    // five fields that convert: a record
    NotRecord, // anything else; no record
    OpenQuote, // a quoted field runs past the end: the line may go on after a line end
};

// Writes records as lines of the log file, each with its line end CR LF. The one writer of a
// log line: the file's appends and logLine::toLogText both use it.
class LineWriter {
public:
    LineWriter(const LocaleDateTimeFormat& format, qsizetype expectedSize);
    void append(const logLine& record);
    // A line as it is, with a line end.
    void appendLine(QByteArrayView text);
    QByteArray take();
    // The bytes so far, to be passed on before clear() starts the buffer again.
    QByteArrayView written() const { return {m_bytes.constData(), m_used}; }
    void clear() { m_used = 0; }

private:
    char* room(qsizetype size);

    LocaleDateTimeFormat::Writer m_dates;
    QStringEncoder m_encoder;
    QByteArray m_bytes;
    qsizetype m_used = 0;
};

// Reads the date-time texts of a log. The file may hold lines written under other regional
// settings than today's (a cron job under LANG=C, a change of settings), so a text that does
// not read in the current locale's format is tried in the formats that read earlier lines of
// the file, most recent first, then in the C locale's, the system's and US English, then in
// every other format Qt knows. A date text can read differently in two formats (3/7/10):
// that order decides, and another format's reading more than a day after `latest` (the
// clock's now) or before the hundred years around `referenceYear` is taken for a misreading;
// the current format's own reading is always taken (a clock that was wrong when the record was
// written).
class DateReader {
public:
    DateReader(std::shared_ptr<const LocaleDateTimeFormat> format, int referenceYear,
               DateTimeValue latest);
    ~DateReader();
    DateReader(const DateReader&) = delete;
    DateReader& operator=(const DateReader&) = delete;

    bool read(QStringView text, DateTimeValue& value);

private:
    struct Candidate;

    int m_referenceYear;
    DateTimeValue m_latest;
    std::unique_ptr<Candidate> m_first;
    std::vector<std::unique_ptr<Candidate>> m_used;   // most recent first
    std::vector<std::unique_ptr<Candidate>> m_others; // the rest, built on first need
    bool m_othersBuilt = false;
};

// The destination folders of the last records read: a log names few folders, each for many
// records, which then share one text instead of a copy each.
class FolderTexts {
public:
    // The text of `bytes` (UTF-8), shared with an earlier record where one had it.
    QString text(QByteArrayView bytes, bool ascii);

private:
    std::array<QString, 8> m_recent;
    std::size_t m_next = 0;
};

// Reads a line into `record` (left unchanged unless the result is Record). `folders`, when
// given, lets records share their destination's text.
LineKind readRecord(QByteArrayView line, DateReader& dates, logLine& record,
                    FolderTexts* folders = nullptr);

} // namespace logtext
} // namespace moravel
