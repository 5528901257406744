#pragma once

// The whole chain as a user has it, minus the window: the velmor-sim program serves a unit on a
// pseudo-terminal, and the PC's link opens it through the real serial backend, ticking in real
// time like the main window (TMR moves on by 50 ms every 55 ms).

#include "link/ccomcom.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_port_qt.h"
#include "tests/link/wait_until.h"

#include <QString>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// The simulator as a child process, started with a plain fork: QProcess starts children with
// vfork, which leaves ThreadSanitizer with a wrong picture of this process's threads for the rest
// of the run.
class SimulatorProcess
{
public:
    explicit SimulatorProcess(const char* protocolName)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            const char* program = VELMOR_SIM_EXECUTABLE;
            ::execl(program, program, "--protocol", protocolName, "--quiet", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
    }
    ~SimulatorProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }

    // The first line the simulator prints: the device to open. Empty when none comes in time.
    std::string Device(int timeoutMs = 10000)
    {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (m_pid > 0 && m_out >= 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd wait { m_out, POLLIN, 0 };
            if (::poll(&wait, 1, 50) <= 0)
                continue;
            char c = 0;
            if (::read(m_out, &c, 1) != 1)
                break;
            if (c == '\n')
                return line;
            line += c;
        }
        return {};
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

class PtyRun
{
public:
    static constexpr int kRealTickMs = 55;
    // The COM number the unit's pseudo-terminal gets; the only port in the list.
    static constexpr int kPort = 200;

    explicit PtyRun(const char* protocolName)
        : m_simulator(protocolName)
    {
    }

    // Waits for the simulator's device and builds the link on it; false when the simulator did not
    // come up.
    bool Start()
    {
        const QString device = QString::fromStdString(m_simulator.Device());
        if (!device.startsWith("/dev/"))
            return false;
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
    SimulatorProcess m_simulator;
    FixedPortList m_ports;
    std::unique_ptr<CCOMCOM> m_link;
    std::chrono::steady_clock::time_point m_next;
    int m_ticks = 0;
};
