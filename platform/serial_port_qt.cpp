#include "platform/serial_port_qt.h"

#include "platform/serial_wakeup.h"

#include <algorithm>

#if defined(Q_OS_UNIX)
#include <poll.h>
#endif

QtSerialPort::QtSerialPort() = default;

QtSerialPort::~QtSerialPort()
{
    Close();
}

bool QtSerialPort::Open(const QString& devicePath, int baudRate)
{
    if (m_port.isOpen())
        Close();
    m_port.setPortName(devicePath);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    const bool configured = m_port.setBaudRate(baudRate) && m_port.setDataBits(QSerialPort::Data8)
        && m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop)
        && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        m_port.close();
        return false;
    }
    m_port.clear(QSerialPort::AllDirections);
    return true;
}

void QtSerialPort::Close()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::AllDirections);
    m_port.close();
    m_port.clearError();
}

bool QtSerialPort::IsOpen() const
{
    return m_port.isOpen();
}

int QtSerialPort::Write(const std::uint8_t* bytes, int count)
{
    if (!m_port.isOpen() || count <= 0)
        return count == 0 ? 0 : -1;
    const qint64 queued = m_port.write(reinterpret_cast<const char*>(bytes), count);
    if (queued < 0) {
        m_port.clearError();
        return -1;
    }
    // Without an event loop the bytes leave QSerialPort's buffer only while we wait for them.
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(kWriteTimeoutMs)) {
            // The rest of the piece is lost rather than sent in front of the next one.
            m_port.clear(QSerialPort::Output);
            m_port.clearError();
            return -1;
        }
    }
    return static_cast<int>(queued);
}

void QtSerialPort::PullInput()
{
    if (!m_port.isOpen())
        return;
    // A zero wait reads what the system holds and returns at once; a time-out only means
    // nothing was there.
    m_port.waitForReadyRead(0);
    if (m_port.error() != QSerialPort::NoError)
        m_port.clearError();
}

int QtSerialPort::BytesWaiting()
{
    if (!m_port.isOpen())
        return 0;
    if (m_port.bytesAvailable() == 0)
        PullInput();
    return static_cast<int>(std::min<qint64>(m_port.bytesAvailable(), 1 << 20));
}

int QtSerialPort::Read(std::uint8_t* into, int maxCount)
{
    if (!m_port.isOpen() || maxCount <= 0)
        return 0;
    const qint64 got = m_port.read(reinterpret_cast<char*>(into), maxCount);
    return got < 0 ? 0 : static_cast<int>(got);
}

void QtSerialPort::WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs)
{
    if (wantInput && m_port.isOpen() && m_port.bytesAvailable() > 0) {
        wakeup.Drain();
        return;
    }
#if defined(Q_OS_UNIX)
    pollfd waits[2] = { { wakeup.PollHandle(), POLLIN, 0 }, { -1, POLLIN, 0 } };
    if (m_port.isOpen())
        waits[1].fd = m_port.handle();
    ::poll(waits, 2, timeoutMs);
    wakeup.Drain();
    if (waits[1].revents != 0)
        PullInput();
    // A device that hung up polls ready for ever; wait on the wake-up alone so that a dead port
    // does not keep the thread spinning until it is closed.
    if (waits[1].revents & (POLLHUP | POLLERR | POLLNVAL))
        wakeup.Wait(timeoutMs);
#else
    if (m_port.isOpen() && wantInput) {
        m_port.waitForReadyRead(std::min(timeoutMs, 2));
        m_port.clearError();
    } else {
        wakeup.Wait(timeoutMs);
    }
#endif
}

SerialPortFactory QtSerialPortFactory()
{
    return [] { return std::make_unique<QtSerialPort>(); };
}
