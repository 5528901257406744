#pragma once

// Wakes a port thread that waits for its device: the side that hands it work (a piece to transmit,
// an open or close order, the stop of the link) signals, the port thread waits. Signals do not
// queue up: any number of them before a wait ends that one wait.
class PortWakeup
{
public:
    PortWakeup();
    ~PortWakeup();
    PortWakeup(const PortWakeup&) = delete;
    PortWakeup& operator=(const PortWakeup&) = delete;

    // Any thread.
    void Signal();
    // Waits until signalled or timeoutMs have passed, and consumes the signal.
    void Wait(int timeoutMs);
    // Consumes a pending signal without waiting.
    void Drain();
    // A descriptor that polls readable while a signal is pending, for backends that wait on
    // their device and the wake-up together; -1 where the platform has none.
    int PollHandle() const { return m_readFd; }

private:
    int m_readFd = -1;
    int m_writeFd = -1;
};
