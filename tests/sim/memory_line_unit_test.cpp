// The simulated unit on an in-memory serial line, talking to the PC's real port manager, port
// threads and codec inside one process.

#include "link/ccomiosys.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "sim/memory_line_unit.h"
#include "tests/link/wait_until.h"
#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

namespace {

class MemoryLine : public ::testing::Test {
protected:
    MemoryLine() : m_line(m_devices.Add("mem:7")) { m_list.Set({ { 7, "mem:7" } }); }

    bool Open(int baud)
    {
        m_io.OpenRequest(7, baud);
        return WaitUntil([&] {
            m_io.PortManagerStep();
            return m_io.Port(7).Status() == kPortOpen && m_io.Port(7).Request() == 0;
        });
    }

    bool Close()
    {
        m_io.CloseRequest(7);
        return WaitUntil([&] {
            m_io.PortManagerStep();
            return m_io.Port(7).Status() == kPortClosed && !m_line->IsOpen();
        });
    }

    // Sends a frame through the PC's codec and port thread.
    void Send(CCOMFRAME& codec, const Bytes& frame)
    {
        std::copy(frame.begin(), frame.end(), codec.TransmitBuffer());
        codec.SetTransmitLength(static_cast<int>(frame.size()));
        codec.RestartTransmit();
        while (codec.TransmitRemaining() > 0 || !codec.TransmitStarted())
            codec.Send(m_io.Port(7));
    }

    MemorySerialDevices m_devices;
    std::shared_ptr<MemorySerialLine> m_line;
    FixedPortList m_list;
    CCOMIOSYS m_io { m_list, m_devices.Factory() };
};

TEST_F(MemoryLine, PcLinkIdentifiesProgramsAndReadsTheUnitOnItsOwnThread)
{
    MemoryLineUnit unit(m_line, ConfigFor(IGN50));
    unit.Start();
    m_io.PortManagerStep();
    ASSERT_TRUE(Open(57600));

    CCOMFRAME codec;
    codec.Reset(IGN50, 125);
    Bytes request(kFrameBufferSize);
    request.resize(BuildIdentificationRequest(request, IGN50, kRsKey));
    Send(codec, request);
    ASSERT_TRUE(WaitUntil([&] { return codec.Receive(m_io.Port(7)); }));
    UnitIdentity identity;
    ASSERT_TRUE(ParseIgnIdentification(codec.Frame(), IGN50, identity));
    EXPECT_EQ(identity.version, kRsKey);

    const Bytes block(50, 0x21);
    Send(codec, IgnRequestFrame(IGN50, 0x02, block));
    ASSERT_TRUE(WaitUntil([&] { return codec.Receive(m_io.Port(7)); }));
    EXPECT_EQ(codec.Frame()[0], 0x82);
    Send(codec, IgnRequestFrame(IGN50, 0x42));
    ASSERT_TRUE(WaitUntil([&] { return codec.Receive(m_io.Port(7)); }));
    EXPECT_EQ(Bytes(codec.Frame() + 1, codec.Frame() + 51), block);
    EXPECT_EQ(unit.With([](UnitEngine& engine) { return engine.State().Parameters()[50]; }), 0x21);

    unit.Stop();
    ASSERT_TRUE(Close());
}

TEST_F(MemoryLine, RequestAtAnotherSpeedIsNoiseToTheUnit)
{
    SimTime now = 0;
    MemoryLineUnit unit(m_line, ConfigFor(IGN50), [&] { return now; });
    m_io.PortManagerStep();
    ASSERT_TRUE(Open(115200));

    CCOMFRAME codec;
    codec.Reset(IGN50, 125);
    Send(codec, IgnRequestFrame(IGN50, 0x30, {}, kRsKey));
    ASSERT_TRUE(m_line->WaitFromPc(52, 10000));
    unit.Pump();
    EXPECT_EQ(m_line->PendingToPc(), 0);
    EXPECT_EQ(unit.With([](UnitEngine& engine) { return engine.State().LinkCounters().wrongSpeed; }), 52u);
    ASSERT_TRUE(Close());
}

TEST_F(MemoryLine, ReplyDueAfterThePcClosedTheLineIsNeverSent)
{
    SimTime now = 0;
    UnitConfig config = ConfigFor(IGN50);
    config.faults.replyDelayMs = 100;
    MemoryLineUnit unit(m_line, config, [&] { return now; });
    m_io.PortManagerStep();
    ASSERT_TRUE(Open(57600));

    CCOMFRAME codec;
    codec.Reset(IGN50, 125);
    Send(codec, IgnRequestFrame(IGN50, 0x30, {}, kRsKey));
    ASSERT_TRUE(m_line->WaitFromPc(52, 10000));
    unit.Pump();
    EXPECT_TRUE(unit.With([](UnitEngine& engine) { return engine.HasPendingOutput(); }));
    ASSERT_TRUE(Close());

    now = 100;
    unit.Pump();
    EXPECT_EQ(m_line->PendingToPc(), 0);
    EXPECT_FALSE(unit.With([](UnitEngine& engine) { return engine.HasPendingOutput(); }));
}

} // namespace
