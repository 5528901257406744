#pragma once

#include <atomic>
#include <cstdint>

// The program's only clock: the 55 ms timer's tick count, and the link clock TMR derived from it
// (ticks × 50 ms). Link threads read TMR; only the window thread advances it. Tests step it by hand
// instead of sleeping.
class TickClock {
public:
    static constexpr int kTickIntervalMs = 55;
    static constexpr int kTmrPerTick = 50;

    // One tick: returns the new tick count.
    int32_t Advance()
    {
        // Wraps after years of running rather than overflowing; every user compares differences.
        const int32_t ticks = int32_t(uint32_t(m_ticks.load(std::memory_order_relaxed)) + 1u);
        m_ticks.store(ticks, std::memory_order_relaxed);
        m_tmr.store(int32_t(uint32_t(ticks) * uint32_t(kTmrPerTick)), std::memory_order_release);
        return ticks;
    }

    int32_t Ticks() const { return m_ticks.load(std::memory_order_relaxed); }
    // Link time in milliseconds.
    int32_t Tmr() const { return m_tmr.load(std::memory_order_acquire); }

private:
    std::atomic<int32_t> m_ticks { 0 };
    std::atomic<int32_t> m_tmr { 0 };
};
