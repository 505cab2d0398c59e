#pragma once

#include <QString>

namespace moravel::clitexts {

// What `clean` and `restore` tell the user in a terminal besides the texts they share with the
// window. Each text is defined here once.

inline QString proceedQuestion() {
    return QStringLiteral("Proceed?");
}
inline QString answeredYes() {
    return QStringLiteral("y (--yes)");
}
inline QString notAnIndex(const QString& argument) {
    return QStringLiteral("'%1' is not a log record index.").arg(argument);
}
// What came back, and under which name when its own was taken on the desktop.
inline QString restored(const QString& name, const QString& desktopName) {
    return name == desktopName
               ? QStringLiteral("Restored \"%1\" to the desktop.").arg(name)
               : QStringLiteral("Restored \"%1\" to the desktop as \"%2\".").arg(name, desktopName);
}
inline QString missingIndex() {
    return QStringLiteral("Give the index of at least one log record.");
}
inline QString noSuchRecord(qsizetype index, qsizetype count) {
    return count == 0 ? QStringLiteral("There is no log record %1: the log is empty.").arg(index)
                      : QStringLiteral("There is no log record %1: the indexes go from 0 to %2.")
                            .arg(index)
                            .arg(count - 1);
}

} // namespace moravel::clitexts
