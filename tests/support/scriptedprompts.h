#pragma once

#include "platform/prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace moravel::testing {

// Answers for the user from a script and records every question, so that no test waits on a
// real modal box.
class ScriptedPrompts final : public Prompts {
public:
    QStringList messages; // plain message boxes, in order
    QStringList warnings;
    QStringList questions;
    QList<bool> answers;       // answers to confirmYesNo, in order; yes when the script runs out
    QStringList pickedFolders; // answers to browseForFolder; cancel when the script runs out
    QStringList pickerStarts;

    void showMessage(const QString& text) override { messages << text; }
    void showWarning(const QString& text) override { warnings << text; }
    bool confirmYesNo(const QString& text) override {
        questions << text;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    bool browseForFolder(QString& folder) override {
        pickerStarts << folder;
        if (pickedFolders.isEmpty()) {
            return false;
        }
        folder = pickedFolders.takeFirst();
        return true;
    }
    // Every text shown, of any kind, in order of kind.
    QStringList everything() const { return messages + warnings + questions; }
};

// Records the progress calls; `cancelAt` presses Cancel when that position is shown, `endAt`
// has the program asked to end from that position on.
class ScriptedProgress final : public Progress {
public:
    QList<QPair<int, int>> steps;
    int shown = 0;
    int hidden = 0;
    int cancelAt = -1;
    int endAt = -1;
    std::function<void(int)> onStep; // runs inside setProgress, where user input would arrive

    void show() override {
        ++shown;
        m_cancel = false;
    }
    void hide() override { ++hidden; }
    void setProgress(int position, int total) override {
        steps.append({position, total});
        if (position == cancelAt) {
            m_cancel = true;
        }
        if (position == endAt) {
            m_end = true;
        }
        if (onStep) {
            onStep(position);
        }
    }
    bool cancelPressed() const override { return m_cancel; }
    void clearCancel() override { m_cancel = false; }
    void pressCancel() { m_cancel = true; }
    bool mustStop() const override { return m_end; }

private:
    bool m_cancel = false;
    bool m_end = false;
};

} // namespace moravel::testing
