#pragma once

#include "engine/actionkind.h"
#include "engine/datetimevalue.h"

#include <QString>

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

} // namespace moravel
