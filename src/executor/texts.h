#pragma once

#include <QString>

namespace moravel::texts {

// What the cleaning run, the clean command and the restore tell the user. Each text is defined
// here once; the window and the command line take it from here.

inline QString nothingToClean() {
    return QStringLiteral("There is nothing to clean.");
}
inline QString chooseActionFor(const QString& name) {
    return QStringLiteral("Please choose what to do with the file: \"%1\"").arg(name);
}
inline QString stopCleaningQuestion() {
    return QStringLiteral("Do you want to stop the cleaning process?");
}
inline QString cleaningFinished() {
    return QStringLiteral("Cleaning finished");
}
inline QString errorPrefix() {
    return QStringLiteral("Error: ");
}
inline QString logSaveErrorPrefix() {
    return QStringLiteral("Error while saving log. ");
}
inline QString whenSavingSettings() {
    return QStringLiteral(" when saving settings");
}
inline QString busy() {
    return QStringLiteral("A cleaning or a restore is under way. Please wait until it has "
                          "finished.");
}
inline QString archiveFolderNotAbsolute(const QString& folder) {
    return QStringLiteral("The archive folder \"%1\" is not a full path.").arg(folder);
}
inline QString destinationNotAbsolute(const QString& name, const QString& folder) {
    return QStringLiteral("\"%1\" was not moved: the folder \"%2\" is not a full path.")
        .arg(name, folder);
}
inline QString noDesktopToRestoreTo() {
    return QStringLiteral("Your desktop folder could not be found. Nothing was restored.");
}
inline QString notAPlainName(const QString& name) {
    return QStringLiteral("\"%1\" was not restored: the log does not give a plain file name "
                          "for it.")
        .arg(name);
}
inline QString restoreSourceNotAbsolute(const QString& name, const QString& folder) {
    return QStringLiteral("\"%1\" was not restored: the log gives \"%2\", which is not a full "
                          "path.")
        .arg(name, folder);
}

// The confirmation summary, one text per action.
inline QString willBeDeleted(int count) {
    return QStringLiteral("%1 items will be deleted").arg(count);
}
inline QString willBeRecycled(int count) {
    return QStringLiteral("%1 items will be moved to the recycle bin").arg(count);
}
inline QString willBeArchived(int count) {
    return QStringLiteral("%1 items will be archived").arg(count);
}
inline QString willBeMoved(int count) {
    return QStringLiteral("%1 items will be moved to the folders defined in rules").arg(count);
}
inline QString willBeLeft(int count) {
    return QStringLiteral("%1 items will be left on desktop").arg(count);
}

} // namespace moravel::texts
