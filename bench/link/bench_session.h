#pragma once

#include "bench/link/job_recorder.h"
#include "bench/link/line_meter.h"
#include "link/ccomcom.h"
#include "link/unit_driver.h"
#include "link/unit_transfer_engine.h"
#include "params/parameter_block.h"
#include "platform/port_list_fixed.h"
#include "shell/message_sink.h"
#include "shell/status_slots.h"
#include "shell/version_texts.h"

#include <chrono>
#include <memory>
#include <vector>

// How one stretch of ticks went: the jobs the driver started in it, the ticks and real time it
// took, and what its bytes would need on a real line.
struct PhaseFigure {
    bool ok = false;
    int jobs = 0;
    int ticks = 0; // from the tick that started the first job to the tick that showed the result
    double ms = 0; // real time between those two ticks
    int slowJobs = 0; // jobs whose result was there only two or more ticks after their start
    int gapTicks = 0; // ticks in which no job of the stretch was running
    LineBytes bytes;
    double lineMs = 0; // all bytes of the stretch at the line's baud rate
    double longestJobLineMs = 0;
    double longestJobMs = 0; // measured: from a job's start to the last byte of its last reply
    // Ticks a real line would need at least: every job a tick, or the ticks its bytes take.
    int lineFloorTicks = 0;
};

// How a unit was found and checked, counted in ticks of the session (tick 1 is the first).
struct ConnectFigure {
    bool ok = false;
    int openTick = -1; // the tick during which the unit's port was opened
    int foundTick = -1; // the tick in which the search took the unit as connected
    int checkedTick = -1; // the tick in which the connection check showed its result
    double foundMs = 0; // real time from the start of the session to the found tick
    double checkedMs = 0;
    PhaseFigure check;
};

// The window's link without the window: CCOMCOM with the port search and the transfer engine, the
// unit-operation driver and its status slots, stepped by a real-time 55 ms tick that sets TMR to
// ticks × 50 like the main timer. The search sees only the given ports, opened through the real
// serial backend (slowed to line speed when asked); the line meter watches the unit's device, and a job
// recorder between driver and engine notes every job. Everything runs on the calling thread except the link's
// own threads.
class BenchSession : private IMessageSink
{
public:
    static constexpr int kTickMs = 55;
    // A tick that starts later than this after its time counts as late (the machine was busy).
    static constexpr int kLateMs = 10;

    // `lineSpeed`: the ports run at the speed of real lines (see PacedSerialPort).
    BenchSession(const std::vector<PortListEntry>& ports, const QString& unitDevice, bool lineSpeed);
    ~BenchSession() override;
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // Waits for the tick's time (never bunching ticks up after a late one, like a window timer),
    // then steps the link and the driver once.
    void Tick();
    int Ticks() const { return m_ticks; }
    int LateTicks() const { return m_lateTicks; }
    int BaudRate() const { return m_meter.BaudRate(); }

    // Ticks until the unit is found and its connection check has ended; at most maxTicks.
    ConnectFigure Connect(int maxTicks);
    // Leaves the request with the driver (as a command of the window does) and ticks until the
    // driver is idle again with the operation's result; at most maxTicks.
    PhaseFigure RunOperation(int request, int maxTicks);
    // Ticks until a unit that was programmed has saved and the driver confirmed it; the ticks it
    // took, or -1.
    int WaitUntilSaved(int maxTicks);
    // Gives the unit up as the COM menu does; the search starts again.
    void Disconnect();

    ParameterBlock& Block() { return m_block; }
    ParameterState& BlockState() { return m_blockState; }
    const CUnitDriver& Driver() const { return *m_driver; }

private:
    MessageAnswer Show(const MessageRequest& request) override;

    bool DriverIdle() const;
    double MsAt(int tick) const;
    PhaseFigure Summarise(int fromTick, int toTick) const;

    FixedPortList m_ports;
    LineMeter m_meter;
    ParameterBlock m_block;
    ParameterState m_blockState;
    StatusSlots m_status;
    VersionTexts m_versions;
    std::unique_ptr<CCOMCOM> m_link;
    std::unique_ptr<CUnitTransferEngine> m_engine;
    std::unique_ptr<JobRecorder> m_recorder;
    std::unique_ptr<CUnitDriver> m_driver;

    bool m_unmatched = false;
    int m_ticks = 0;
    int m_lateTicks = 0;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_nextTick;
    std::vector<std::chrono::steady_clock::time_point> m_tickTimes; // index: tick
};
