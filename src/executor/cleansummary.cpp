#include "executor/cleansummary.h"

#include "executor/texts.h"
#include "scanner/taskmanager.h"

namespace moravel {

QList<SummaryLine> cleaningSummary(const taskManager& plan) {
    struct Row {
        ActionKind action;
        QString (*text)(int);
        SummaryLine::Colour colour;
        bool bold;
    };
    // The dangerous actions first and in red: they cannot be taken back from Moravel's log.
    static constexpr Row rows[] = {
        {actions::Delete, &texts::willBeDeleted, SummaryLine::Colour::Red, true},
        {actions::Recycle, &texts::willBeRecycled, SummaryLine::Colour::Red, true},
        {actions::Archive, &texts::willBeArchived, SummaryLine::Colour::Black, true},
        {actions::MoveToFolder, &texts::willBeMoved, SummaryLine::Colour::Black, true},
        {actions::Leave, &texts::willBeLeft, SummaryLine::Colour::Black, false},
    };
    QList<SummaryLine> lines;
    for (const Row& row : rows) {
        const int count = plan.countByAction(row.action);
        if (count > 0) {
            lines.append({row.text(count), row.colour, row.bold});
        }
    }
    return lines;
}

} // namespace moravel
