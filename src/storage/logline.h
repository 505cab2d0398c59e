#pragma once

#include "engine/actionkind.h"
#include "engine/datetimevalue.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace moravel {

// One record of the cleaning log.
class logLine {
public:
    std::int32_t operationNumber = 0;
    QString itemName;          // the item's name as the user reads it
    QString destinationFolder; // empty for Recycle and Delete
    ActionKind performedAction = actions::Leave;
    DateTimeValue cleanedAt = 0;
    // The name's bytes when `itemName` does not give them back (a name that is not UTF-8);
    // empty otherwise, which spares the thousands of ordinary names a second copy.
    QByteArray itemNameRaw;

    // The item's name exactly as the file system holds it: what a restore looks for.
    QByteArray itemNameBytes() const {
        return itemNameRaw.isNull() ? itemName.toUtf8() : itemNameRaw;
    }
    // Sets the name from its bytes, the text and the raw bytes alike.
    void setItemName(const QByteArray& bytes);

    // The record as one line of the log file, without the line end, in the current locale's
    // short date and long time formats. Bytes, since a name need not be text.
    QByteArray toLogText() const;
};

} // namespace moravel
