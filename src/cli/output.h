#pragma once

#include "engine/datetimevalue.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace moravel {

// A local date-time value as ISO 8601 with seconds and without a zone, e.g.
// "2010-03-07T14:05:09" (milliseconds are dropped).
QString isoDateTime(DateTimeValue value);

// Rows under a header line, each column as wide as its widest cell, columns two blanks apart,
// no blanks at the end of a line; every line ends with "\n". Control characters show as "?".
QString textTable(const QStringList& header, const QList<QStringList>& rows);

} // namespace moravel
