#pragma once

#include <QString>

namespace moravel::texts {

// What the single-instance lock, the start-at-login entry, the update check and the support
// links tell the user. Each text is defined here once; the window and the command line take
// it from here.

inline QString anotherMoravelRuns() {
    return QStringLiteral("Another Moravel is running. Close it first, then try again.");
}

inline QString autostartComment() {
    return QStringLiteral("Keeps your desktop tidy");
}
inline QString noAutostartFolder() {
    return QStringLiteral("The folder of the programs that start at login could not be found.");
}
inline QString autostartFolderNotCreated(const QString& folder) {
    return QStringLiteral("The folder \"%1\" could not be created.").arg(folder);
}
inline QString programPathUnusable(const QString& path) {
    return QStringLiteral("The program \"%1\" cannot be started at login: its path is not a "
                          "full path or holds control characters.")
        .arg(path);
}
inline QString autostartNotWritten(const QString& path, const QString& reason) {
    return QStringLiteral("The start-at-login entry \"%1\" could not be written: %2")
        .arg(path, reason);
}
inline QString autostartNotRemoved(const QString& path, const QString& reason) {
    return QStringLiteral("The start-at-login entry \"%1\" could not be removed: %2")
        .arg(path, reason);
}

inline QString notAValidInteger(const QString& text) {
    return QStringLiteral("''%1'' is not a valid integer value").arg(text);
}
inline QString newerVersionQuestion() {
    return QStringLiteral("There is a newer version of Moravel. Do you want to download it it?");
}
inline QString noSupportSite() {
    return QStringLiteral("This build of Moravel names no support site, so there is no "
                          "feedback page to open.");
}
inline QString pageNotOpened(const QString& address) {
    return QStringLiteral("No web browser could open the page %1").arg(address);
}

} // namespace moravel::texts
