#pragma once

#include "sim/unit_engine.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Serves a simulated unit on a pseudo-terminal, which programs open like a serial port. The unit
// keeps the master side; the PC opens the slave device. The unit hears and answers only while the PC
// has the device open (before that the slave side may still be a terminal that echoes and eats
// control characters), and only at the speed it listens at.
class PtyUnit {
public:
    using Clock = std::function<SimTime()>;
    enum class Event { None, Attached, Detached, Failed };

    // Replies that the PC does not read are kept up to this much, then dropped.
    static constexpr int kMaxUnsentBytes = 64 * 1024;

    PtyUnit(UnitEngine& engine, Clock clock);
    ~PtyUnit();
    PtyUnit(const PtyUnit&) = delete;
    PtyUnit& operator=(const PtyUnit&) = delete;

    // Makes the pseudo-terminal; false with a reason when the system has none to give.
    bool Open(std::string& error);
    // The device the PC opens, e.g. /dev/pts/7.
    const std::string& DevicePath() const { return m_devicePath; }

    // One round: waits up to maxWaitMs for the PC, lets the unit hear it and passes the replies that
    // are due. Reports when the PC opened or closed the device, or that the pseudo-terminal failed.
    Event Serve(int maxWaitMs);
    bool Attached() const { return m_attached; }
    // The speed the PC set on its side; 0 when it cannot be told.
    int LineSpeed() const;

private:
    void ReadFromPc(SimTime now);
    void WriteToPc();

    UnitEngine& m_engine;
    Clock m_clock;
    int m_master = -1;
    std::string m_devicePath;
    bool m_attached = false;
    std::vector<std::uint8_t> m_unsent;
};
