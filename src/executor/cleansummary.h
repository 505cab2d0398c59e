#pragma once

#include <QList>
#include <QString>

namespace moravel {

class taskManager;

// One line of the confirmation summary shown before a cleaning run, as data that a window or a
// terminal renders.
struct SummaryLine {
    enum class Colour { Red, Black };
    QString text; // e.g. "3 items will be deleted"
    Colour colour = Colour::Black;
    bool bold = false;
};

// The lines for the counts per action of `plan`, in the order Delete, Recycle, Archive, Move to
// Folder, Leave; an action with no item gives no line.
QList<SummaryLine> cleaningSummary(const taskManager& plan);

} // namespace moravel
