#pragma once

#include "platform/prompts.h"

namespace moravel {

// Whether the application is on its way out: "Exit" in the tray menu, the end of the desktop
// session, or a termination signal. A cleaning run in progress then stops between two items,
// keeping and logging what it has done, and nobody is asked anything any more.
class Ending {
public:
    bool requested = false;
};

// The window's prompts while the application may be ending: until then each question goes to
// the user; from then on the question whether to stop a run is answered yes, and messages,
// which nobody would read, go to standard error instead of a box that would hold the exit up.
class EndingPrompts final : public Prompts {
public:
    EndingPrompts(Prompts& inner, const Ending& ending) : m_inner(inner), m_ending(ending) {}

    void showMessage(const QString& text) override;
    void showWarning(const QString& text) override;
    bool confirmYesNo(const QString& text) override;
    bool browseForFolder(QString& folder) override;

private:
    Prompts& m_inner;
    const Ending& m_ending;
};

// The progress of a run that reports Cancel once the application is ending, so that the run
// stops before its next item.
class EndingProgress final : public Progress {
public:
    EndingProgress(Progress& inner, const Ending& ending) : m_inner(inner), m_ending(ending) {}

    void show() override { m_inner.show(); }
    void hide() override { m_inner.hide(); }
    void setProgress(int position, int total) override { m_inner.setProgress(position, total); }
    bool cancelPressed() const override { return m_ending.requested || m_inner.cancelPressed(); }
    void clearCancel() override { m_inner.clearCancel(); }

private:
    Progress& m_inner;
    const Ending& m_ending;
};

} // namespace moravel
