// The unit's end of a pseudo-terminal: it notices the PC opening and closing the device and hears
// the PC only at its own speed.

#include "sim/pty_unit.h"
#include "tests/link/wait_until.h"
#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The PC's end, opened raw at a speed like a serial port.
class PcDevice {
public:
    PcDevice(const std::string& path, speed_t speed)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios line {};
        ::tcgetattr(m_fd, &line);
        ::cfmakeraw(&line);
        ::cfsetispeed(&line, speed);
        ::cfsetospeed(&line, speed);
        ::tcsetattr(m_fd, TCSANOW, &line);
    }
    ~PcDevice() { Close(); }
    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool IsOpen() const { return m_fd >= 0; }
    void Write(const Bytes& bytes) { ASSERT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    void ReadInto(Bytes& into)
    {
        std::uint8_t buffer[512];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0)
            into.insert(into.end(), buffer, buffer + n);
    }

private:
    int m_fd = -1;
};

class PtyUnitEnd : public ::testing::Test {
protected:
    PtyUnitEnd() : m_engine(ConfigFor(IGN50), 0), m_pty(m_engine, [this] { return m_now; })
    {
        std::string error;
        m_ready = m_pty.Open(error);
    }

    // Serves rounds until the event comes; the clock stands still.
    bool ServeUntil(PtyUnit::Event event)
    {
        return WaitUntil([&] { return m_pty.Serve(1) == event; });
    }

    SimTime m_now = 0;
    UnitEngine m_engine;
    PtyUnit m_pty;
    bool m_ready = false;
};

TEST_F(PtyUnitEnd, AnswersWhileThePcHasTheDeviceOpen)
{
    ASSERT_TRUE(m_ready);
    EXPECT_EQ(m_pty.Serve(0), PtyUnit::Event::None);
    EXPECT_FALSE(m_pty.Attached());

    PcDevice pc(m_pty.DevicePath(), B57600);
    ASSERT_TRUE(pc.IsOpen());
    ASSERT_TRUE(ServeUntil(PtyUnit::Event::Attached));
    EXPECT_EQ(m_pty.LineSpeed(), 57600);

    pc.Write(IgnRequestFrame(IGN50, 0x30, {}, kRsKey));
    Bytes reply;
    ASSERT_TRUE(WaitUntil([&] {
        m_pty.Serve(1);
        pc.ReadInto(reply);
        return reply.size() >= 52;
    }));
    UnitIdentity identity;
    ASSERT_TRUE(ParseIgnIdentification(reply.data(), IGN50, identity));
    EXPECT_EQ(identity.version, kRsKey);

    pc.Close();
    EXPECT_TRUE(ServeUntil(PtyUnit::Event::Detached));
    EXPECT_FALSE(m_pty.Attached());
}

TEST_F(PtyUnitEnd, RequestAtAnotherSpeedGoesUnanswered)
{
    ASSERT_TRUE(m_ready);
    PcDevice pc(m_pty.DevicePath(), B115200);
    ASSERT_TRUE(ServeUntil(PtyUnit::Event::Attached));
    pc.Write(IgnRequestFrame(IGN50, 0x30, {}, kRsKey));
    ASSERT_TRUE(WaitUntil([&] {
        m_pty.Serve(1);
        return m_engine.State().LinkCounters().wrongSpeed == 52;
    }));
    Bytes reply;
    pc.ReadInto(reply);
    EXPECT_TRUE(reply.empty());
    EXPECT_EQ(m_engine.State().LinkCounters().replies, 0u);
}

} // namespace
