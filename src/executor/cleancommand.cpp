#include "executor/cleancommand.h"

#include "engine/errorcontrol.h"
#include "executor/busyguard.h"
#include "executor/doer.h"
#include "executor/texts.h"
#include "platform/prompts.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"

#include <limits>

namespace moravel {

namespace {

// Where each item that has no record went, so that the user can still find it.
QString unrecordedItems(const global& state) {
    const std::vector<const logLine*> records = state.unwrittenRecords();
    if (records.empty()) {
        return {};
    }
    QString text = u'\n' + texts::unrecordedItemsHeading();
    for (const logLine* record : records) {
        QString whereNow;
        switch (record->performedAction) {
        case actions::Recycle:
            whereNow = texts::nowInTrash();
            break;
        case actions::Delete:
            whereNow = texts::nowDeleted();
            break;
        default:
            whereNow = texts::nowIn(record->destinationFolder);
            break;
        }
        text += u'\n' + texts::unrecordedItem(record->itemName, whereNow);
    }
    return text;
}

} // namespace

cleanCommand::cleanCommand(global& state, Prompts& prompts, Progress& progress,
                           ShellOperations& shell, CleanConfirmation& confirmation,
                           BusyGuard& guard)
    : m_state(state), m_prompts(prompts), m_progress(progress), m_shell(shell),
      m_confirmation(confirmation), m_guard(guard) {}

bool cleanCommand::isBusy() const {
    return m_guard.isBusy();
}

CleanOutcome cleanCommand::clean(const taskManager& plan) {
    CleanOutcome outcome;
    const BusyGuard::Scope scope(m_guard, m_prompts);
    if (!scope.entered()) {
        return outcome;
    }
    if (plan.taskCount() == 0) {
        m_prompts.showMessage(texts::nothingToClean());
        return outcome;
    }
    for (const auto& item : plan.tasks) {
        if (item->action == actions::Ask) {
            m_prompts.showWarning(texts::chooseActionFor(item->name));
            return outcome;
        }
    }
    if (!m_confirmation.confirmCleaning(cleaningSummary(plan))) {
        outcome.result = CleanOutcome::Result::Cancelled;
        return outcome;
    }

    errorControl error;
    doer run;
    // At its end the count stays: a wrapped number would be taken for an old run's.
    if (m_state.nroOperacion < std::numeric_limits<std::int32_t>::max()) {
        ++m_state.nroOperacion;
    }
    const bool wentAhead = run.execute(plan, m_state, error, m_prompts, m_progress, m_shell);
    outcome.failedItems = run.failedItems;
    outcome.stopped = run.stopped;
    // The rescan may replace `plan`: it is not touched after this point.
    if (rescan) {
        rescan();
    }
    if (!wentAhead) {
        outcome.result = CleanOutcome::Result::Failed;
        m_prompts.showMessage(texts::errorPrefix() + error.message);
        return outcome;
    }

    outcome.result = CleanOutcome::Result::WentAhead;
    errorControl logError;
    outcome.logWritten = m_state.writeLog(logError);
    if (outcome.logWritten) {
        if (showCleanedItems) {
            showCleanedItems();
        }
        m_prompts.showMessage(texts::cleaningFinished());
    } else {
        m_prompts.showMessage(texts::logSaveErrorPrefix() + logError.message +
                              unrecordedItems(m_state));
    }
    if (afterRun) {
        outcome.endApplication = afterRun();
    }
    return outcome;
}

} // namespace moravel
