#include "executor/restore.h"

#include "engine/filename.h"
#include "executor/texts.h"
#include "platform/locations.h"
#include "platform/prompts.h"
#include "platform/shelloperations.h"
#include "storage/global.h"

#include <QDir>
#include <QFile>

namespace moravel {

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
        if (record.destinationFolder.isEmpty()) {
            continue; // recycled or deleted
        }
        const QByteArray name = record.itemNameBytes();
        // A log written by Moravel names an item without any folder part; anything else comes
        // from a hand-edited log and could reach outside the folder it was cleaned into.
        if (!isPlainFileName(name)) {
            prompts.showMessage(texts::notAPlainName(record.itemName));
            ++result.failed;
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
