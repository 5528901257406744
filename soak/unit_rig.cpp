#include "soak/unit_rig.h"

#include "shell/rskey.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{

// Hang guard for the link's threads: far beyond anything a pass of theirs takes, so it only ends a
// wait when a thread is really stuck.
constexpr auto kThreadGuard = std::chrono::seconds(20);
// Compile date for the version texts; the rig shows no PC version.
constexpr const char* kBuildDate = "Jan  1 2025";

template <class Condition> bool WaitFor(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kThreadGuard;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

} // namespace

UnitRig::UnitRig(const Options& options)
    : m_port(options.port)
    , m_recordRequests(options.recordRequests)
    , m_unit(options.unit, 0)
    , m_versions(kBuildDate)
{
    const QString path = QStringLiteral("mem:%1").arg(m_port);
    m_line = m_devices.Add(path);
    m_ports.Set({ { m_port, path } });
    SetDefaults(m_block);
    m_link = std::make_unique<CCOMCOM>(m_ports, m_devices.Factory());
    m_link->SetKey(kRsKey);
    m_link->SetPortSelection(m_port);
    m_link->SetStatusSink(this);
    m_transfer = std::make_unique<CUnitTransferEngine>(*m_link);
    m_driver = std::make_unique<CUnitDriver>(
        UnitDriverContext { *m_transfer, m_block, m_blockState, m_status, m_versions, *this });
}

UnitRig::~UnitRig()
{
    // The driver and the engine refer to the link; the link stops its threads before the line goes.
    m_driver.reset();
    m_transfer.reset();
    m_link.reset();
}

bool UnitRig::Tick()
{
    ++m_ticks;
    m_link->Clock().SetTicks(m_ticks);
    m_events |= m_driver->Step(m_ticks, false);
    m_status.ExpireStatusTexts(m_ticks);
    NoteResult();
    Settle();
    return m_settled;
}

bool UnitRig::TickUntil(const std::function<bool()>& done, int maxTicks)
{
    for (int tick = 0; tick < maxTicks; ++tick) {
        if (done())
            return true;
        if (!Tick())
            return false;
    }
    return done();
}

QString UnitRig::ResultText() const
{
    const StatusSlot* slot = m_status.Slot(StatusSlots::kResult);
    return slot && slot->visible ? slot->text : QString();
}

void UnitRig::SetUnitParameters(const ParameterBlock& block)
{
    PersistentUnit unit = m_unit.State().Persistent();
    std::copy(block.bytes.begin(), block.bytes.end(), unit.memory.begin());
    m_unit.State().Restore(unit);
}

void UnitRig::NoteResult()
{
    // A text counts when the label changes to it, not while it stays: a result of an earlier
    // operation still in view is no result of the next.
    const QString text = ResultText();
    if (text != m_lastResult && !text.isEmpty())
        m_results.push_back(text);
    m_lastResult = text;
}

// Link threads --------------------------------------------------------------------------------------

void UnitRig::PumpUnit()
{
    const SimTime now = m_link->Clock().Now();
    const bool open = m_line->IsOpen();
    if (open != m_lineOpen) {
        m_lineOpen = open;
        if (open)
            m_unit.LineOpened(now);
        else
            m_unit.LineClosed();
    }
    const QByteArray heard = m_line->TakeFromPc();
    if (open && !heard.isEmpty()) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(heard.constData());
        const auto count = static_cast<std::size_t>(heard.size());
        if (m_recordRequests)
            m_sent.insert(m_sent.end(), bytes, bytes + count);
        const int speed = m_unit.Config().baudRate;
        if (speed == 0 || m_line->BaudRate() == speed)
            m_unit.Receive({ bytes, count }, now);
        else
            m_unit.State().LinkCounters().wrongSpeed += static_cast<std::uint32_t>(count);
    }
    const std::vector<std::uint8_t> reply = m_unit.TakeOutput(now);
    if (open && !reply.empty())
        m_line->SendToPc(QByteArray(reinterpret_cast<const char*>(reply.data()), static_cast<qsizetype>(reply.size())));
}

void UnitRig::Settle()
{
    const auto deadline = std::chrono::steady_clock::now() + kThreadGuard;
    m_settled = false;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!WaitFor([&] { return PortDone(); }))
            return;
        PumpUnit();
        if (!Quiet()) {
            if (!WaitFor([&] { return Quiet(); }))
                return;
            continue;
        }
        if (!JobRunning(m_link->Job()) || m_link->State() == kWorkerIdle || WorkerWaitsInVain()) {
            m_settled = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

bool UnitRig::PortDone() const
{
    const CCOM& record = m_link->Port(m_port);
    const std::uint8_t status = record.Status();
    if (record.SubState() != kOrderNone || status == kPortOpening || status == kPortClosing)
        return false;
    return status != kPortOpen || record.TransmitSlotFree();
}

bool UnitRig::Quiet() const
{
    // Replies still on their way to an open port that has room for them.
    const CCOM& record = m_link->Port(m_port);
    if (record.Status() != kPortOpen || m_line->PendingToPc() == 0)
        return true;
    const RingSpans room = record.FreeSpans();
    return room.first + room.second == 0;
}

bool UnitRig::WorkerTookEverything() const
{
    const int connected = m_link->ConnectedPort();
    if (connected == 0)
        return true;
    const CCOM& record = m_link->Port(connected);
    return record.ReadIndex() == record.WriteIndex();
}

bool UnitRig::WorkerWaitsInVain()
{
    const auto waiting = [&] {
        return m_link->State() == kWorkerWaiting && PortDone() && Quiet() && WorkerTookEverything();
    };
    if (!waiting())
        return false;
    const std::vector<long long> progress = Progress();
    if (progress == m_vainProgress)
        return true;
    // The worker numbers each round before its pass: once the next number shows, the pass that
    // may have been under way with the last bytes is over, and nothing moved.
    const int loops = m_link->Log().LoopCount();
    if (!WaitFor([&] { return m_link->Log().LoopCount() > loops; }))
        return false;
    PumpUnit();
    if (!waiting() || Progress() != progress)
        return false;
    m_vainProgress = progress;
    return true;
}

std::vector<long long> UnitRig::Progress() const
{
    const TransferCounters& counters = m_link->Counters();
    const CCOM& record = m_link->Port(m_port);
    const UnitLinkCounters& unit = m_unit.State().LinkCounters();
    const RequestCounters& parser = m_unit.ParserCounters();
    return { m_link->Job(), m_link->State(), m_link->CurrentAddress(), m_link->Attempt(), counters.frames.load(),
        counters.failedAttempts.load(), record.ReadIndex(), record.WriteIndex(), unit.replies, parser.frames,
        parser.checkErrors, parser.gapResets, parser.skipped };
}

// Sinks -----------------------------------------------------------------------------------------------

void UnitRig::ShowLinkStatus(LinkStatusKind, const char*)
{
    // The connection label is not watched: the driver's own state says whether a unit is connected.
}

MessageAnswer UnitRig::Show(const MessageRequest& request)
{
    m_messages.push_back(request);
    return MessageAnswer::Ok;
}
