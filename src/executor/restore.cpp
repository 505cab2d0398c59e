#include "executor/restore.h"

#include "engine/filename.h"
#include "executor/texts.h"
#include "platform/locations.h"
#include "platform/prompts.h"
#include "platform/shelloperations.h"
#include "platform/trash.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <unistd.h>

namespace moravel {

namespace {

// How far apart the record's cleaning time and the trash's deletion date may lie: the two
// clocks are read moments apart, and a slow run or a clock change can part them more.
constexpr double matchingSeconds = 5 * 60;

// Puts a recycled item back from the trash onto the desktop: the trash entry that was at the
// item's place on the desktop, deleted closest to the record's time, goes back under the
// item's name (or a free name after it), and its ".trashinfo" goes with it, so that no trash
// tool lists it any more.
bool putBackFromTrash(const logLine& record, const QString& desktop, Prompts& prompts,
                      ShellOperations& shell, RestoreResult& result, int logIndex) {
    const QByteArray folder = QFile::encodeName(desktop);
    const QByteArray name = record.itemNameBytes();
    const TrashEntry* best = nullptr;
    double bestDistance = matchingSeconds;
    const std::vector<TrashEntry> entries = trashEntriesOf(folder + '/' + name);
    for (const TrashEntry& entry : entries) {
        const double distance =
            std::fabs(toDateTimeValue(entry.deletedAt) - record.cleanedAt) * 86400.0;
        if (distance <= bestDistance) {
            best = &entry;
            bestDistance = distance;
        }
    }
    if (best == nullptr) {
        prompts.showMessage(texts::notInTrash(record.itemName));
        return false;
    }
    Arrival arrival;
    if (!shell.shellMoveAs(best->file, folder, name, &arrival)) {
        return false;
    }
    if (::unlink(best->info.constData()) != 0 && errno != ENOENT) {
        const int reason = errno;
        prompts.showMessage(texts::trashInfoLeft(record.itemName, QFile::decodeName(best->info),
                                                 QString::fromLocal8Bit(std::strerror(reason))));
    }
    result.restored.push_back({logIndex, displayName(arrival.name)});
    return true;
}

} // namespace

RestoreResult restoreToDesktop(const QList<RestoreRow>& rows, const global& state, Prompts& prompts,
                               Progress& progress, ShellOperations& shell) {
    RestoreResult result;
    const QString desktop = desktopFolder(state.locations(), false);
    if (desktop.isEmpty()) {
        result.noDesktop = true;
        prompts.showMessage(texts::noDesktopToRestoreTo());
        return result;
    }

    progress.show();
    const auto count = static_cast<int>(rows.size());
    for (int i = 0; i < count; ++i) {
        if (progress.cancelPressed()) {
            result.cancelled = true;
            break;
        }
        progress.setProgress(i, count);
        const RestoreRow& row = rows[i];
        if (!row.selected || row.logIndex < 0 ||
            row.logIndex >= static_cast<int>(state.logLines.size())) {
            continue;
        }
        const logLine& record = *state.logLines[static_cast<std::size_t>(row.logIndex)];
        const bool recycled = record.performedAction == actions::Recycle;
        if (!recycled && record.destinationFolder.isEmpty()) {
            continue; // deleted: there is nothing to come back
        }
        const QByteArray name = record.itemNameBytes();
        // A log written by Moravel names an item without any folder part; anything else comes
        // from a hand-edited log and could reach outside the folder it was cleaned into.
        if (!isPlainFileName(name)) {
            prompts.showMessage(texts::notAPlainName(record.itemName));
            ++result.failed;
            continue;
        }
        if (recycled) {
            if (putBackFromTrash(record, desktop, prompts, shell, result, row.logIndex)) {
                ++result.copied;
            } else {
                ++result.failed;
            }
            continue;
        }
        if (QDir::isRelativePath(record.destinationFolder)) {
            prompts.showMessage(
                texts::restoreSourceNotAbsolute(record.itemName, record.destinationFolder));
            ++result.failed;
            continue;
        }
        QByteArray arrived;
        if (shell.shellCopy(QFile::encodeName(record.destinationFolder) + '/' + name,
                            QFile::encodeName(desktop), &arrived)) {
            ++result.copied;
            result.restored.push_back({row.logIndex, displayName(arrived)});
        } else {
            ++result.failed;
        }
    }
    progress.hide();
    return result;
}

} // namespace moravel
