#include "scanner/formatsize.h"

namespace moravel {

namespace {
std::int64_t divideRoundingUp(std::int64_t value, std::int64_t divisor) {
    // Written so that the largest sizes cannot overflow.
    return value / divisor + (value % divisor != 0 ? 1 : 0);
}
} // namespace

QString formatSize(std::int64_t size) {
    if (size <= 0) {
        return QStringLiteral("0 KB");
    }
    std::int64_t n = divideRoundingUp(size, 1024);
    QLatin1String unit("KB");
    if (n > 1024) {
        n = divideRoundingUp(n, 1024);
        unit = QLatin1String("MB");
        if (n > 1024) {
            n = divideRoundingUp(n, 1024);
            unit = QLatin1String("GB");
        }
    }
    return QString::number(n) + u' ' + unit;
}

} // namespace moravel
