#pragma once

#include <QString>

#include <cstdint>

namespace moravel {

// The size column's text: whole kilobytes rounded up ("1 KB" for one byte), in megabytes once
// that exceeds 1024 KB and in gigabytes once that exceeds 1024 MB; "0 KB" for 0 or less.
QString formatSize(std::int64_t size);

} // namespace moravel
