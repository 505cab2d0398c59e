#pragma once

#include "engine/rulecondition.h"

#include <QString>

#include <memory>
#include <vector>

namespace moravel {

// A user rule: every condition must hold for the rule to give its action.
class rule {
public:
    std::vector<std::unique_ptr<ruleCondition>> conditions;
    ActionKind action = actions::NotChosen;
    QString folder;

    // True when every condition holds, also when there is none. Throws InvalidMask.
    bool matches(const task& item, const Clock& clock) const;
    // The conditions joined by " and "; "All items" without conditions.
    QString describe() const;
    QString actionName() const;
    std::unique_ptr<rule> clone() const;
    // Appends a new condition (NameMask, empty mask, 0, 0) and returns it.
    ruleCondition& addCondition();
};

} // namespace moravel
