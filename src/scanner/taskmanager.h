#pragma once

#include "engine/actionkind.h"
#include "engine/task.h"

#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace moravel {

class ShellInfo;
class errorControl;
class global;

// One folder offered as a "Move to" destination.
class action {
public:
    ActionKind kind = actions::MoveToFolder;
    QString path; // as the rule, the log or the user spelled it
};

// The cleaning plan: the items of one scan of both desktops, in scan order (an item's
// position is its plan index), and the folders offered as "Move to" destinations.
class taskManager {
public:
    std::vector<std::unique_ptr<task>> tasks;
    std::vector<std::unique_ptr<action>> destinations;

    // Fills the (empty) plan from the user's desktop, then the shared one. A malformed mask in
    // a rule stops the scan: false, with the mask's message in `error`.
    bool scanDesktops(const global& state, ShellInfo& shellInfo, errorControl& error);
    // Appends one item per entry of `folder` (hidden entries included, links not followed).
    // Throws InvalidMask.
    void scanFolder(const global& state, ShellInfo& shellInfo, const QString& folder,
                    DesktopKind desktop);
    // Ignore list first, then the first matching rule whose action is 0..5, else Leave.
    // Throws InvalidMask.
    void planTask(const global& state, task& item) const;
    void applyIgnoreList(const global& state);
    bool isIgnored(const global& state, const QString& name) const;
    void addTask(std::unique_ptr<task> item);
    int taskCount() const { return static_cast<int>(tasks.size()); }
    int countByAction(ActionKind kind) const;

    void collectDestinations(const global& state);
    // Appends the folder as spelled unless it is listed already.
    void addDestination(const QString& folder);
    // Whether an entry names that folder: the same text, or one that differs only in doubled
    // or trailing separators and "." or ".." steps. Letter case counts.
    bool hasDestination(const QString& folder) const;

private:
    // The ignore list as planning compares it: each entry exactly as it is listed.
    static QSet<QString> ignoredAsListed(const global& state);
    static void plan(const global& state, const QSet<QString>& ignored, task& item);
};

} // namespace moravel
