#pragma once

#include "engine/actionkind.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace moravel {

class Clock;
class task;

// One condition of a rule; all four fields exist whatever the type.
class ruleCondition {
public:
    ConditionKind type = conditions::NameMask;
    QString mask;
    std::int32_t size = 0; // megabytes
    std::int32_t time = 0; // days

    // Whether the condition holds for the item. A type outside 0..4 never holds.
    // Throws InvalidMask for a malformed name mask.
    bool matches(const task& item, const Clock& clock) const;
    // The condition as one line of text; empty for a type outside 0..4.
    QString describe() const;
    std::unique_ptr<ruleCondition> clone() const;
};

} // namespace moravel
