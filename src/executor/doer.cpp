#include "executor/doer.h"

#include "engine/asciicase.h"
#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "executor/texts.h"
#include "platform/prompts.h"
#include "platform/shelloperations.h"
#include "scanner/taskmanager.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace moravel {

namespace {

QString twoDigits(int value) {
    return QString::asprintf("%.*d", 2, value);
}

} // namespace

QString dateFolderName(DateFolderFormat format, const QDate& date) {
    const QString yy = twoDigits(date.year() - 2000);
    const QString mm = twoDigits(date.month());
    const QString dd = twoDigits(date.day());
    const QChar dash = u'-';
    switch (format) {
    case datefolder::YyMmDd:
        return yy + dash + mm + dash + dd;
    case datefolder::MmDdYy:
        return mm + dash + dd + dash + yy;
    case datefolder::DdMmYy:
        return dd + dash + mm + dash + yy;
    default:
        return {};
    }
}

bool doer::execute(const taskManager& plan, global& state, errorControl& error, Prompts& prompts,
                   Progress& progress, ShellOperations& shell) {
    failedItems = 0;
    stopped = false;
    const bool archives = std::any_of(plan.tasks.begin(), plan.tasks.end(),
                                      [](const auto& t) { return t->action == actions::Archive; });
    if (archives && !createDateFolder(state, error)) {
        return false;
    }

    state.ignoreList.clear();
    for (const auto& item : plan.tasks) {
        if (item->action == actions::Leave) {
            state.addIgnored(upperAscii(item->name));
        }
    }
    if (!state.saveConfiguration(error)) {
        error.message += texts::whenSavingSettings();
        return false;
    }

    const int count = plan.taskCount();
    progress.show();
    for (int j = 0; j < count; ++j) {
        progress.setProgress(j, count);
        if (progress.cancelPressed()) {
            if (!prompts.confirmYesNo(texts::stopCleaningQuestion())) {
                progress.clearCancel();
            } else {
                stopped = true;
                progress.hide();
                return true;
            }
        }
        if (!doTask(*plan.tasks[static_cast<std::size_t>(j)], state, shell, prompts)) {
            ++failedItems;
        }
    }
    progress.hide();
    return true;
}

bool doer::createDateFolder(global& state, errorControl& error) {
    // A relative archive folder (only a hand-edited configuration gives one) would land
    // wherever the program happens to run.
    if (QDir::isRelativePath(state.rutaRepositorio)) {
        error.message = texts::archiveFolderNotAbsolute(state.rutaRepositorio);
        return false;
    }
    if (!createFolder(state.rutaRepositorio, error)) {
        return false;
    }
    const QDate today = state.clock().now().date();
    state.currentArchiveFolder =
        state.rutaRepositorio + u'/' + dateFolderName(state.reglaCreacionCarpeta, today);
    return createFolder(state.currentArchiveFolder, error);
}

bool doer::doTask(const task& item, global& state, ShellOperations& shell, Prompts& prompts) {
    const QString source = item.fullPath();
    QString destination;
    QString arrivedName;
    bool done = false;
    switch (item.action) {
    case actions::Archive:
        destination = state.currentArchiveFolder;
        done = shell.shellMove(source, destination, &arrivedName);
        break;
    case actions::MoveToFolder:
        destination = item.destination;
        // An empty or relative folder would send the item somewhere under the working folder.
        if (QDir::isRelativePath(destination)) {
            prompts.showMessage(texts::destinationNotAbsolute(item.name, destination));
            return false;
        }
        done = shell.shellMove(source, destination, &arrivedName);
        break;
    case actions::Recycle:
    case actions::Delete:
        done = shell.shellDelete(source, item.action == actions::Recycle);
        break;
    default:
        // Leave, and Ask, which the clean command never lets through: nothing to do.
        return true;
    }
    // A record says where the item is now: a failed item stays on the desktop without one, and
    // an item renamed on arrival is recorded under its new name so that a restore finds it.
    if (done) {
        state.logAction(arrivedName.isEmpty() ? item.name : arrivedName, destination, item.action);
    }
    return done;
}

} // namespace moravel
