#pragma once

#include <functional>
#include <memory>

// A running port thread, as the port manager holds it.
class IPortThread
{
public:
    virtual ~IPortThread() = default;
    // Waits until the thread's function has returned.
    virtual void Join() = 0;
};

// Starts a thread that runs body; null when no thread could be started.
using PortThreadStarter = std::function<std::unique_ptr<IPortThread>(std::function<void()> body)>;

// Port threads are QThreads without an event loop (QSerialPort is used synchronously on them).
// The transfer worker is started the same way, with a larger stack.
constexpr unsigned kPortThreadStackBytes = 128 * 1024;
PortThreadStarter QtPortThreadStarter(unsigned stackBytes = kPortThreadStackBytes);
