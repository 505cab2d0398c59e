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

// The cleaned files browser.
inline QString searchButton() {
    return QStringLiteral("Search");
}
inline QString searchHint() {
    return QStringLiteral("Search file");
}
// The name of the mask box, for screen readers; the window shows no label there.
inline QString maskBoxName() {
    return QStringLiteral("File mask");
}
inline QString openFolderButton() {
    return QStringLiteral("&Open Destination Folder");
}
inline QString openFolderHint() {
    return QStringLiteral("Opens destination folder in a new file manager window");
}
inline QString restoreButton() {
    return QStringLiteral("&Restore to Desktop");
}
inline QString restoreHint() {
    return QStringLiteral("Move back to desktop");
}
inline QString showMoreLink() {
    return QStringLiteral("Showing first 50 items, click here to show all");
}
inline QString cleaningDateGroup() {
    return QStringLiteral("Cleaning date");
}
inline QString cleanedItemsGroup() {
    return QStringLiteral("Cleaned items");
}
inline QString allNode() {
    return QStringLiteral("All");
}
inline QString destinationFolderGone(const QString& folder) {
    return QStringLiteral("The folder \"%1\" no longer exists.").arg(folder);
}
inline QString folderNotOpened(const QString& folder) {
    return QStringLiteral("No file manager could open the folder \"%1\".").arg(folder);
}

// The rule list.
inline QString ruleListCaption() {
    return QStringLiteral("Rule List");
}
inline QString highPriorityCaption() {
    return QStringLiteral("High\nPriority\nRules");
}
inline QString lowPriorityCaption() {
    return QStringLiteral("Low\nPriority\nRules");
}
inline QString conditionColumn() {
    return QStringLiteral("Condition");
}
inline QString folderColumn() {
    return QStringLiteral("Folder");
}
inline QString newRuleButton() {
    return QStringLiteral("&New");
}
inline QString editRuleButton() {
    return QStringLiteral("&Edit");
}
inline QString removeRuleButton() {
    return QStringLiteral("&Remove");
}
inline QString moveUpButton() {
    return QStringLiteral("Move &Up");
}
inline QString moveDownButton() {
    return QStringLiteral("Move &Down");
}
inline QString deleteRuleQuestion() {
    return QStringLiteral("Do you want to delete this rule?");
}

// The settings dialog.
inline QString optionsCaption() {
    return QStringLiteral("Options");
}
inline QString archiveFolderGroup() {
    return QStringLiteral("Archive folder");
}
inline QString selectArchiveFolderButton() {
    return QStringLiteral("&Select");
}
inline QString dateFolderFormatGroup() {
    return QStringLiteral("Date folder format");
}
inline QString yyMmDdOption() {
    return QStringLiteral("YY-MM-DD");
}
inline QString mmDdYyOption() {
    return QStringLiteral("MM-DD-YY");
}
inline QString foldersGroup() {
    return QStringLiteral("Folders");
}
inline QString includeFoldersCheck() {
    return QStringLiteral("Include folders in cleaning process");
}
inline QString reminderGroup() {
    return QStringLiteral("Remind me to clean my desktop");
}
inline QString startAutomaticallyGroup() {
    return QStringLiteral("Start Moravel automatically");
}
inline QString launchAtLoginCheck() {
    return QStringLiteral("&Launch at login");
}
inline QString updatesGroup() {
    return QStringLiteral("Updates");
}
inline QString updatesCheck() {
    return QStringLiteral("Inform me when a new version is available");
}
inline QString logGroup() {
    return QStringLiteral("Log");
}
inline QString keepLabel() {
    return QStringLiteral("&Keep");
}
inline QString monthsOfLogLabel() {
    return QStringLiteral("months of log");
}
// The name of the months box, for screen readers: its two labels read as one.
inline QString monthsOfLogName() {
    return QStringLiteral("Keep months of log");
}
inline QString archiveFolderDoesNotExist() {
    return QStringLiteral("Folder does not exist");
}
// Followed by " must be an integer" when the months box holds no integer.
inline QString logMonthsLabel() {
    return QStringLiteral("log months");
}

// A caption as screen readers read it: without the "&" that marks its access key.
inline QString withoutMnemonic(const QString& caption) {
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i; // "&&" stands for one "&"
        }
        text.append(caption[i]);
    }
    return text;
}

// What the program says on its way out when nobody is there to read a message box.
inline QString unshownMessage(const QString& text) {
    return QStringLiteral("Moravel: %1").arg(text);
}

} // namespace moravel::texts
