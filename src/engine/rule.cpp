#include "engine/rule.h"

#include "engine/texts.h"

namespace moravel {

bool rule::matches(const task& item, const Clock& clock) const {
    for (const auto& condition : conditions) {
        // A missing condition cannot hold; it must not widen the rule.
        if (!condition || !condition->matches(item, clock)) {
            return false;
        }
    }
    return true;
}

QString rule::describe() const {
    if (conditions.empty()) {
        return texts::allItems();
    }
    QString text;
    for (const auto& condition : conditions) {
        if (&condition != &conditions.front()) {
            text += texts::conditionJoin();
        }
        if (condition) {
            text += condition->describe();
        }
    }
    return text;
}

QString rule::actionName() const {
    return moravel::actionName(action);
}

std::unique_ptr<rule> rule::clone() const {
    auto copy = std::make_unique<rule>();
    copy->action = action;
    copy->folder = folder;
    copy->conditions.reserve(conditions.size());
    for (const auto& condition : conditions) {
        copy->conditions.push_back(condition ? condition->clone() : nullptr);
    }
    return copy;
}

ruleCondition& rule::addCondition() {
    return *conditions.emplace_back(std::make_unique<ruleCondition>());
}

} // namespace moravel
