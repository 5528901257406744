#include "link/port_worker.h"

#include "link/ccom.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

// IGN monitor and identification requests start with this byte; they go out all the time and
// would drown the trace, so only the codec's own line records them.
constexpr std::uint8_t kUntracedRequest = 0x30;

} // namespace

PortWorker::PortWorker(CCOM& port, std::unique_ptr<ISerialPort> device, std::atomic<int>& traceCount)
    : m_port(port)
    , m_device(std::move(device))
    , m_wakeup(*port.m_wakeup.load(std::memory_order_acquire))
    , m_traceCount(traceCount)
{
}

PortWorker::~PortWorker()
{
    Shutdown();
}

bool PortWorker::RunOnce()
{
    // The manager hands the record over by setting the thread state after its order.
    if (m_port.ThreadState() != kThreadRunning)
        return true;
    const std::uint8_t status = m_port.Status();
    const std::uint8_t order = m_port.SubState();
    if (status == kPortClosed) {
        if (order == kOrderOpen)
            return Open();
        if (order == kOrderClose) {
            // Called off before the open began: nothing to close.
            m_port.m_subState.store(kOrderNone, std::memory_order_release);
            return false;
        }
        return true;
    }
    if (status != kPortOpen)
        return true;
    if (order == kOrderClose) {
        Close();
        return false;
    }
    Transmit();
    Receive();
    return true;
}

void PortWorker::Wait()
{
    if (m_port.Status() != kPortOpen || !m_device || !m_device->IsOpen()) {
        m_wakeup.Wait(kIdleWaitMs);
        return;
    }
    if (!m_port.TransmitSlotFree())
        return;
    const bool room = m_port.FreeSpans().first > 0;
    m_device->WaitForEvent(m_wakeup, room, room ? kIdleWaitMs : kFullRingWaitMs);
}

void PortWorker::Shutdown()
{
    if (m_device && m_device->IsOpen()) {
        m_device->Close();
        m_port.m_status.store(kPortClosed, std::memory_order_release);
    }
}

int PortWorker::BaudFromModeText() const
{
    return std::atoi(m_port.m_modeText);
}

bool PortWorker::Open()
{
    m_port.Log().Trace("\n[%i:TMR=%i]OPEN %s (%s)\n", m_port.Index(), m_port.Clock().Now(),
        m_port.TraceName(), m_port.m_modeText);
    m_port.m_status.store(kPortOpening, std::memory_order_release);
    if (!m_device || !m_device->Open(m_port.m_openPath, BaudFromModeText())) {
        m_port.m_subState.store(kOrderNone, std::memory_order_release);
        m_port.m_status.store(kPortClosed, std::memory_order_release);
        m_port.m_alert.store(kAlertOpenFailed, std::memory_order_release);
        return false;
    }
    // A fresh port starts with an empty ring and no piece left over from before.
    m_port.ReleaseTransmit();
    m_port.m_readIndex.store(0, std::memory_order_release);
    m_port.m_writeIndex.store(0, std::memory_order_release);
    m_port.m_status.store(kPortOpen, std::memory_order_release);
    m_port.m_subState.store(kOrderNone, std::memory_order_release);
    return true;
}

void PortWorker::Close()
{
    m_port.Log().Trace("\n[%i:TMR=%i]CLOSE %s\n", m_port.Index(), m_port.Clock().Now(), m_port.TraceName());
    m_port.m_readIndex.store(0, std::memory_order_release);
    m_port.m_writeIndex.store(0, std::memory_order_release);
    m_port.m_status.store(kPortClosing, std::memory_order_release);
    m_device->Close();
    // Closing aborts both directions, the piece not yet written included.
    m_port.ReleaseTransmit();
    m_port.m_status.store(kPortClosed, std::memory_order_release);
    m_port.m_subState.store(kOrderNone, std::memory_order_release);
}

void PortWorker::Transmit()
{
    const int count = m_port.m_transmitCount.load(std::memory_order_acquire);
    if (count <= 0)
        return;
    const std::uint8_t* piece = m_port.TransmitSlot();
    LinkLog& log = m_port.Log();
    if (piece[0] != kUntracedRequest && log.IsOpen()) {
        char text[40];
        std::snprintf(text, sizeof text, "\n[%i:TMR=%i]TX %i:\n", m_port.Index(), m_port.Clock().Now(),
            m_traceCount.fetch_add(1, std::memory_order_relaxed));
        std::string line = text;
        for (int i = 0; i < count; ++i) {
            std::snprintf(text, sizeof text, "%02x\t", piece[i]);
            line += text;
        }
        line += '\n';
        log.Trace(line);
    }
    // A failed write loses the piece; the missing reply makes its sender repeat the frame.
    m_device->Write(piece, count);
    m_port.m_alert.store(kAlertWritten, std::memory_order_release);
    // Freed only after the write has returned: the codec may refill the slot from now on.
    m_port.ReleaseTransmit();
}

void PortWorker::Receive()
{
    int waiting = m_device->BytesWaiting();
    // The ring's room comes in two parts when it wraps: up to the end, then from the start.
    for (int part = 0; part < 2 && waiting > 0; ++part) {
        const int room = m_port.FreeSpans().first;
        const int asked = std::min(waiting, room);
        if (asked <= 0)
            return;
        std::uint8_t* space = m_port.ReceiveSpace(m_port.m_writeIndex.load(std::memory_order_relaxed));
        const int got = std::min(m_device->Read(space, asked), asked);
        if (got <= 0)
            return;
        m_port.CommitReceived(got);
        m_port.m_alert.store(kAlertRead, std::memory_order_release);
        if (got < asked)
            return;
        waiting -= got;
    }
}
