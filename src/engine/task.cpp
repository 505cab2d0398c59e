#include "engine/task.h"

#include "engine/maskmatcher.h"

namespace moravel {

bool task::isShortcut() const {
    return matchesMask(name, QStringLiteral("*.lnk"));
}

} // namespace moravel
