#pragma once

#include <QString>

namespace moravel::texts {

// What the rule engine tells the user: the descriptions of rules and conditions and the mask
// error. Each text is defined here once.

inline QString invalidMask(const QString& mask, int position) {
    // One arg() call, so that a "%2" inside the mask stays as it is.
    return QStringLiteral("'%1' is an invalid mask at (%2)").arg(mask, QString::number(position));
}
// Follows invalidMask when the mask has more stars than it may.
inline QString tooManyStars(int limit) {
    return QStringLiteral(": a mask may hold at most %1 stars").arg(limit);
}
inline QString allItems() {
    return QStringLiteral("All items");
}
inline QString conditionJoin() {
    return QStringLiteral(" and ");
}
inline QString nameLike(const QString& mask) {
    return QStringLiteral("name like ") + mask;
}
inline QString sizeAbove(qint32 megabytes) {
    return QStringLiteral("size>%1 MB").arg(megabytes);
}
inline QString lastChangeBefore(qint32 days) {
    return QStringLiteral("last change before %1 days ago").arg(days);
}
inline QString lastAccessBefore(qint32 days) {
    return QStringLiteral("last access before %1 days ago").arg(days);
}
inline QString isFolder() {
    return QStringLiteral("is folder");
}

} // namespace moravel::texts
