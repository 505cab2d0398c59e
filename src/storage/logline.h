#pragma once

#include "engine/actionkind.h"
#include "engine/datetimevalue.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace moravel {

// One record of the cleaning log.
class logLine {
public:
    std::int32_t operationNumber = 0;
    QString itemName;
    QString destinationFolder; // empty for Recycle and Delete
    ActionKind performedAction = actions::Leave;
    DateTimeValue cleanedAt = 0;

    // The record as one line of the log file, without the line end, in the current locale's
    // short date and long time formats.
    QString toLogText() const;
};

// A line of the log file that did not read as a record (written under other regional settings,
// edited by hand, damaged). It is written back as it was, so that rewriting the log never loses
// what could not be read.
struct unreadLogLine {
    std::size_t recordsBefore = 0; // how many records of `logLines` come before it
    QByteArray text;               // as it was in the file, without its line end
};

} // namespace moravel
