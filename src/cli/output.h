#pragma once

#include "engine/datetimevalue.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace moravel {

// A local date-time value as ISO 8601 with seconds and without a zone, e.g.
// "2010-03-07T14:05:09" (milliseconds are dropped).
QString isoDateTime(DateTimeValue value);

// JSON is text, and a file name need not be: when `name` is not UTF-8, its bytes go under `key`
// as hexadecimal digits beside the decoded name (where U+FFFD stands for each stray byte).
void addExactName(QJsonObject& object, const QString& key, const QByteArray& name);

// Rows under a header line, each column as wide as its widest cell in terminal columns (East
// Asian wide characters take two), columns two blanks apart, no blanks at the end of a line;
// every line ends with "\n". Control characters and the controls of text direction show as "?".
QString textTable(const QStringList& header, const QList<QStringList>& rows);

} // namespace moravel
