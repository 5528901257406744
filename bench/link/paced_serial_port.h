#pragma once

#include "platform/serial_port.h"

#include <chrono>
#include <deque>
#include <memory>

// Makes a pseudo-terminal as slow as a real serial line at the baud rate the port was opened with:
// a pseudo-terminal moves a frame in microseconds, a real line needs 10 bits per byte. A written
// piece reaches the other end only once its last byte would have (the write takes that long, as the
// line is busy), and received bytes are handed up one byte time after another, never sooner than
// they came in. Used on the port thread only, like the port it wraps.
class PacedSerialPort : public ISerialPort
{
public:
    explicit PacedSerialPort(std::unique_ptr<ISerialPort> backend);

    bool Open(const QString& devicePath, int baudRate) override;
    void Close() override;
    bool IsOpen() const override { return m_backend->IsOpen(); }
    int Write(const std::uint8_t* bytes, int count) override;
    int BytesWaiting() override;
    int Read(std::uint8_t* into, int maxCount) override;
    void WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs) override;

private:
    using Clock = std::chrono::steady_clock;
    struct Arriving {
        std::uint8_t byte;
        Clock::time_point due; // when its stop bit would have come in
    };

    // Takes what the backend has into the queue, each byte due one byte time after the one before,
    // and not before it came.
    void Pull();
    int DueCount() const;

    std::unique_ptr<ISerialPort> m_backend;
    Clock::duration m_byteTime {};
    Clock::time_point m_lineFreeAt {}; // the receive line is busy until then
    std::deque<Arriving> m_arriving;
};

// Wraps every port the factory makes.
SerialPortFactory PacedSerialPorts(SerialPortFactory backend);
