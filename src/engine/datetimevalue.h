#pragma once

#include <QDateTime>

namespace moravel {

// A local date and time held as the number of days since 30 December 1899 00:00, the time of
// day being the fraction; adding 1.0 adds one day. Stored files and the rules count in it.
using DateTimeValue = double;

DateTimeValue toDateTimeValue(const QDateTime& local);
DateTimeValue toDateTimeValue(const QDate& date, const QTime& time = QTime(0, 0));
// Local date-time of a value, to the millisecond.
QDateTime toQDateTime(DateTimeValue value);
QDate toQDate(DateTimeValue value);

} // namespace moravel
