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

// The log could not be read in full at start and cannot be now: rewriting it from memory would
// lose what was never read, so it is left as it is. Followed by the reason.
inline QString logLeftUnchanged(const QString& reason) {
    return QStringLiteral("The log file could not be read in full and was left as it is: ") +
           reason;
}

} // namespace moravel::logtexts
