#pragma once

#include "sim/unit_engine.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class MemorySerialLine;

// Puts a simulated unit on the far end of an in-memory serial line, so the PC's real port code can
// talk to it inside one process. The unit answers only while the PC has the line open, and only at
// the speed it listens at (what the PC sends at another speed is noise to it).
//
// Pump() does one round and may be called by a test step by step; Start() runs rounds on a thread of
// its own until Stop(). The engine is guarded by a lock, so With() may look at it or change its
// faults from any thread.
class MemoryLineUnit {
public:
    using Clock = std::function<SimTime()>;

    // The clock defaults to the monotonic system clock.
    MemoryLineUnit(std::shared_ptr<MemorySerialLine> line, const UnitConfig& config, Clock clock = {});
    ~MemoryLineUnit();
    MemoryLineUnit(const MemoryLineUnit&) = delete;
    MemoryLineUnit& operator=(const MemoryLineUnit&) = delete;

    // Takes what the PC wrote, lets the unit hear it and run to the clock's time, and passes the
    // replies that are due to the PC.
    void Pump();
    void Start();
    void Stop();

    template <class Function>
    auto With(Function function)
    {
        std::lock_guard lock(m_mutex);
        return function(m_engine);
    }
    void SetFaults(const UnitFaults& faults);

    // How long the pump thread waits for the PC between rounds.
    static constexpr int kPumpWaitMs = 2;

private:
    std::shared_ptr<MemorySerialLine> m_line;
    Clock m_clock;
    std::mutex m_mutex;
    UnitEngine m_engine;
    bool m_lineOpen = false;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};
