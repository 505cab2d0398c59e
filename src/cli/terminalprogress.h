#pragma once

#include "platform/prompts.h"

class QTextStream;

namespace moravel {

// The progress of a run or a restore in a terminal: a bar redrawn in place on standard error
// (only when it is a terminal), and Ctrl-C as the Cancel button. From the first `show()` to
// the end of the object's life SIGINT only raises the cancel flag, so that an interrupt can
// stop the run between two items but never kill the program in the middle of an item or
// before the log is written.
class TerminalProgress final : public Progress {
public:
    TerminalProgress(QTextStream& err, bool drawBar);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void show() override;
    void hide() override;
    void setProgress(int position, int total) override;
    bool cancelPressed() const override;
    void clearCancel() override;

    // Takes the bar off its line so that a message can take the line; the next step draws it
    // again.
    void clearLine();

private:
    QTextStream& m_err;
    bool m_drawBar;
    bool m_handlerInstalled = false;
    qsizetype m_barWidth = 0;
};

// The prompts of a run in a terminal: messages and questions first take the progress bar off
// its line; with `answerYes` (the --yes option) every question is answered Yes without asking.
class RunPrompts final : public Prompts {
public:
    RunPrompts(Prompts& prompts, QTextStream& err, TerminalProgress& progress, bool answerYes)
        : m_prompts(prompts), m_err(err), m_progress(progress), m_answerYes(answerYes) {}

    void showMessage(const QString& text) override;
    void showWarning(const QString& text) override;
    bool confirmYesNo(const QString& text) override;
    bool browseForFolder(QString& folder) override;

private:
    Prompts& m_prompts;
    QTextStream& m_err;
    TerminalProgress& m_progress;
    bool m_answerYes;
};

} // namespace moravel
