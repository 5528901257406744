#pragma once

#include "link/ccom.h"
#include "link/link_clock.h"
#include "link/link_log.h"
#include "link/port_thread.h"
#include "platform/port_list.h"
#include "platform/serial_port.h"

#include <array>
#include <atomic>
#include <memory>

// The serial ports of the device link: one record per port number 0 to 255, the port list, open
// and close requests carried out by the port manager step on every tick, and one port thread per
// open port doing all its reading and writing. Owns the link clock TMR and the link log.
class CCOMIOSYS
{
public:
    // portList tells which ports exist; openDevice makes the backend of each port thread;
    // startThread starts port threads (QThreads unless a test says otherwise).
    CCOMIOSYS(IPortListProvider& portList, SerialPortFactory openDevice,
        PortThreadStarter startThread = QtPortThreadStarter());
    virtual ~CCOMIOSYS();
    CCOMIOSYS(const CCOMIOSYS&) = delete;
    CCOMIOSYS& operator=(const CCOMIOSYS&) = delete;

    static constexpr int kEnumerationIntervalMs = 1000;
    static constexpr int kOpenGiveUpMs = 5000;
    // Ports taken as present when the system cannot list its ports.
    static constexpr int kFallbackPortCount = 30;

    LinkClock& Clock() { return m_clock; }
    const LinkClock& Clock() const { return m_clock; }
    LinkLog& Log() { return m_log; }
    // The record of a port number 0 to 255 (others are clamped into that range).
    CCOM& Port(int number);
    const CCOM& Port(int number) const;

    // Main thread. Ports above 255 (or below 0) are ignored.
    void OpenRequest(int port, int baudRate);
    void CloseRequest(int port);
    void CloseAll();
    // Every tick: lists the ports when due, then carries out the requests of every record.
    void PortManagerStep();
    void EnumeratePorts();

    bool PortsEnumerated() const { return m_portsEnumerated; }
    int LastEnumerationTime() const { return m_lastEnumeration; }
    // Set when the port list changed (and by the link when a unit is found or lost); the main
    // window clears it after rebuilding its port menu.
    bool PortListChanged() const { return m_portListChanged; }
    void SetPortListChanged() { m_portListChanged = true; }
    void ClearPortListChanged() { m_portListChanged = false; }

    // The link's global stop flag; every thread of the link ends when it is set.
    bool Stopping() const { return m_stop.load(std::memory_order_acquire); }

protected:
    // Sets the stop flag and waits for every port thread; the ports are closed on the way. A
    // derived class with threads of its own calls it first in its destructor. Runs once.
    void StopLink();

private:
    void ManagePort(CCOM& port, int now);
    void StartOpen(CCOM& port, int now);
    void RunPortThread(CCOM& port);

    LinkClock m_clock;
    LinkLog m_log;
    IPortListProvider& m_portList;
    SerialPortFactory m_openDevice;
    PortThreadStarter m_startThread;
    std::array<std::unique_ptr<CCOM>, kPortCount> m_ports;

    bool m_portsEnumerated = false;
    bool m_portListChanged = false;
    int m_lastEnumeration = 0;
    bool m_stopped = false;
    std::atomic<bool> m_stop { false };
    std::atomic<int> m_traceCount { 0 };
};
