#pragma once

// The PC's whole device link (ports, search, transfer engine) against units on in-memory serial
// lines, with the link clock in the test's hand. A unit is anything that answers on its line when
// it is pumped: a scripted responder here, the simulated unit in the simulator's tests.
//
// The units are pumped from the test's thread, and a tick only ends when the link's own threads
// have caught up: every port has carried out its orders and written what it was handed, and every
// reply has reached the PC's receive ring. So whatever a tick does, it does the same on every run,
// and no time-out can fire because a thread was slow. Jobs run with the clock standing still; only
// tests of time-outs move it while a job runs.

#include "link/ccomcom.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "tests/link/wait_until.h"

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

// The link log, kept in memory.
class BenchLog : public ILinkLogSink
{
public:
    void Write(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_text.append(text);
    }
    std::string Text() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_text.clear();
    }
    // Lines that contain the text.
    int Count(const std::string& text) const
    {
        int count = 0;
        std::istringstream lines(Text());
        for (std::string line; std::getline(lines, line);)
            count += line.find(text) != std::string::npos;
        return count;
    }
    // Every piece the PC's codecs handed to a port, from the "T(0x.. 0x.. )" lines.
    std::vector<std::vector<std::uint8_t>> SentPieces() const
    {
        std::vector<std::vector<std::uint8_t>> pieces;
        std::istringstream lines(Text());
        for (std::string line; std::getline(lines, line);) {
            const size_t at = line.find("T(");
            if (at == std::string::npos)
                continue;
            std::vector<std::uint8_t> piece;
            std::istringstream hex(line.substr(at + 2));
            for (std::string word; hex >> word && word != ")";) {
                unsigned value = 0;
                if (std::sscanf(word.c_str(), "0x%x", &value) == 1)
                    piece.push_back(static_cast<std::uint8_t>(value));
            }
            pieces.push_back(piece);
        }
        return pieces;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

// What the search showed in the connection label.
class BenchStatus : public ILinkStatusSink
{
public:
    struct Shown {
        LinkStatusKind kind;
        std::string text;
    };
    void ShowLinkStatus(LinkStatusKind kind, const char* text) override { shown.push_back({ kind, text }); }
    std::vector<Shown> shown;
};

class LinkBench
{
public:
    LinkBench()
    {
        m_link.Log().OpenSink(std::make_unique<LogForwarder>(m_log));
        m_link.SetStatusSink(&m_status);
    }

    // COM<port>, present from the next enumeration on; pump (if any) lets its unit answer.
    std::shared_ptr<MemorySerialLine> AddPort(int port, std::function<void()> pump = {})
    {
        const QString path = QStringLiteral("mem:%1").arg(port);
        Line& line = m_lines[port];
        line.line = m_devices.Add(path);
        line.pump = std::move(pump);
        m_listed[port] = path;
        Publish();
        return line.line;
    }
    // Takes a port out of the system's list, as when its adapter is pulled out.
    void RemovePort(int port)
    {
        m_listed.erase(port);
        Publish();
    }
    void SetPump(int port, std::function<void()> pump) { m_lines.at(port).pump = std::move(pump); }
    std::shared_ptr<MemorySerialLine> LineOf(int port) { return m_lines.at(port).line; }

    CCOMCOM& Link() { return m_link; }
    BenchLog& Log() { return m_log; }
    const BenchLog& Log() const { return m_log; }
    BenchStatus& Status() { return m_status; }
    int Now() const { return m_link.Clock().Now(); }
    int Ticks() const { return m_ticks; }

    // One main-timer tick: TMR moves on by 50 ms, the link steps, and the bench waits for the link's
    // threads and the units.
    void Tick()
    {
        m_link.Clock().Advance(LinkClock::kMsPerTick);
        ++m_ticks;
        m_link.LinkStep();
        Settle();
    }

    // Ticks until the condition holds, at most maxTicks; false when it never did.
    bool TickUntil(const std::function<bool()>& condition, int maxTicks)
    {
        for (int tick = 0; tick < maxTicks; ++tick) {
            if (condition())
                return true;
            Tick();
        }
        return condition();
    }

    bool Connect(int maxTicks = 200)
    {
        return TickUntil([&] { return m_link.ConnectedPort() != 0; }, maxTicks);
    }

    // After a connection, the tick that lets the transfer worker take jobs.
    bool ConnectAndStart(int maxTicks = 200)
    {
        if (!Connect(maxTicks))
            return false;
        Tick();
        return m_link.State() == kWorkerChoose && m_link.Job() == JOB_NONE;
    }

    // Starts a job and waits, with the clock standing still, until it has ended; the result is
    // taken. Returns the result code, or the running code when the job never ended.
    int RunJob(int job, int start, int count, int flags)
    {
        m_link.StartJob(job, start, count, flags);
        WaitUntil([&] {
            PumpUnits();
            return !JobRunning(m_link.Job());
        });
        const int result = m_link.Job();
        m_link.TakeResult();
        return result;
    }

    // Starts a job and ticks whenever the worker is waiting for a reply, until the job has ended.
    // Returns the result and the ticks it took.
    struct TimedResult {
        int result = JOB_NONE;
        int ticks = 0;
    };
    TimedResult RunJobTicking(int job, int start, int count, int flags, int maxTicks = 400)
    {
        TimedResult timed;
        m_link.StartJob(job, start, count, flags);
        for (; timed.ticks <= maxTicks; ++timed.ticks) {
            WaitUntil([&] { return !JobRunning(m_link.Job()) || WorkerWaitsInVain(); });
            if (!JobRunning(m_link.Job()))
                break;
            Tick();
        }
        timed.result = m_link.Job();
        m_link.TakeResult();
        return timed;
    }

    void PumpUnits()
    {
        for (auto& [port, line] : m_lines) {
            if (line.pump)
                line.pump();
        }
    }

    // Waits until every port has carried out its orders and written what it was handed, then lets the
    // units answer and waits until their replies are in the PC's receive rings, until nothing moves.
    void Settle()
    {
        for (int round = 0; round < 20; ++round) {
            WaitUntil([&] { return PortsDone(); });
            PumpUnits();
            if (Quiet())
                return;
            WaitUntil([&] { return Quiet(); });
        }
    }

private:
    struct Line {
        std::shared_ptr<MemorySerialLine> line;
        std::function<void()> pump;
    };

    class LogForwarder : public ILinkLogSink
    {
    public:
        explicit LogForwarder(BenchLog& log)
            : m_log(log)
        {
        }
        void Write(std::string_view text) override { m_log.Write(text); }

    private:
        BenchLog& m_log;
    };

    void Publish()
    {
        std::vector<PortListEntry> entries;
        for (const auto& [port, path] : m_listed)
            entries.push_back({ port, path });
        m_list.Set(entries);
    }

    bool PortsDone() const
    {
        for (const auto& [port, line] : m_lines) {
            const CCOM& record = m_link.Port(port);
            const std::uint8_t status = record.Status();
            if (record.SubState() != kOrderNone || status == kPortOpening || status == kPortClosing)
                return false;
            if (status == kPortOpen && !record.TransmitSlotFree())
                return false;
        }
        return true;
    }

    // The worker waits for a reply that will not come before the clock moves on: its request has
    // been written and heard, whatever the units answered has reached it, and a whole pass of the
    // worker has gone by since without another request.
    bool WorkerWaitsInVain()
    {
        const std::uint32_t before = Requests();
        if (m_link.State() != kWorkerWaiting || !PortsDone())
            return false;
        PumpUnits();
        if (!Quiet())
            return false;
        const int loops = m_link.Log().LoopCount();
        WaitUntil([&] { return m_link.Log().LoopCount() >= loops + 2; });
        return m_link.State() == kWorkerWaiting && Requests() == before && Taken() && Quiet();
    }

    // Frames the worker has sent, repeats included.
    std::uint32_t Requests() const
    {
        return m_link.Counters().frames.load() + m_link.Counters().failedAttempts.load();
    }

    // The transfer worker has taken everything its port received.
    bool Taken() const
    {
        const CCOM& port = m_link.Port(m_link.ConnectedPort());
        return port.ReadIndex() == port.WriteIndex();
    }

    // No reply is on its way to an open port (or its ring is full and must wait for the codec).
    bool Quiet() const
    {
        for (const auto& [port, line] : m_lines) {
            const CCOM& record = m_link.Port(port);
            if (record.Status() != kPortOpen || line.line->PendingToPc() == 0)
                continue;
            const RingSpans room = record.FreeSpans();
            if (room.first + room.second > 0)
                return false;
        }
        return true;
    }

    MemorySerialDevices m_devices;
    FixedPortList m_list;
    std::map<int, QString> m_listed;
    BenchLog m_log;
    BenchStatus m_status;
    CCOMCOM m_link { m_list, m_devices.Factory() };
    std::map<int, Line> m_lines;
    int m_ticks = 0;
};
