#pragma once

#include <QString>

namespace moravel::listtexts {

// The texts of the lists of the plan and of the cleaned items, which the window and the
// command line both show. Each text is defined here once.

// Column titles.
inline QString nameColumn() {
    return QStringLiteral("Name");
}
inline QString typeColumn() {
    return QStringLiteral("Type");
}
inline QString sizeColumn() {
    return QStringLiteral("Size");
}
inline QString modifiedColumn() {
    return QStringLiteral("Modified");
}
inline QString desktopColumn() {
    return QStringLiteral("Desktop");
}
inline QString actionColumn() {
    return QStringLiteral("Action");
}
inline QString destinationColumn() {
    return QStringLiteral("Destination");
}
inline QString cleaningDateColumn() {
    return QStringLiteral("Cleaning date");
}
// The size of a folder, which the list does not give.
inline QString folderSize() {
    return QStringLiteral("-");
}
// The desktop an item lies on.
inline QString userDesktop() {
    return QStringLiteral("User");
}
inline QString publicDesktop() {
    return QStringLiteral("Public");
}

} // namespace moravel::listtexts
