#pragma once

// The whole chain as a user has it, minus the window: the velmor-sim program serves a unit on a
// pseudo-terminal, and the PC's link opens it through the real serial backend, ticking in real
// time like the main window (TMR moves on by 50 ms every 55 ms).

#include "link/ccomcom.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_port_qt.h"
#include "sim/sim_process.h"
#include "tests/link/wait_until.h"

#include <QString>

#include <chrono>
#include <memory>
#include <thread>

class PtyRun
{
public:
    static constexpr int kRealTickMs = 55;
    // The COM number the unit's pseudo-terminal gets; the only port in the list.
    static constexpr int kPort = 200;

    explicit PtyRun(const char* protocolName)
        : m_protocol(QString::fromLatin1(protocolName))
    {
    }

    // Starts the simulator, waits for its device and builds the link on it; false when the
    // simulator did not come up.
    bool Start()
    {
        if (!m_simulator.Start({ QStringLiteral("--protocol"), m_protocol, QStringLiteral("--quiet") }))
            return false;
        const QString device = m_simulator.Device();
        m_ports.Set({ { kPort, device } });
        m_link = std::make_unique<CCOMCOM>(m_ports, QtSerialPortFactory());
        m_next = std::chrono::steady_clock::now();
        return true;
    }

    CCOMCOM& Link() { return *m_link; }
    int Ticks() const { return m_ticks; }

    // One main-timer tick at the main window's pace.
    void Tick()
    {
        m_next += std::chrono::milliseconds(kRealTickMs);
        std::this_thread::sleep_until(m_next);
        m_link->Clock().Advance(LinkClock::kMsPerTick);
        ++m_ticks;
        m_link->LinkStep();
    }

    // Ticks until the unit is connected and the worker takes jobs; the ticks it took, or -1.
    int Connect(int maxTicks)
    {
        const int start = m_ticks;
        while (m_ticks - start < maxTicks) {
            Tick();
            if (m_link->ConnectedPort() != 0 && m_link->State() == kWorkerChoose && m_link->Job() == JOB_NONE)
                return m_ticks - start;
        }
        return -1;
    }

    // Starts a job and ticks until a tick sees it ended; the result is taken. The ticks it took, or
    // -1 when it never ended.
    int RunJob(int job, int start, int count, int flags, int maxTicks, int& result)
    {
        m_link->StartJob(job, start, count, flags);
        const int begin = m_ticks;
        while (m_ticks - begin < maxTicks) {
            Tick();
            result = m_link->Job();
            if (result == JOB_DONE || result == JOB_FAILED) {
                m_link->TakeResult();
                return m_ticks - begin;
            }
        }
        return -1;
    }

private:
    QString m_protocol;
    SimProcess m_simulator { QStringLiteral(VELMOR_SIM_EXECUTABLE) };
    FixedPortList m_ports;
    std::unique_ptr<CCOMCOM> m_link;
    std::chrono::steady_clock::time_point m_next;
    int m_ticks = 0;
};
