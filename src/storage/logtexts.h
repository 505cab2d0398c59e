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

} // namespace moravel::logtexts
