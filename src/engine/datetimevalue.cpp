#include "engine/datetimevalue.h"

#include <cmath>

namespace moravel {

namespace {
const QDate epoch(1899, 12, 30);
constexpr double msPerDay = 86400000.0;
} // namespace

DateTimeValue toDateTimeValue(const QDate& date, const QTime& time) {
    const auto days = static_cast<double>(epoch.daysTo(date));
    return days + time.msecsSinceStartOfDay() / msPerDay;
}

DateTimeValue toDateTimeValue(const QDateTime& local) {
    const QDateTime l = local.toLocalTime();
    return toDateTimeValue(l.date(), l.time());
}

QDate toQDate(DateTimeValue value) {
    return epoch.addDays(static_cast<qint64>(std::floor(value)));
}

QDateTime toQDateTime(DateTimeValue value) {
    const double day = std::floor(value);
    // Rounding to the millisecond undoes the binary fraction's error; a value that rounds up to
    // the next midnight belongs to the next day.
    auto ms = static_cast<qint64>(std::llround((value - day) * msPerDay));
    qint64 days = static_cast<qint64>(day);
    if (ms >= static_cast<qint64>(msPerDay)) {
        ms -= static_cast<qint64>(msPerDay);
        ++days;
    }
    return QDateTime(epoch.addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

} // namespace moravel
