#include "desktop/CrashLoopGuard.h"

bool CrashLoopGuard::ShouldReload(std::uint64_t nowMs) {
    if (m_gaveUp) return false;
    const bool soon = m_deaths > 0 && nowMs >= m_lastDeathMs && nowMs - m_lastDeathMs < kLoopMs;
    m_deaths = soon ? m_deaths + 1 : 1;
    m_lastDeathMs = nowMs;
    if (m_deaths >= kGiveUpAt) m_gaveUp = true;
    return !m_gaveUp;
}

void CrashLoopGuard::Reset() {
    m_deaths = 0;
    m_lastDeathMs = 0;
    m_gaveUp = false;
}
