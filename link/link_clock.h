#pragma once

#include <atomic>

// The link clock TMR in milliseconds: the main window's tick count times 50. Every time-out of the
// device link is measured in it, so a test that sets it steps time exactly. The main thread sets
// it on each tick; the worker and port threads only read it.
class LinkClock
{
public:
    static constexpr int kMsPerTick = 50;

    void Set(int ms) { m_ms.store(ms, std::memory_order_release); }
    void SetTicks(int ticks) { Set(ticks * kMsPerTick); }
    void Advance(int ms) { Set(Now() + ms); }
    int Now() const { return m_ms.load(std::memory_order_acquire); }

private:
    std::atomic<int> m_ms { 0 };
};
