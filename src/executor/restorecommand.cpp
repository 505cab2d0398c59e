#include "executor/restorecommand.h"

#include "executor/busyguard.h"

namespace moravel {

restoreCommand::restoreCommand(const global& state, Prompts& prompts, Progress& progress,
                               ShellOperations& shell, BusyGuard& guard)
    : m_state(state), m_prompts(prompts), m_progress(progress), m_shell(shell), m_guard(guard) {}

bool restoreCommand::isBusy() const {
    return m_guard.isBusy();
}

RestoreResult restoreCommand::restore(const QList<RestoreRow>& rows) {
    const BusyGuard::Scope scope(m_guard, m_prompts);
    if (!scope.entered()) {
        RestoreResult refused;
        refused.refused = true;
        return refused;
    }
    return restoreToDesktop(rows, m_state, m_prompts, m_progress, m_shell);
}

} // namespace moravel
