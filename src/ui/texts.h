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

} // namespace moravel::texts
