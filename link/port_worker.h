#pragma once

#include "platform/serial_port.h"

#include <atomic>
#include <memory>

class CCOM;
class PortWakeup;

// What the port thread of one record does: opens and closes the device on the manager's orders,
// writes each piece handed to the transmit slot and reads the device into the receive ring. All
// reading and writing of a port happens here. The thread runs RunOnce and Wait in turn.
class PortWorker
{
public:
    // traceCount numbers the traced writes of all ports.
    PortWorker(CCOM& port, std::unique_ptr<ISerialPort> device, std::atomic<int>& traceCount);
    ~PortWorker();

    // One pass over the record. False once the thread is to end: the port has been closed, its open
    // failed, or the open was called off before it began.
    bool RunOnce();
    // Sleeps until the device has input, the record's wake-up is signalled, or a short time passed.
    void Wait();
    // Closes the device if it is still open; for the stop of the whole link.
    void Shutdown();

    // Longest sleep while there is nothing to do; every order and hand-over signals the wake-up.
    static constexpr int kIdleWaitMs = 50;
    // While the ring is full input cannot be taken, so the thread looks again this often.
    static constexpr int kFullRingWaitMs = 5;

private:
    bool Open();
    void Close();
    void Transmit();
    void Receive();
    int BaudFromModeText() const;

    CCOM& m_port;
    std::unique_ptr<ISerialPort> m_device;
    PortWakeup& m_wakeup;
    std::atomic<int>& m_traceCount;
};
