#include "link/ccomiosys.h"

#include "link/port_worker.h"

#include <algorithm>
#include <cstdio>

CCOMIOSYS::CCOMIOSYS(IPortListProvider& portList, SerialPortFactory openDevice, PortThreadStarter startThread)
    : m_portList(portList)
    , m_openDevice(std::move(openDevice))
    , m_startThread(std::move(startThread))
{
    for (int i = 0; i < kPortCount; ++i)
        m_ports[i] = std::make_unique<CCOM>(i, m_clock, m_log);
}

CCOMIOSYS::~CCOMIOSYS()
{
    StopLink();
}

void CCOMIOSYS::StopLink()
{
    if (m_stopped)
        return;
    m_stopped = true;
    CloseAll();
    m_stop.store(true, std::memory_order_release);
    for (auto& port : m_ports)
        port->Wake();
    // Joined, not just given time: a record must outlive every thread that writes to it.
    for (auto& port : m_ports) {
        if (port->m_thread) {
            port->m_thread->Join();
            port->m_thread.reset();
        }
        port->m_threadState.store(kThreadNone, std::memory_order_release);
    }
}

CCOM& CCOMIOSYS::Port(int number)
{
    return *m_ports[std::clamp(number, 0, kPortCount - 1)];
}

const CCOM& CCOMIOSYS::Port(int number) const
{
    return *m_ports[std::clamp(number, 0, kPortCount - 1)];
}

void CCOMIOSYS::OpenRequest(int port, int baudRate)
{
    if (port < 0 || port >= kPortCount)
        return;
    CCOM& record = *m_ports[port];
    record.m_alert.store(kAlertNone, std::memory_order_release);
    record.m_baudRate = baudRate;
    const bool busy = record.Status() != kPortClosed || record.Request() != 0;
    record.m_request.store(busy ? kRequestClose | kRequestOpen : kRequestOpen, std::memory_order_release);
}

void CCOMIOSYS::CloseRequest(int port)
{
    if (port < 0 || port >= kPortCount)
        return;
    CCOM& record = *m_ports[port];
    if (record.Status() == kPortClosed && record.Request() == 0)
        return;
    record.m_alert.store(kAlertNone, std::memory_order_release);
    record.m_request.store(kRequestClose, std::memory_order_release);
}

void CCOMIOSYS::CloseAll()
{
    for (int i = 0; i < kPortCount; ++i)
        CloseRequest(i);
}

void CCOMIOSYS::PortManagerStep()
{
    const int now = m_clock.Now();
    if (!m_portsEnumerated || now - m_lastEnumeration > kEnumerationIntervalMs)
        EnumeratePorts();
    for (auto& port : m_ports)
        ManagePort(*port, now);
}

void CCOMIOSYS::EnumeratePorts()
{
    std::vector<PortListEntry> listed;
    bool changed = false;
    if (m_portList.List(listed)) {
        std::array<bool, kPortCount> present {};
        for (const PortListEntry& entry : listed) {
            // Port 0 is never a system port.
            if (entry.number < 1 || entry.number >= kPortCount)
                continue;
            present[entry.number] = true;
            m_ports[entry.number]->m_devicePath = entry.devicePath;
        }
        for (int i = 0; i < kPortCount; ++i) {
            changed |= m_ports[i]->m_present != present[i];
            m_ports[i]->m_present = present[i];
        }
    } else {
        for (int i = 0; i < kFallbackPortCount; ++i) {
            changed |= !m_ports[i]->m_present;
            m_ports[i]->m_present = true;
        }
    }
    if (changed)
        m_portListChanged = true;
    m_portsEnumerated = true;
    m_lastEnumeration = m_clock.Now();
}

void CCOMIOSYS::ManagePort(CCOM& port, int now)
{
    if (port.ThreadState() == kThreadEnded) {
        if (port.m_thread) {
            port.m_thread->Join();
            port.m_thread.reset();
        }
        port.m_threadState.store(kThreadNone, std::memory_order_release);
    }
    const std::uint8_t request = port.Request();
    if (request == 0)
        return;
    const std::uint8_t status = port.Status();

    if (request & kRequestClose) {
        if (status == kPortClosing)
            return;
        if (status == kPortClosed) {
            // An open order that its thread has not taken up yet would open the port after the
            // close was done; call it off and wait for the thread to confirm.
            if (port.SubState() == kOrderOpen && port.m_thread) {
                port.m_requestTime = now;
                port.m_subState.store(kOrderClose, std::memory_order_release);
                port.Wake();
                return;
            }
            // Closed; an open wanted as well follows on a later tick.
            port.m_request.store(request & ~kRequestClose, std::memory_order_release);
            return;
        }
        // Repeated every tick: the thread clears the order when an open it was busy with completes.
        port.m_requestTime = now;
        port.m_subState.store(kOrderClose, std::memory_order_release);
        port.Wake();
        return;
    }

    if (port.Alert() == kAlertOpenFailed || status == kPortOpen) {
        port.m_request.store(0, std::memory_order_release);
        return;
    }
    if (status == kPortOpening || port.SubState() == kOrderOpen) {
        if (now - port.m_requestTime > kOpenGiveUpMs) {
            port.m_alert.store(kAlertOpenGivenUp, std::memory_order_release);
            port.m_subState.store(kOrderClose, std::memory_order_release);
            port.m_request.store(kRequestClose, std::memory_order_release);
            port.Wake();
        }
        return;
    }
    StartOpen(port, now);
}

void CCOMIOSYS::StartOpen(CCOM& port, int now)
{
    // The thread of the last open or close is still on its way out; it is joined on a later tick.
    if (port.m_thread || port.ThreadState() != kThreadNone)
        return;
    // Everything the thread reads is written before it starts.
    std::snprintf(port.m_modeText, sizeof port.m_modeText, "%i,N,8,1", port.m_baudRate);
    port.m_openPath = port.m_devicePath;
    port.m_requestTime = now;
    port.m_alert.store(kAlertNone, std::memory_order_release);
    if (!port.m_wakeupOwned) {
        port.m_wakeupOwned = std::make_unique<PortWakeup>();
        port.m_wakeup.store(port.m_wakeupOwned.get(), std::memory_order_release);
    }
    port.m_subState.store(kOrderOpen, std::memory_order_release);

    std::unique_ptr<IPortThread> thread = m_startThread([this, &port] { RunPortThread(port); });
    if (!thread) {
        port.m_subState.store(kOrderNone, std::memory_order_release);
        port.m_alert.store(kAlertNoThread, std::memory_order_release);
        port.m_request.store(0, std::memory_order_release);
        return;
    }
    port.m_thread = std::move(thread);
    // Written last: the thread acts on the record only from here on.
    port.m_threadState.store(kThreadRunning, std::memory_order_release);
    port.Wake();
}

void CCOMIOSYS::RunPortThread(CCOM& port)
{
    {
        PortWorker worker(port, m_openDevice ? m_openDevice() : nullptr, m_traceCount);
        while (!Stopping()) {
            if (!worker.RunOnce())
                break;
            worker.Wait();
        }
    }
    port.m_threadState.store(kThreadEnded, std::memory_order_release);
}
