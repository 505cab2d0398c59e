#include "engine/errorcontrol.h"
#include "platform/autostart.h"
#include "storage/global.h"

namespace moravel {

bool global::applyStartWithWindows(const QString& programPath, errorControl& error) const {
    if (iniciarConWindows) {
        return createStartupShortcut(m_locations, programPath, error);
    }
    return removeStartupShortcut(m_locations, error);
}

} // namespace moravel
