#include "bench/link/bench_session.h"

#include "bench/link/paced_serial_port.h"
#include "link/unit_operation_codes.h"
#include "platform/serial_port_qt.h"
#include "shell/rskey.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

} // namespace

BenchSession::BenchSession(const std::vector<PortListEntry>& ports, const QString& unitDevice, bool lineSpeed)
    : m_ports(ports)
    , m_meter(unitDevice)
    , m_versions(__DATE__)
{
    SetDefaults(m_block);
    SerialPortFactory backend = QtSerialPortFactory();
    if (lineSpeed)
        backend = PacedSerialPorts(std::move(backend));
    m_link = std::make_unique<CCOMCOM>(m_ports, m_meter.Wrap(std::move(backend)));
    m_link->SetKey(kRsKey);
    m_link->SetPortSelection(kPortsAutomatic);
    m_engine = std::make_unique<CUnitTransferEngine>(*m_link);
    m_recorder = std::make_unique<JobRecorder>(*m_engine, m_meter);
    m_driver = std::make_unique<CUnitDriver>(
        UnitDriverContext { *m_recorder, m_block, m_blockState, m_status, m_versions, *this });
    // Time 0 is the making of the link, as when the window starts its timer: tick n is due n × 55 ms
    // later.
    m_start = Clock::now();
    m_nextTick = m_start + std::chrono::milliseconds(kTickMs);
    m_tickTimes.push_back(m_start);
}

BenchSession::~BenchSession()
{
    // The driver and the engine refer to the link: they go first.
    m_driver.reset();
    m_recorder.reset();
    m_engine.reset();
    m_link.reset();
}

MessageAnswer BenchSession::Show(const MessageRequest& request)
{
    // The driver's only box is the one about a unit whose program version does not belong here.
    m_unmatched = true;
    return request.buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void BenchSession::Tick()
{
    const Clock::time_point due = m_nextTick;
    std::this_thread::sleep_until(due);
    const Clock::time_point started = Clock::now();
    if (started - due > std::chrono::milliseconds(kLateMs))
        ++m_lateTicks;
    m_nextTick = std::max(due + std::chrono::milliseconds(kTickMs), started);

    ++m_ticks;
    m_tickTimes.push_back(started);
    m_meter.SetTick(m_ticks);
    m_recorder->SetTick(m_ticks);
    m_link->Clock().SetTicks(m_ticks);
    m_driver->Step(m_ticks, false);
    m_status.ExpireStatusTexts(m_ticks);
}

bool BenchSession::DriverIdle() const
{
    const int state = m_driver->State();
    return m_driver->UnitConnected() && (state == DriverState::kIdle || state == DriverState::kMonitor);
}

double BenchSession::MsAt(int tick) const
{
    return Milliseconds(m_tickTimes.at(static_cast<std::size_t>(tick)) - m_start);
}

ConnectFigure BenchSession::Connect(int maxTicks)
{
    ConnectFigure figure;
    const int begin = m_ticks;
    while (m_ticks - begin < maxTicks && !m_unmatched) {
        Tick();
        if (!m_driver->UnitConnected()) {
            figure.foundTick = -1; // lost again before the check ended: the search goes on
            continue;
        }
        if (figure.foundTick < 0)
            figure.foundTick = m_ticks;
        if (DriverIdle()) {
            figure.checkedTick = m_ticks;
            break;
        }
    }
    if (figure.checkedTick < 0)
        return figure;
    figure.check = Summarise(figure.foundTick, figure.checkedTick);
    figure.check.ok = m_blockState.unitCopyValid && m_status.Gauge().colour != GaugeColour::Red;
    figure.ok = figure.check.ok;
    const double beginMs = MsAt(begin);
    figure.foundMs = MsAt(figure.foundTick) - beginMs;
    figure.checkedMs = MsAt(figure.checkedTick) - beginMs;
    const int opened = m_meter.FirstOpenTick();
    figure.openTick = opened > begin ? opened - begin : -1;
    figure.foundTick -= begin;
    figure.checkedTick -= begin;
    return figure;
}

PhaseFigure BenchSession::RunOperation(int request, int maxTicks)
{
    const int begin = m_ticks;
    int started = -1;
    m_driver->Request(request);
    while (m_ticks - begin < maxTicks && m_driver->UnitConnected() && !m_unmatched) {
        Tick();
        // The driver takes the request in a tick in which it is idle, and starts the operation's
        // first job in that same tick.
        if (started < 0 && m_driver->PendingRequest() == UnitRequest::kNone)
            started = m_ticks;
        if (started >= 0 && DriverIdle()) {
            PhaseFigure figure = Summarise(started, m_ticks);
            figure.ok = m_status.Gauge().colour != GaugeColour::Red;
            return figure;
        }
    }
    return {};
}

int BenchSession::WaitUntilSaved(int maxTicks)
{
    const int begin = m_ticks;
    while (m_ticks - begin < maxTicks && m_driver->UnitConnected()) {
        if (!m_driver->ProgramDone() && m_driver->SavingCountdown() == 0)
            return m_ticks - begin;
        Tick();
    }
    return -1;
}

void BenchSession::Disconnect()
{
    m_driver->Disconnect();
}

PhaseFigure BenchSession::Summarise(int fromTick, int toTick) const
{
    PhaseFigure figure;
    figure.ticks = toTick - fromTick;
    figure.ms = MsAt(toTick) - MsAt(fromTick);
    const int baud = m_meter.BaudRate();
    int busyTicks = 0;
    for (const RecordedJob& job : m_recorder->Jobs()) {
        if (job.startTick < fromTick || job.startTick >= toTick)
            continue;
        ++figure.jobs;
        const int end = job.endTick < 0 ? toTick : job.endTick;
        busyTicks += end - job.startTick;
        if (end - job.startTick > 1)
            ++figure.slowJobs;
        if (job.endTick < 0)
            continue; // its bytes are counted once its result is taken
        figure.bytes.sent += job.bytes.sent;
        figure.bytes.received += job.bytes.received;
        const double lineMs = LineMs(job.bytes.Total(), baud);
        figure.longestJobLineMs = std::max(figure.longestJobLineMs, lineMs);
        figure.longestJobMs = std::max(figure.longestJobMs, job.busyMs);
        figure.lineFloorTicks += std::max(1, static_cast<int>(std::ceil(lineMs / kTickMs)));
    }
    figure.gapTicks = figure.ticks - busyTicks;
    figure.lineMs = LineMs(figure.bytes.Total(), baud);
    return figure;
}
