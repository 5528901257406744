#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class PortWakeup;

// One serial device as the port thread of the device link sees it. Every call is made from the
// thread that created the object; only the wake-up passed to WaitForEvent is signalled from others.
class ISerialPort
{
public:
    virtual ~ISerialPort() = default;

    // Opens the device exclusively at the given baud rate, 8 data bits, no parity, 1 stop bit.
    virtual bool Open(const QString& devicePath, int baudRate) = 0;
    // Drops what is pending in both directions, then closes. Errors are ignored.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Writes all bytes before returning; returns the number written, or -1 on failure.
    virtual int Write(const std::uint8_t* bytes, int count) = 0;
    // Bytes received and not read yet.
    virtual int BytesWaiting() = 0;
    // Reads up to maxCount waiting bytes without blocking; returns how many were read.
    virtual int Read(std::uint8_t* into, int maxCount) = 0;

    // Blocks until input is waiting (only when wantInput), the wake-up is signalled, or timeoutMs
    // have passed. Returning early for no reason is allowed.
    virtual void WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs) = 0;
};

// Makes the backend for one port thread; called on that thread.
using SerialPortFactory = std::function<std::unique_ptr<ISerialPort>()>;
