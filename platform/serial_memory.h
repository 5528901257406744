#pragma once

#include "platform/serial_port.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// A serial line held in memory: the PC's end is a port backend, the other end belongs to a test or
// a simulated unit. It stands in for the operating system's driver, so it guards its queues with a
// lock like a driver would.
class MemorySerialLine
{
public:
    // The unit's end; any thread.
    void SendToPc(const QByteArray& bytes);
    // Everything the PC has written since the last call.
    QByteArray TakeFromPc();
    // Waits until at least count bytes from the PC are queued; false when timeoutMs passed first.
    bool WaitFromPc(int count, int timeoutMs);
    // Makes the next opens fail, like a device that is missing or in use.
    void SetOpenFails(bool fails);
    // Makes opens hang until released, like a driver that does not answer.
    void SetOpenBlocks(bool blocks);
    // Makes writes fail, like a line that was pulled out.
    void SetWriteFails(bool fails);
    bool IsOpen() const;
    int BaudRate() const;
    int OpenCount() const;
    // Bytes sent to the PC that its end has not read yet.
    int PendingToPc() const;

    // The PC's end, used by its backend.
    bool Attach(int baudRate, PortWakeup* wakeup);
    void Detach();
    int WriteFromPc(const std::uint8_t* bytes, int count);
    int AvailableToPc() const;
    int ReadToPc(std::uint8_t* into, int maxCount);
    void SetWakeup(PortWakeup* wakeup);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_fromPcArrived;
    std::condition_variable m_openReleased;
    // Plain byte vectors, never shared with the caller's QByteArray: the two ends run on different
    // threads.
    std::vector<std::uint8_t> m_toPc;
    std::vector<std::uint8_t> m_fromPc;
    PortWakeup* m_wakeup = nullptr;
    bool m_open = false;
    bool m_openFails = false;
    bool m_openBlocks = false;
    bool m_writeFails = false;
    int m_baudRate = 0;
    int m_openCount = 0;
};

// The in-memory devices by path; its factory makes backends that open them.
class MemorySerialDevices
{
public:
    std::shared_ptr<MemorySerialLine> Add(const QString& devicePath);
    std::shared_ptr<MemorySerialLine> Line(const QString& devicePath) const;
    SerialPortFactory Factory();

private:
    mutable std::mutex m_mutex;
    std::map<QString, std::shared_ptr<MemorySerialLine>> m_lines;
};

class MemorySerialPort : public ISerialPort
{
public:
    explicit MemorySerialPort(const MemorySerialDevices& devices);
    ~MemorySerialPort() override;

    bool Open(const QString& devicePath, int baudRate) override;
    void Close() override;
    bool IsOpen() const override;
    int Write(const std::uint8_t* bytes, int count) override;
    int BytesWaiting() override;
    int Read(std::uint8_t* into, int maxCount) override;
    void WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs) override;

private:
    const MemorySerialDevices& m_devices;
    std::shared_ptr<MemorySerialLine> m_line;
    PortWakeup* m_wakeup = nullptr;
};
