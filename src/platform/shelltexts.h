#pragma once

#include <QString>

namespace moravel::shelltexts {

// The messages of the file operations. %1 is the item, %2 the destination, and the last
// argument the system's reason.
inline QString moveFailed() {
    return QStringLiteral("Cannot move \"%1\" to \"%2\": %3.");
}
inline QString copyFailed() {
    return QStringLiteral("Cannot copy \"%1\" to \"%2\": %3.");
}
inline QString deleteFailed() {
    return QStringLiteral("Cannot delete \"%1\": %2.");
}
inline QString trashFailed() {
    return QStringLiteral("Cannot move \"%1\" to the trash: %2.");
}
// A folder copied in full to its destination whose old place could not be emptied.
inline QString sourceNotRemoved() {
    return QStringLiteral(
        "\"%1\" was moved to \"%2\" as \"%3\", but it could not be removed from its old place: "
        "%4.");
}

// Reasons of our own, where the system has none that says it.
inline QString noSuchFolder() {
    return QStringLiteral("the destination folder does not exist");
}
inline QString notAFolder() {
    return QStringLiteral("the destination is not a folder");
}
inline QString insideItself() {
    return QStringLiteral("the destination folder is inside the item");
}
inline QString changedMeanwhile() {
    return QStringLiteral("the item changed while it was being copied");
}
inline QString noFreeName() {
    return QStringLiteral("no free name was found in the destination folder");
}

} // namespace moravel::shelltexts
