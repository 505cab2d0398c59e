#pragma once

#include <QString>

namespace moravel {

// What the user answers. The window shows message boxes, the command line asks in the
// terminal, and tests answer from a script.
class Prompts {
public:
    virtual ~Prompts() = default;
    // The plain message box: the application title as caption, no icon, an OK button.
    virtual void showMessage(const QString& text) = 0;
    // Caption "Warning", a warning icon and an OK button.
    virtual void showWarning(const QString& text) = 0;
    // Caption "Confirm", a question icon, "&Yes" and "&No"; false only when the answer is No.
    virtual bool confirmYesNo(const QString& text) = 0;
    // The folder picker "Select directory", opening on `folder`; on OK puts the chosen folder
    // there and returns true, on cancel leaves it unchanged and returns false.
    virtual bool browseForFolder(QString& folder) = 0;
};

// The progress of an operation that walks a list item by item, with a way to stop it.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Shows position / total (0 <= position < total) and lets pending user input through.
    virtual void setProgress(int position, int total) = 0;
    // True when the user asked to stop since the progress was last shown or cleared.
    virtual bool cancelPressed() const = 0;
    virtual void clearCancel() = 0;
    // True when the program must end (the session logs out, the system asks it to end): stop
    // before the next item without asking anything.
    virtual bool mustStop() const { return false; }
};

} // namespace moravel
