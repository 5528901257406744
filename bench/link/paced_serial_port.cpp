#include "bench/link/paced_serial_port.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace
{

constexpr int kBitsPerByte = 10; // start bit, 8 data bits, stop bit

} // namespace

PacedSerialPort::PacedSerialPort(std::unique_ptr<ISerialPort> backend)
    : m_backend(std::move(backend))
{
}

bool PacedSerialPort::Open(const QString& devicePath, int baudRate)
{
    m_arriving.clear();
    m_lineFreeAt = {};
    m_byteTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(kBitsPerByte) / std::max(baudRate, 1)));
    return m_backend->Open(devicePath, baudRate);
}

void PacedSerialPort::Close()
{
    m_arriving.clear();
    m_backend->Close();
}

int PacedSerialPort::Write(const std::uint8_t* bytes, int count)
{
    // The unit acts on a request when its last byte is in: the piece goes over whole, that late.
    std::this_thread::sleep_for(m_byteTime * std::max(count, 0));
    return m_backend->Write(bytes, count);
}

void PacedSerialPort::Pull()
{
    const int waiting = m_backend->BytesWaiting();
    if (waiting <= 0)
        return;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(waiting));
    const int got = m_backend->Read(bytes.data(), waiting);
    const Clock::time_point now = Clock::now();
    for (int i = 0; i < got; ++i) {
        m_lineFreeAt = std::max(m_lineFreeAt, now) + m_byteTime;
        m_arriving.push_back({ bytes[static_cast<std::size_t>(i)], m_lineFreeAt });
    }
}

int PacedSerialPort::DueCount() const
{
    const Clock::time_point now = Clock::now();
    int due = 0;
    for (const Arriving& arriving : m_arriving) {
        if (arriving.due > now)
            break;
        ++due;
    }
    return due;
}

int PacedSerialPort::BytesWaiting()
{
    Pull();
    return DueCount();
}

int PacedSerialPort::Read(std::uint8_t* into, int maxCount)
{
    const int count = std::min(DueCount(), maxCount);
    for (int i = 0; i < count; ++i) {
        into[i] = m_arriving.front().byte;
        m_arriving.pop_front();
    }
    return count;
}

void PacedSerialPort::WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs)
{
    // Bytes already taken from the backend do not wake the wait: it ends by the next one's time.
    if (!m_arriving.empty()) {
        const auto untilDue
            = std::chrono::duration_cast<std::chrono::milliseconds>(m_arriving.front().due - Clock::now());
        timeoutMs = std::clamp(static_cast<int>(untilDue.count()) + 1, 1, std::max(timeoutMs, 1));
    }
    m_backend->WaitForEvent(wakeup, wantInput, timeoutMs);
}

SerialPortFactory PacedSerialPorts(SerialPortFactory backend)
{
    return [backend = std::move(backend)]() -> std::unique_ptr<ISerialPort> {
        std::unique_ptr<ISerialPort> port = backend ? backend() : nullptr;
        if (!port)
            return nullptr;
        return std::make_unique<PacedSerialPort>(std::move(port));
    };
}
