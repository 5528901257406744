// One suite for every serial backend: the in-memory line and the real QSerialPort backend over a
// pseudo-terminal pair must behave alike wherever the port thread relies on them.

#include "platform/serial_memory.h"
#include "platform/serial_port_qt.h"
#include "platform/serial_wakeup.h"
#include "tests/link/pty_unit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace
{

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// A backend together with the far end of its line.
class LineUnderTest
{
public:
    virtual ~LineUnderTest() = default;
    virtual bool Ready() const = 0;
    virtual QString DevicePath() const = 0;
    virtual QString MissingPath() const = 0;
    virtual std::unique_ptr<ISerialPort> MakePort() = 0;
    virtual bool UnitSend(const Bytes& bytes) = 0;
    virtual Bytes UnitReceive(size_t count) = 0;
};

class MemoryLine : public LineUnderTest
{
public:
    bool Ready() const override { return true; }
    QString DevicePath() const override { return "mem:1"; }
    QString MissingPath() const override { return "mem:2"; }
    std::unique_ptr<ISerialPort> MakePort() override { return m_devices.Factory()(); }
    bool UnitSend(const Bytes& bytes) override
    {
        m_line->SendToPc(
            QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
        return true;
    }
    Bytes UnitReceive(size_t count) override
    {
        m_line->WaitFromPc(static_cast<int>(count), 10000);
        const QByteArray got = m_line->TakeFromPc();
        return Bytes(got.begin(), got.end());
    }

private:
    MemorySerialDevices m_devices;
    std::shared_ptr<MemorySerialLine> m_line = m_devices.Add("mem:1");
};

class PtyLine : public LineUnderTest
{
public:
    bool Ready() const override { return m_unit.Ready(); }
    QString DevicePath() const override { return m_unit.SlavePath(); }
    QString MissingPath() const override { return "/dev/pts/velmor-missing"; }
    std::unique_ptr<ISerialPort> MakePort() override { return QtSerialPortFactory()(); }
    bool UnitSend(const Bytes& bytes) override { return m_unit.Send(bytes); }
    Bytes UnitReceive(size_t count) override { return m_unit.Receive(count); }

private:
    PtyUnit m_unit;
};

struct Backend {
    const char* name;
    std::function<std::unique_ptr<LineUnderTest>()> make;
};

class SerialBackend : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        m_line = GetParam().make();
        ASSERT_TRUE(m_line->Ready());
        m_port = m_line->MakePort();
    }

    // Reads until count bytes have come in, waiting for input in between.
    Bytes ReadAll(size_t count)
    {
        Bytes got;
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (got.size() < count && Clock::now() < deadline) {
            m_port->WaitForEvent(m_wakeup, true, 50);
            const int waiting = m_port->BytesWaiting();
            if (waiting <= 0)
                continue;
            std::vector<std::uint8_t> buffer(waiting);
            const int n = m_port->Read(buffer.data(), waiting);
            got.insert(got.end(), buffer.begin(), buffer.begin() + n);
        }
        return got;
    }

    std::unique_ptr<LineUnderTest> m_line;
    std::unique_ptr<ISerialPort> m_port;
    PortWakeup m_wakeup;
};

TEST_P(SerialBackend, BytesTravelBothWays)
{
    ASSERT_TRUE(m_port->Open(m_line->DevicePath(), 57600));
    EXPECT_TRUE(m_port->IsOpen());

    Bytes request(52);
    for (size_t i = 0; i < request.size(); ++i)
        request[i] = static_cast<std::uint8_t>(0x30 + i * 7);
    EXPECT_EQ(m_port->Write(request.data(), 52), 52);
    EXPECT_EQ(m_line->UnitReceive(52), request);

    Bytes reply(600);
    for (size_t i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<std::uint8_t>(i * 13);
    ASSERT_TRUE(m_line->UnitSend(reply));
    EXPECT_EQ(ReadAll(reply.size()), reply);
}

TEST_P(SerialBackend, ReadTakesNoMoreThanAsked)
{
    ASSERT_TRUE(m_port->Open(m_line->DevicePath(), 115200));
    ASSERT_TRUE(m_line->UnitSend({ 1, 2, 3, 4, 5 }));
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (m_port->BytesWaiting() < 5 && Clock::now() < deadline)
        m_port->WaitForEvent(m_wakeup, true, 50);
    std::uint8_t buffer[5] = {};
    EXPECT_EQ(m_port->Read(buffer, 2), 2);
    EXPECT_EQ(m_port->BytesWaiting(), 3);
    EXPECT_EQ(m_port->Read(buffer + 2, 10), 3);
    EXPECT_EQ(Bytes(buffer, buffer + 5), Bytes({ 1, 2, 3, 4, 5 }));
}

// A hand-over from another thread must end the wait whether it comes before or during it.
TEST_P(SerialBackend, WakeUpEndsAWaitForInput)
{
    ASSERT_TRUE(m_port->Open(m_line->DevicePath(), 57600));
    const auto start = Clock::now();
    std::thread waiter([&] { m_port->WaitForEvent(m_wakeup, true, 20000); });
    m_wakeup.Signal();
    waiter.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
}

TEST_P(SerialBackend, OpenOfAMissingDeviceFails)
{
    EXPECT_FALSE(m_port->Open(m_line->MissingPath(), 57600));
    EXPECT_FALSE(m_port->IsOpen());
    EXPECT_EQ(m_port->Write(reinterpret_cast<const std::uint8_t*>("x"), 1), -1);
}

TEST_P(SerialBackend, ReopeningStartsWithNothingWaiting)
{
    ASSERT_TRUE(m_port->Open(m_line->DevicePath(), 57600));
    ASSERT_TRUE(m_line->UnitSend({ 9, 9, 9 }));
    m_port->Close();
    EXPECT_FALSE(m_port->IsOpen());
    ASSERT_TRUE(m_port->Open(m_line->DevicePath(), 57600));
    EXPECT_EQ(m_port->BytesWaiting(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, SerialBackend,
    ::testing::Values(Backend { "Memory", [] { return std::make_unique<MemoryLine>(); } },
        Backend { "QtOverPty", [] { return std::make_unique<PtyLine>(); } }),
    [](const auto& tested) { return std::string(tested.param.name); });

// A line whose far end hung up polls ready for ever; the wait must still sleep instead of
// returning at once, or a dead port would spin its thread until someone closes it.
TEST(QtSerialPortOverPty, WaitAfterHangUpStillSleeps)
{
    PtyUnit unit;
    ASSERT_TRUE(unit.Ready());
    QtSerialPort port;
    ASSERT_TRUE(port.Open(unit.SlavePath(), 57600));
    unit.HangUp();
    PortWakeup wakeup;
    const auto start = Clock::now();
    for (int i = 0; i < 4; ++i)
        port.WaitForEvent(wakeup, true, 25);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
}

} // namespace
