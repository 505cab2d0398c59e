#pragma once

#include "storage/logline.h"

#include <QString>
#include <QStringView>

namespace moravel {

class LocaleDateTimeFormat;

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

// Reads a line into `record` (left unchanged unless the result is Record). The fifth field is
// a date-time text of `format`, two-digit years read into the hundred years around
// `referenceYear`.
LineKind readRecord(QStringView line, const LocaleDateTimeFormat& format, int referenceYear,
                    logLine& record);

} // namespace logtext
} // namespace moravel
