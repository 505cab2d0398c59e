#pragma once

#include <QString>

namespace moravel::logtexts {

// What the cleaning log tells the user. Each text is defined here once.

inline QString logFileNotFound() {
    return QStringLiteral("Log file not found.");
}
// The log's name leads to a folder, a device or the like, which is not read.
inline QString notAFile() {
    return QStringLiteral("The log is not a file.");
}
// The data folder could not be looked up; the log is then neither read nor written.
inline QString noDataFolder() {
    return QStringLiteral("No Data Folder found.");
}

// The log cannot take records: a run would clean items that could never be found again.
inline QString logCannotBeWritten(const QString& path, const QString& reason) {
    return QStringLiteral("The cleaning log \"%1\" cannot be written: %2.").arg(path, reason);
}
// The log could not be read at start: a run is refused until it can, since its records could
// not be shown or restored either.
inline QString logNotRead(const QString& path, const QString& reason) {
    return QStringLiteral("The cleaning log \"%1\" could not be read: %2. Moravel cleans "
                          "nothing until it can keep a record of every item.")
        .arg(path, reason);
}

} // namespace moravel::logtexts
