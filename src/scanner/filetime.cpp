#include "scanner/filetime.h"

#include <QDate>
#include <QTime>

#include <ctime>

namespace moravel {

DateTimeValue fileTimeToLocalDateTime(std::int64_t seconds, std::int64_t nanoseconds) {
    const auto when = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr) {
        return 0;
    }
    const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    // A leap second has no place in a date-time value; it counts as the second before.
    const QTime time(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                     static_cast<int>(nanoseconds / 1000000));
    return toDateTimeValue(date, time);
}

} // namespace moravel
