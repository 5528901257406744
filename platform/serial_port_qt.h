#pragma once

#include "platform/serial_port.h"

#include <QSerialPort>

// The real device, through QSerialPort used synchronously on the port thread (no event loop).
class QtSerialPort : public ISerialPort
{
public:
    QtSerialPort();
    ~QtSerialPort() override;

    bool Open(const QString& devicePath, int baudRate) override;
    void Close() override;
    bool IsOpen() const override;
    int Write(const std::uint8_t* bytes, int count) override;
    int BytesWaiting() override;
    int Read(std::uint8_t* into, int maxCount) override;
    void WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs) override;

    // Milliseconds a write may take before its piece is given up.
    static constexpr int kWriteTimeoutMs = 100;

private:
    // Moves bytes that the system holds for the port into QSerialPort's buffer without blocking.
    void PullInput();

    QSerialPort m_port;
};

SerialPortFactory QtSerialPortFactory();
