#include "platform/serial_memory.h"

#include "platform/serial_wakeup.h"

#include <algorithm>
#include <chrono>
#include <cstring>

void MemorySerialLine::SendToPc(const QByteArray& bytes)
{
    std::lock_guard lock(m_mutex);
    m_toPc.insert(m_toPc.end(), bytes.begin(), bytes.end());
    if (m_wakeup)
        m_wakeup->Signal();
}

QByteArray MemorySerialLine::TakeFromPc()
{
    std::lock_guard lock(m_mutex);
    const QByteArray taken(
        reinterpret_cast<const char*>(m_fromPc.data()), static_cast<qsizetype>(m_fromPc.size()));
    m_fromPc.clear();
    return taken;
}

bool MemorySerialLine::WaitFromPc(int count, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_fromPcArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
        [&] { return static_cast<int>(m_fromPc.size()) >= count; });
}

void MemorySerialLine::SetOpenFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_openFails = fails;
}

void MemorySerialLine::SetOpenBlocks(bool blocks)
{
    std::lock_guard lock(m_mutex);
    m_openBlocks = blocks;
    m_openReleased.notify_all();
}

void MemorySerialLine::SetWriteFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_writeFails = fails;
}

bool MemorySerialLine::IsOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

int MemorySerialLine::BaudRate() const
{
    std::lock_guard lock(m_mutex);
    return m_baudRate;
}

int MemorySerialLine::OpenCount() const
{
    std::lock_guard lock(m_mutex);
    return m_openCount;
}

int MemorySerialLine::PendingToPc() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_toPc.size());
}

bool MemorySerialLine::Attach(int baudRate, PortWakeup* wakeup)
{
    std::unique_lock lock(m_mutex);
    m_openReleased.wait(lock, [&] { return !m_openBlocks; });
    if (m_open || m_openFails)
        return false;
    m_open = true;
    // Opening purges, as it does on a real port: bytes sent while nobody listened are gone.
    m_toPc.clear();
    m_baudRate = baudRate;
    m_wakeup = wakeup;
    ++m_openCount;
    return true;
}

void MemorySerialLine::Detach()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_wakeup = nullptr;
    // Closing drops what was on its way to the PC, as purging a real port does.
    m_toPc.clear();
}

void MemorySerialLine::SetWakeup(PortWakeup* wakeup)
{
    std::lock_guard lock(m_mutex);
    m_wakeup = wakeup;
    if (m_wakeup && !m_toPc.empty())
        m_wakeup->Signal();
}

int MemorySerialLine::WriteFromPc(const std::uint8_t* bytes, int count)
{
    std::lock_guard lock(m_mutex);
    if (m_writeFails || !m_open)
        return -1;
    m_fromPc.insert(m_fromPc.end(), bytes, bytes + count);
    m_fromPcArrived.notify_all();
    return count;
}

int MemorySerialLine::AvailableToPc() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_toPc.size());
}

int MemorySerialLine::ReadToPc(std::uint8_t* into, int maxCount)
{
    std::lock_guard lock(m_mutex);
    const int n = std::min(maxCount, static_cast<int>(m_toPc.size()));
    if (n <= 0)
        return 0;
    std::memcpy(into, m_toPc.data(), n);
    m_toPc.erase(m_toPc.begin(), m_toPc.begin() + n);
    return n;
}

std::shared_ptr<MemorySerialLine> MemorySerialDevices::Add(const QString& devicePath)
{
    std::lock_guard lock(m_mutex);
    auto& line = m_lines[devicePath];
    if (!line)
        line = std::make_shared<MemorySerialLine>();
    return line;
}

std::shared_ptr<MemorySerialLine> MemorySerialDevices::Line(const QString& devicePath) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_lines.find(devicePath);
    return found == m_lines.end() ? nullptr : found->second;
}

SerialPortFactory MemorySerialDevices::Factory()
{
    return [this] { return std::make_unique<MemorySerialPort>(*this); };
}

MemorySerialPort::MemorySerialPort(const MemorySerialDevices& devices)
    : m_devices(devices)
{
}

MemorySerialPort::~MemorySerialPort()
{
    Close();
}

bool MemorySerialPort::Open(const QString& devicePath, int baudRate)
{
    Close();
    auto line = m_devices.Line(devicePath);
    if (!line || !line->Attach(baudRate, m_wakeup))
        return false;
    m_line = std::move(line);
    return true;
}

void MemorySerialPort::Close()
{
    if (!m_line)
        return;
    m_line->Detach();
    m_line.reset();
}

bool MemorySerialPort::IsOpen() const
{
    return m_line != nullptr;
}

int MemorySerialPort::Write(const std::uint8_t* bytes, int count)
{
    return m_line ? m_line->WriteFromPc(bytes, count) : -1;
}

int MemorySerialPort::BytesWaiting()
{
    return m_line ? m_line->AvailableToPc() : 0;
}

int MemorySerialPort::Read(std::uint8_t* into, int maxCount)
{
    return m_line ? m_line->ReadToPc(into, maxCount) : 0;
}

void MemorySerialPort::WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs)
{
    // The line signals this wake-up whenever bytes for the PC arrive.
    if (m_wakeup != &wakeup) {
        m_wakeup = &wakeup;
        if (m_line)
            m_line->SetWakeup(&wakeup);
    }
    if (wantInput && m_line && m_line->AvailableToPc() > 0) {
        wakeup.Drain();
        return;
    }
    wakeup.Wait(timeoutMs);
}
