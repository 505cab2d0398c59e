#pragma once

#include "executor/restore.h"

namespace moravel {

class BusyGuard;

// "Restore to Desktop", the same for the window and the command line: the restore, unless
// another command is under way.
class restoreCommand {
public:
    restoreCommand(const global& state, Prompts& prompts, Progress& progress,
                   ShellOperations& shell, BusyGuard& guard);

    RestoreResult restore(const QList<RestoreRow>& rows);
    bool isBusy() const;

private:
    const global& m_state;
    Prompts& m_prompts;
    Progress& m_progress;
    ShellOperations& m_shell;
    BusyGuard& m_guard;
};

} // namespace moravel
