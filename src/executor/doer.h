#pragma once

#include "storage/global.h"

#include <QDate>
#include <QString>

#include <memory>

namespace moravel {

class Progress;
class Prompts;
class ShellOperations;
class errorControl;
class task;
class taskManager;

// The name of a run's date folder for `date`, by the date folder format: YY-MM-DD, MM-DD-YY or
// DD-MM-YY with each part zero-padded to two digits and YY the year minus 2000; empty for any
// other format (the archive folder itself then receives the items).
QString dateFolderName(DateFolderFormat format, const QDate& date);

// Carries out one cleaning plan. Make a fresh one for each run.
class doer {
public:
    doer();
    ~doer();
    doer(const doer&) = delete;
    doer& operator=(const doer&) = delete;

    // Items whose operation failed; they stay where they were and get no log record.
    int failedItems = 0;
    // True when the run stopped before its last item: the user stopped it, the program must
    // end, or a record could not be written.
    bool stopped = false;
    // False when the last item handled was cleaned but its record could not be written.
    bool recordWritten = true;

    // Refuses to start unless the log takes records. Prepares the date folder when anything is
    // archived, rebuilds the ignore list from the items left on the desktop, saves the
    // configuration, then handles every item in plan order, stopping between two items when the
    // user cancels and confirms. True when the run went through or was stopped by the user; false
    // when it failed before touching any item, with the reason in `error`.
    bool execute(const taskManager& plan, global& state, errorControl& error, Prompts& prompts,
                 Progress& progress, ShellOperations& shell);
    // Makes sure the archive folder and today's date folder exist (one level each) and points
    // `currentArchiveFolder` at the latter.
    bool createDateFolder(global& state, errorControl& error);
    // Performs one item's action and logs it under the name it has at its destination. False
    // when the operation failed; the failure has been shown to the user. The data folder, the
    // archive folder and the folders that hold them are never moved or deleted.
    bool doTask(const task& item, global& state, ShellOperations& shell, Prompts& prompts);

private:
    class ProtectedFolders;
    std::unique_ptr<ProtectedFolders> m_protected;
};

} // namespace moravel
