#include "executor/busyguard.h"

#include "executor/texts.h"
#include "platform/prompts.h"

namespace moravel {

BusyGuard::Scope::Scope(BusyGuard& guard, Prompts& prompts) : m_guard(guard) {
    if (m_guard.m_busy) {
        prompts.showMessage(texts::busy());
        return;
    }
    m_guard.m_busy = true;
    m_entered = true;
}

BusyGuard::Scope::~Scope() {
    if (m_entered) {
        m_guard.m_busy = false;
    }
}

} // namespace moravel
