#pragma once

#include <QList>
#include <QString>

#include <vector>

namespace moravel {

class Locations;
class Progress;
class Prompts;
class ShellOperations;
class global;

// One row of the list of cleaned items: the index of its record in the log, and whether the
// user selected it.
struct RestoreRow {
    int logIndex = -1;
    bool selected = false;
};

// An item that came back: its record, and the name it has on the desktop now.
struct RestoredItem {
    int logIndex = -1;
    QString desktopName;
};

struct RestoreResult {
    int copied = 0;
    std::vector<RestoredItem> restored;
    int failed = 0;         // the copy failed, or the record was passed over with a message
    bool noDesktop = false; // the desktop lookup failed: nothing was copied
    bool cancelled = false;
    bool refused = false; // another command was under way: nothing was done
};

// Copies the items of the selected rows back to the user's own desktop, walking the rows in
// their order with the progress shown; Cancel ends it before the next row. Recycled and
// deleted items have nowhere to come back from and are passed over without a word. The items
// also stay where they were cleaned to, and the log is not changed.
RestoreResult restoreToDesktop(const QList<RestoreRow>& rows, const global& state, Prompts& prompts,
                               Progress& progress, ShellOperations& shell);

} // namespace moravel
