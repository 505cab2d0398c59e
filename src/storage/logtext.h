#pragma once

#include "storage/localedatetime.h"
#include "storage/logline.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <vector>

namespace moravel {

// One line of the cleaning log: five fields joined by commas. A field that holds a character
// with a code from 1 to 32, a double quote or a comma is enclosed in double quotes, each double
// quote inside doubled; every other field is written bare.
namespace logtext {

enum class LineKind {
    Record,    // five fields that convert: a record
    NotRecord, // anything else; no record
    OpenQuote, // a quoted field runs past the end: the line may go on after a line end
};

// Appends `record` as one line, without the line end.
void appendRecord(QString& out, const logLine& record, const LocaleDateTimeFormat& format);

// Appends `record` as one line of the log file, UTF-8 with CR LF: the bytes of appendRecord
// and a line end, written straight into `out` (the log file's writer, where speed counts).
class Utf8Writer {
public:
    explicit Utf8Writer(const LocaleDateTimeFormat& format);
    void append(QByteArray& out, const logLine& record);

private:
    LocaleDateTimeFormat::Writer m_dates;
    QStringEncoder m_encoder;
};

// Reads a line into `record` (left unchanged unless the result is Record). The fifth field is
// a date-time text of `format`, two-digit years read into the hundred years around
// `referenceYear`. When the destination is that of `previous`, the record shares its text.
LineKind readRecord(QStringView line, const LocaleDateTimeFormat& format, int referenceYear,
                    logLine& record, const logLine* previous = nullptr);

} // namespace logtext
} // namespace moravel
