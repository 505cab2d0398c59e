#pragma once

#include <QString>

namespace moravel::texts {

// What the windows and message boxes show. Each text is defined here once.

// The caption of the plain message box until the main window sets its own title.
inline QString applicationTitle() {
    return QStringLiteral("Moravel");
}
inline QString warningCaption() {
    return QStringLiteral("Warning");
}
inline QString confirmCaption() {
    return QStringLiteral("Confirm");
}
inline QString okButton() {
    return QStringLiteral("OK");
}
inline QString cancelButton() {
    return QStringLiteral("Cancel");
}
inline QString yesButton() {
    return QStringLiteral("&Yes");
}
inline QString noButton() {
    return QStringLiteral("&No");
}
inline QString selectDirectoryTitle() {
    return QStringLiteral("Select directory");
}

// The progress window.
inline QString progressCaption() {
    return QStringLiteral("Operation in process");
}
inline QString progressStatus(int position, int total) {
    return QStringLiteral("%1 / %2").arg(position).arg(total);
}

// The confirmation window of the clean command.
inline QString confirmActionsCaption() {
    return QStringLiteral("Confirm actions");
}
inline QString confirmActionsFrame() {
    return QStringLiteral("Press OK to perform the selected actions or CANCEL to abort");
}

// The main window.
inline QString mainWindowCaption() {
    return QStringLiteral("Moravel");
}
// The application title while reminders are off.
inline QString titleWithoutReminder() {
    return QStringLiteral("Moravel.");
}
inline QString titleWithReminder(const QString& date) {
    return QStringLiteral("Moravel - Next reminder ") + date;
}
inline QString cleaningTab() {
    return QStringLiteral("Clean your desktop");
}
inline QString browseTab() {
    return QStringLiteral("Browse cleaned files");
}
inline QString optionsTab() {
    return QStringLiteral("Options and Help");
}
inline QString startCleaningButton() {
    return QStringLiteral("Start Cleaning");
}
inline QString usageHint() {
    return QStringLiteral("Right click files to show option menu. Select which files and folders "
                          "you want to leave on desktop and then press") +
           QStringLiteral(" \"") + startCleaningButton() + u'"';
}
inline QString desktopContentsGroup() {
    return QStringLiteral("Desktop contents");
}
inline QString configurationGroup() {
    return QStringLiteral("Configuration");
}
inline QString manageRulesButton() {
    return QStringLiteral("Manage Rules");
}
inline QString settingsButton() {
    return QStringLiteral("Settings");
}
inline QString helpAndSupportGroup() {
    return QStringLiteral("Help and support");
}
inline QString helpButton() {
    return QStringLiteral("Help");
}
inline QString feedbackButton() {
    return QStringLiteral("Feedback and support");
}

// The tray icon and its menu.
inline QString showMoravelItem() {
    return QStringLiteral("Show Moravel");
}
inline QString exitItem() {
    return QStringLiteral("Exit");
}
inline QString trayBalloonTitle() {
    return QStringLiteral("Moravel Tray");
}
inline QString trayBalloonText() {
    return QStringLiteral("Moravel is now on the system tray. To bring it back, just click on the "
                          "broom icon. To close it, right click on the broom icon and choose "
                          "'exit'.");
}
inline QString reminderDue() {
    return QStringLiteral("It is time to clean your desktop.");
}

// The desktop contents list.
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
inline QString folderSize() {
    return QStringLiteral("-");
}
inline QString userDesktop() {
    return QStringLiteral("User");
}
inline QString publicDesktop() {
    return QStringLiteral("Public");
}

// The popup menu of the desktop contents list.
inline QString leaveItem() {
    return QStringLiteral("Leave on Desktop");
}
inline QString archiveItem() {
    return QStringLiteral("Archive");
}
inline QString deleteItem() {
    return QStringLiteral("Delete");
}
inline QString recycleItem() {
    return QStringLiteral("Recycle");
}
inline QString moveToItem() {
    return QStringLiteral("Move to");
}
inline QString selectAllItem() {
    return QStringLiteral("Select All");
}
inline QString unselectAllItem() {
    return QStringLiteral("Unselect all");
}
inline QString createRuleItem() {
    return QStringLiteral("Create rule for this file type");
}
inline QString selectDestinationItem() {
    return QStringLiteral("Select destination folder");
}
inline QString userDocumentsItem() {
    return QStringLiteral("User Documents");
}
// Followed at once by the reason.
inline QString configurationWriteError() {
    return QStringLiteral("Error while writing configuration file. ");
}

// The rule editor.
inline QString ruleEditorCaption() {
    return QStringLiteral("Rule Editor");
}
inline QString conditionsGroup() {
    return QStringLiteral("Conditions");
}
inline QString nameLikeCheck() {
    return QStringLiteral("Name like");
}
inline QString maskHelpLink() {
    return QStringLiteral("Help using file masks");
}
inline QString sizeBiggerCheck() {
    return QStringLiteral("Size bigger than");
}
inline QString megabytesLabel() {
    return QStringLiteral("MB");
}
inline QString modifiedMoreCheck() {
    return QStringLiteral("Modified more than ");
}
inline QString accessedMoreCheck() {
    return QStringLiteral("Accessed more than ");
}
inline QString daysAgoLabel() {
    return QStringLiteral("days ago");
}
inline QString isFolderCheck() {
    return QStringLiteral("Is Folder");
}
inline QString actionGroup() {
    return QStringLiteral("Action to take");
}
inline QString selectButton() {
    return QStringLiteral("Select");
}
// The name of the destination folder box, for screen readers; the window shows no label there.
inline QString destinationFolderName() {
    return QStringLiteral("Destination folder");
}
inline QString selectAnAction() {
    return QStringLiteral("Please select an action");
}
inline QString sizeLabel() {
    return QStringLiteral("Size");
}
inline QString daysLabel() {
    return QStringLiteral("Days");
}
inline QString folderDoesNotExist() {
    return QStringLiteral("Selected folder does not exist");
}

// The mask help window.
inline QString maskHelpCaption() {
    return QStringLiteral("Learn to use masks");
}
inline QString closeButton() {
    return QStringLiteral("Close");
}
inline QString maskHelpIntro() {
    return QStringLiteral("File masks let you  select files of certain types easily");
}
inline QString maskHelpStar() {
    return QStringLiteral("Using * and text you can select any type of file, like this:");
}
inline QString maskHelpExtension() {
    return QStringLiteral("The mask \"*.doc\" selects all the files than end with the .DOC "
                          "extension, for example: letter.doc, cv.doc, etc.");
}
inline QString maskHelpStart() {
    return QStringLiteral("The mask \"Budget*\" selects any file that starts with \"Budget\", for "
                          "example: \"Budget01.xls\", \"Budget_2009.doc\", etc.");
}
inline QString maskHelpInside() {
    return QStringLiteral("The mask \"*mary*\" selects any file that has \"Mary\" in its name, for "
                          "example:  \"Letter_Mary.doc\", \"Expensesmary.xls\" etc.");
}

// What the program says on its way out when nobody is there to read a message box.
inline QString unshownMessage(const QString& text) {
    return QStringLiteral("Moravel: %1").arg(text);
}

} // namespace moravel::texts
