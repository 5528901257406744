#include "sim/memory_line_unit.h"

#include "platform/serial_memory.h"

#include <chrono>

namespace {

SimTime SteadyNow()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

MemoryLineUnit::MemoryLineUnit(std::shared_ptr<MemorySerialLine> line, const UnitConfig& config, Clock clock)
    : m_line(std::move(line)), m_clock(clock ? std::move(clock) : Clock(SteadyNow)), m_engine(config, m_clock())
{
}

MemoryLineUnit::~MemoryLineUnit()
{
    Stop();
}

void MemoryLineUnit::Pump()
{
    std::lock_guard lock(m_mutex);
    const SimTime now = m_clock();
    const bool open = m_line->IsOpen();
    if (open != m_lineOpen) {
        m_lineOpen = open;
        if (open)
            m_engine.LineOpened(now);
        else
            m_engine.LineClosed();
    }
    const QByteArray heard = m_line->TakeFromPc();
    if (open && !heard.isEmpty()) {
        const int speed = m_engine.Config().baudRate;
        if (speed == 0 || m_line->BaudRate() == speed)
            m_engine.Receive({ reinterpret_cast<const std::uint8_t*>(heard.constData()), static_cast<size_t>(heard.size()) }, now);
        else
            m_engine.State().LinkCounters().wrongSpeed += static_cast<std::uint32_t>(heard.size());
    }
    const std::vector<std::uint8_t> reply = m_engine.TakeOutput(now);
    // Nothing is sent to a closed line: the port's next open would drop it anyway.
    if (open && !reply.empty())
        m_line->SendToPc(QByteArray(reinterpret_cast<const char*>(reply.data()), static_cast<qsizetype>(reply.size())));
}

void MemoryLineUnit::Start()
{
    if (m_thread.joinable())
        return;
    m_stop.store(false);
    m_thread = std::thread([this] {
        while (!m_stop.load()) {
            m_line->WaitFromPc(1, kPumpWaitMs);
            Pump();
        }
    });
}

void MemoryLineUnit::Stop()
{
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
}

void MemoryLineUnit::SetFaults(const UnitFaults& faults)
{
    std::lock_guard lock(m_mutex);
    m_engine.SetFaults(faults);
}
