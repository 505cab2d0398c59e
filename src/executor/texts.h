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
inline QString noArchiveFolderSet() {
    return QStringLiteral("No archive folder is set. Choose one in the settings.");
}
inline QString noDestinationSet(const QString& name) {
    return QStringLiteral("\"%1\" was not moved: no folder is set for it.").arg(name);
}
// An item on the desktop that holds the archive folder or Moravel's own data.
inline QString holdsMoravelFolder(const QString& name) {
    return QStringLiteral("\"%1\" was left where it is: it holds the archive folder or "
                          "Moravel's own data.")
        .arg(name);
}
// Followed by the reason, which names the log file.
inline QString runStoppedForLog(const QString& name, const QString& reason) {
    return QStringLiteral("\"%1\" was cleaned, but its record could not be written to the "
                          "log. %2 The run stopped there; nothing else was touched.")
        .arg(name, reason);
}
// After a run whose records could not all be written: where each of those items is now.
inline QString unrecordedItemsHeading() {
    return QStringLiteral("These items were cleaned but have no record in the log:");
}
inline QString unrecordedItem(const QString& name, const QString& whereNow) {
    return QStringLiteral("\"%1\": %2").arg(name, whereNow);
}
inline QString nowIn(const QString& folder) {
    return QStringLiteral("now in \"%1\"").arg(folder);
}
inline QString nowInTrash() {
    return QStringLiteral("moved to the trash");
}
inline QString nowDeleted() {
    return QStringLiteral("deleted");
}
inline QString destinationNotAbsolute(const QString& name, const QString& folder) {
    return QStringLiteral("\"%1\" was not moved: the folder \"%2\" is not a full path.")
        .arg(name, folder);
}
inline QString noDesktopToRestoreTo() {
    return QStringLiteral("Your desktop folder could not be found. Nothing was restored.");
}
inline QString notAnEntryName(const QString& name) {
    return QStringLiteral("\"%1\" was left where it is: its name does not name one item of the "
                          "desktop.")
        .arg(name);
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
