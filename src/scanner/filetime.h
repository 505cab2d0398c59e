#pragma once

#include "engine/datetimevalue.h"

#include <cstdint>

namespace moravel {

// A file time (seconds and nanoseconds since the Unix epoch, UTC) as a local date-time value,
// with the time-zone offset in force at that moment, to the millisecond.
DateTimeValue fileTimeToLocalDateTime(std::int64_t seconds, std::int64_t nanoseconds);

} // namespace moravel
