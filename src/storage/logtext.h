#pragma once

#include "storage/localedatetime.h"
#include "storage/logline.h"

#include <QByteArray>
#include <QByteArrayView>
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

// The log file's bytes, UTF-8 with CR LF, written straight from the records (the file's
// writer, where speed counts): each record gives the bytes of appendRecord and a line end.
class Utf8Writer {
public:
    Utf8Writer(const LocaleDateTimeFormat& format, qsizetype expectedSize);
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

// Reads a line into `record` (left unchanged unless the result is Record). The fifth field is
// a date-time text of `format`, two-digit years read into the hundred years around
// `referenceYear`. When the destination is that of `previous`, the record shares its text.
// `dates`, when given, reads the dates of consecutive lines (of `format`).
LineKind readRecord(QStringView line, const LocaleDateTimeFormat& format, int referenceYear,
                    logLine& record, const logLine* previous = nullptr,
                    LocaleDateTimeFormat::Reader* dates = nullptr);

} // namespace logtext
} // namespace moravel
