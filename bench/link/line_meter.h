#pragma once

#include "platform/serial_port.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>

// Bytes on the line, both directions, as the serial backend moved them.
struct LineBytes {
    std::int64_t sent = 0; // PC to unit
    std::int64_t received = 0; // unit to PC

    std::int64_t Total() const { return sent + received; }
    LineBytes operator-(const LineBytes& earlier) const
    {
        return { sent - earlier.sent, received - earlier.received };
    }
};

// Milliseconds the bytes would need on a real line: 10 bits per byte (start, 8 data, stop) at the
// baud rate. A pseudo-terminal ignores the baud rate, so this is worked out, never measured.
double LineMs(std::int64_t bytes, int baudRate);

// Watches one device through the serial backend the link really uses: wraps the backend factory so
// that every port the link opens counts its bytes, and notes when the watched device was opened and
// at which baud rate. Ports on other devices go through untouched. The counters are written by the
// port threads and read by the main thread.
class LineMeter
{
public:
    explicit LineMeter(QString watchedDevice);
    LineMeter(const LineMeter&) = delete;
    LineMeter& operator=(const LineMeter&) = delete;

    // The factory to give the link. The meter must outlive every port it makes.
    SerialPortFactory Wrap(SerialPortFactory backend);

    // The tick that runs now; an open of the watched device is stamped with it. Main thread.
    void SetTick(int tick) { m_tick.store(tick, std::memory_order_release); }

    LineBytes Bytes() const;
    // The tick during which the watched device was first opened, -1 while it never was.
    int FirstOpenTick() const { return m_firstOpenTick.load(std::memory_order_acquire); }
    // The baud rate of the watched device's last open, 0 before the first.
    int BaudRate() const { return m_baudRate.load(std::memory_order_acquire); }
    // When the last byte from the watched device was read.
    std::chrono::steady_clock::time_point LastReceived() const;

private:
    class CountingPort;

    const QString m_watched;
    std::atomic<int> m_tick { 0 };
    std::atomic<int> m_firstOpenTick { -1 };
    std::atomic<int> m_baudRate { 0 };
    std::atomic<std::int64_t> m_sent { 0 };
    std::atomic<std::int64_t> m_received { 0 };
    std::atomic<std::chrono::steady_clock::rep> m_lastReceived { 0 };
};
