#pragma once
// Decides whether a page whose web process ended is loaded again: a process
// that keeps dying soon after each reload would otherwise spin for ever.
#include <cstdint>

class CrashLoopGuard {
public:
    // Deaths closer together than this count as one loop.
    static constexpr std::uint64_t kLoopMs = 20000;
    // The death that ends the reloading.
    static constexpr int kGiveUpAt = 3;

    // The page's process ended at `nowMs` (a monotonic clock): true when the
    // page should be loaded again, false once it has died kGiveUpAt times
    // in a row, each within kLoopMs of the one before. It stays false until
    // Reset.
    bool ShouldReload(std::uint64_t nowMs);
    // Starts the count afresh.
    void Reset();
    bool GaveUp() const { return m_gaveUp; }

private:
    int m_deaths = 0;
    std::uint64_t m_lastDeathMs = 0;
    bool m_gaveUp = false;
};
