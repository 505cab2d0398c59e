#include "executor/doer.h"

#include "engine/asciicase.h"
#include "engine/clock.h"
#include "engine/errorcontrol.h"
#include "engine/filename.h"
#include "executor/texts.h"
#include "platform/locations.h"
#include "platform/prompts.h"
#include "platform/shelloperations.h"
#include "scanner/taskmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <set>
#include <sys/stat.h>

namespace moravel {

namespace {

QString twoDigits(int value) {
    return QString::asprintf("%.*d", 2, value);
}

// A folder as the file system knows it, whatever path leads there.
struct FolderId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator<(const FolderId& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

} // namespace

// The folders a run must never take away: the data folder (the configuration and the log), the
// archive folder and today's date folder, and every folder that holds one of them.
class doer::ProtectedFolders {
public:
    void add(const QString& path) {
        if (path.isEmpty() || QDir::isRelativePath(path)) {
            return;
        }
        QString folder = QFileInfo(path).canonicalFilePath();
        while (!folder.isEmpty()) {
            struct stat status {};
            if (::stat(QFile::encodeName(folder).constData(), &status) == 0) {
                m_ids.insert({status.st_dev, status.st_ino});
            }
            const QString parent = QFileInfo(folder).path();
            if (parent == folder) {
                break;
            }
            folder = parent;
        }
    }

    // Whether the item at `path` (not followed when it is a link) is one of them.
    bool contains(const QByteArray& path) const {
        struct stat status {};
        return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
               m_ids.count({status.st_dev, status.st_ino}) > 0;
    }

private:
    std::set<FolderId> m_ids;
};

QString dateFolderName(DateFolderFormat format, const QDate& date) {
    const QString yy = twoDigits(date.year() - 2000);
    const QString mm = twoDigits(date.month());
    const QString dd = twoDigits(date.day());
    const QChar dash = u'-';
    switch (format) {
    case datefolder::MmDdYy:
        return mm + dash + dd + dash + yy;
    case datefolder::DdMmYy:
        return dd + dash + mm + dash + yy;
    default:
        // An unknown format (only a hand-edited file gives one) would put the items into the
        // archive folder's root, mixed with every other day's folders.
        return yy + dash + mm + dash + dd;
    }
}

doer::doer() = default;
doer::~doer() = default;

bool doer::execute(const taskManager& plan, global& state, errorControl& error, Prompts& prompts,
                   Progress& progress, ShellOperations& shell) {
    failedItems = 0;
    stopped = false;
    // Every cleaned item must be found again: without a log that takes records, nothing moves.
    if (!state.openLog(error)) {
        return false;
    }
    const bool archives = std::any_of(plan.tasks.begin(), plan.tasks.end(),
                                      [](const auto& t) { return t->action == actions::Archive; });
    if (archives && !createDateFolder(state, error)) {
        return false;
    }
    m_protected = std::make_unique<ProtectedFolders>();
    m_protected->add(state.locations().dataFolder());
    m_protected->add(state.rutaRepositorio);
    m_protected->add(state.currentArchiveFolder);

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
        if (progress.mustStop()) {
            stopped = true;
            break;
        }
        if (progress.cancelPressed()) {
            if (!prompts.confirmYesNo(texts::stopCleaningQuestion())) {
                progress.clearCancel();
            } else {
                stopped = true;
                break;
            }
        }
        const task& item = *plan.tasks[static_cast<std::size_t>(j)];
        if (!doTask(item, state, shell, prompts)) {
            ++failedItems;
        }
        if (!recordWritten) {
            // The item is done but its record is not in the log: no further item is touched
            // until the log takes records again.
            prompts.showMessage(texts::runStoppedForLog(item.name, state.logWriteFailure()));
            stopped = true;
            break;
        }
    }
    progress.hide();
    return true;
}

bool doer::createDateFolder(global& state, errorControl& error) {
    if (state.rutaRepositorio.isEmpty()) {
        error.message = texts::noArchiveFolderSet();
        return false;
    }
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
    recordWritten = true;
    if (item.action == actions::Leave || item.action == actions::Ask) {
        return true; // nothing to do; Ask never gets here through the clean command
    }
    // Only the scan makes items, from directory entries; a name that is not one would lead to
    // the desktop itself or elsewhere.
    if (!isPlainFileName(item.nameBytes)) {
        prompts.showMessage(texts::notAnEntryName(item.name));
        return false;
    }
    const QByteArray source = item.nativePath();
    // Only a folder can hold one of them; the scan has told which items are folders.
    if (item.isFolder && m_protected && m_protected->contains(source)) {
        prompts.showMessage(texts::holdsMoravelFolder(item.name));
        return false;
    }
    QString destination;
    Arrival arrival;
    bool done = false;
    switch (item.action) {
    case actions::Archive:
        destination = state.currentArchiveFolder;
        done = shell.shellMove(source, QFile::encodeName(destination), &arrival);
        break;
    case actions::MoveToFolder:
        destination = item.destination;
        // An empty or relative folder would send the item somewhere under the working folder.
        if (destination.isEmpty()) {
            prompts.showMessage(texts::noDestinationSet(item.name));
            return false;
        }
        if (QDir::isRelativePath(destination)) {
            prompts.showMessage(texts::destinationNotAbsolute(item.name, destination));
            return false;
        }
        done = shell.shellMove(source, QFile::encodeName(destination), &arrival);
        break;
    case actions::Recycle:
    case actions::Delete:
        done = shell.shellDelete(source, item.action == actions::Recycle);
        break;
    default:
        // Leave, and Ask, which the clean command never lets through: nothing to do.
        return true;
    }
    // An item that was in its folder already was not cleaned: it gets no record.
    if (!done || arrival.alreadyThere) {
        return done;
    }
    // A record says where the item is now: a failed item stays on the desktop without one, and
    // an item renamed on arrival is recorded under its new name so that a restore finds it.
    recordWritten = state.logAction(arrival.name.isNull() ? item.nameBytes : arrival.name,
                                    destination, item.action);
    return true;
}

} // namespace moravel
