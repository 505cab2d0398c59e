#pragma once

#include "platform/prompts.h"

class QTextStream;

namespace moravel {

// The progress of a run or a restore in a terminal: a bar redrawn in place on standard error
// (only when it is a terminal), and Ctrl-C as the Cancel button. From the first `show()` to
// the end of the object's life SIGINT only raises the cancel flag, and SIGTERM and SIGHUP (the
// system or a closing terminal asking the program to end) ask it to stop without a question,
// so that a signal stops the run between two items but never kills the program in the middle
// of an item or before the log is made durable.
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
    bool mustStop() const override;

    // Takes the bar off its line so that a message can take the line; the next step draws it
    // again.
    void clearLine();

private:
    QTextStream& m_err;
    bool m_drawBar;
    bool m_handlersInstalled = false;
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
