#pragma once

#include "executor/cleansummary.h"

#include <QList>

#include <functional>

namespace moravel {

class BusyGuard;
class Progress;
class Prompts;
class ShellOperations;
class global;
class taskManager;

// Shows the summary of what a run will do and asks whether to go ahead: the window shows its
// confirmation window, the command line prints the lines and asks, tests answer from a script.
class CleanConfirmation {
public:
    virtual ~CleanConfirmation() = default;
    // True when the user chose to go ahead.
    virtual bool confirmCleaning(const QList<SummaryLine>& summary) = 0;
};

struct CleanOutcome {
    enum class Result {
        Refused,   // busy, an empty plan or an item still planned as Ask; the user was told
        Cancelled, // the user did not confirm; nothing changed
        Failed,    // the run failed before touching any item; the user was told why
        WentAhead, // the run went through or was stopped by the user
    };
    Result result = Result::Refused;
    int failedItems = 0;  // items whose operation failed; they stay on the desktop
    bool stopped = false; // the run stopped part-way (the user, the session's end, the log)
    bool logWritten = false;
    bool endApplication = false; // the after-run step asks the program to end

    // The run went ahead, handled every item and logged every one it cleaned.
    bool succeeded() const {
        return result == Result::WentAhead && failedItems == 0 && !stopped && logWritten;
    }
};

// The "Start Cleaning" command, the same for the window and the command line: refuses an empty
// plan and a plan with an item planned as Ask, asks for confirmation with the summary, then
// counts a new run, carries the plan out, rescans, writes the log and reports the outcome.
class cleanCommand {
public:
    cleanCommand(global& state, Prompts& prompts, Progress& progress, ShellOperations& shell,
                 CleanConfirmation& confirmation, BusyGuard& guard);

    // Scans both desktops anew and replaces the plan on show. It runs after every confirmed
    // run, so the plan given to `clean` may be gone when it returns. Unset: no rescan.
    std::function<void()> rescan;
    // Runs after the log was written, before "Cleaning finished": the window rebuilds the
    // browser's date tree and brings it to the front.
    std::function<void()> showCleanedItems;
    // Runs last after every run that went ahead, whether or not the log could be written; this
    // is where the update check belongs. Returns true when the program is to end (the user
    // chose to download a newer version).
    std::function<bool()> afterRun;

    CleanOutcome clean(const taskManager& plan);
    bool isBusy() const;

private:
    global& m_state;
    Prompts& m_prompts;
    Progress& m_progress;
    ShellOperations& m_shell;
    CleanConfirmation& m_confirmation;
    BusyGuard& m_guard;
};

} // namespace moravel
