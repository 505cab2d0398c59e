#include "engine/rulecondition.h"

#include "engine/clock.h"
#include "engine/maskmatcher.h"
#include "engine/task.h"
#include "engine/texts.h"

#include <cmath>

namespace moravel {

namespace {

constexpr double bytesPerMegabyte = 1024.0 * 1024.0;

// Whether a time lies more than `days` days away from today at 00:00. A time after now (a file
// dated in the future: a wrong clock, an unpacked archive) is not old, however far away it is:
// counting its distance would have a rule delete the newest files.
bool fartherThan(DateTimeValue when, std::int32_t days, const Clock& clock) {
    const QDateTime now = clock.now().toLocalTime();
    const QDate today = now.date();
    if (!today.isValid()) {
        return false; // without a today every span would look endless
    }
    if (when > toDateTimeValue(now)) {
        return false;
    }
    return std::fabs(toDateTimeValue(today) - when) > days;
}

} // namespace

bool ruleCondition::matches(const task& item, const Clock& clock) const {
    switch (type) {
    case conditions::NameMask:
        return matchesMask(item.name, mask);
    case conditions::SizeAbove:
        return static_cast<double>(item.size) / bytesPerMegabyte > size;
    case conditions::ModifiedBefore:
        return fartherThan(item.modified, time, clock);
    case conditions::AccessedBefore:
        return fartherThan(item.accessed, time, clock);
    case conditions::IsFolder:
        return item.isFolder;
    default:
        // Only a hand-edited file holds another type; it must never let an item through.
        return false;
    }
}

QString ruleCondition::describe() const {
    switch (type) {
    case conditions::NameMask:
        return texts::nameLike(mask);
    case conditions::SizeAbove:
        return texts::sizeAbove(size);
    case conditions::ModifiedBefore:
        return texts::lastChangeBefore(time);
    case conditions::AccessedBefore:
        return texts::lastAccessBefore(time);
    case conditions::IsFolder:
        return texts::isFolder();
    default:
        return {};
    }
}

std::unique_ptr<ruleCondition> ruleCondition::clone() const {
    return std::make_unique<ruleCondition>(*this);
}

} // namespace moravel
