#include "link/ccomframe.h"
#include "link/ccomiosys.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "tests/link/link_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace
{

class PortManager : public ::testing::Test
{
protected:
    PortManager()
    {
        m_line7 = m_devices.Add("mem:7");
        m_line8 = m_devices.Add("mem:8");
        m_list.Set({ { 7, "mem:7" }, { 8, "mem:8" } });
        m_log.AttachTo(m_io.Log());
    }

    void Tick()
    {
        m_io.Clock().Advance(LinkClock::kMsPerTick);
        m_io.PortManagerStep();
    }

    // Runs manager steps at the same TMR until the port threads have made the condition true, so
    // that no time-out of the link can fire while a real thread catches up.
    bool StepUntil(const std::function<bool()>& condition)
    {
        return WaitUntil([&] {
            m_io.PortManagerStep();
            return condition();
        });
    }

    bool OpenAndWait(int port, int baud)
    {
        m_io.OpenRequest(port, baud);
        return StepUntil(
            [&] { return m_io.Port(port).Status() == kPortOpen && m_io.Port(port).Request() == 0; });
    }

    bool ClosedAndIdle(int port)
    {
        const CCOM& record = m_io.Port(port);
        return record.Status() == kPortClosed && record.Request() == 0 && !record.HasThread();
    }

    MemorySerialDevices m_devices;
    std::shared_ptr<MemorySerialLine> m_line7;
    std::shared_ptr<MemorySerialLine> m_line8;
    FixedPortList m_list;
    CapturedLog m_log;
    CCOMIOSYS m_io { m_list, m_devices.Factory() };
};

TEST_F(PortManager, EnumerationMarksListedPortsAndReportsChangesAtMostOncePerSecond)
{
    m_list.Set({ { 0, "mem:0" }, { 7, "mem:7" }, { 8, "mem:8" }, { 300, "mem:x" } });
    m_io.PortManagerStep();
    EXPECT_TRUE(m_io.PortsEnumerated());
    EXPECT_TRUE(m_io.PortListChanged());
    EXPECT_TRUE(m_io.Port(7).Present());
    EXPECT_TRUE(m_io.Port(8).Present());
    EXPECT_FALSE(m_io.Port(0).Present()) << "port 0 is never a system port";
    EXPECT_EQ(m_io.Port(8).DevicePath(), "mem:8");

    m_io.ClearPortListChanged();
    m_list.Set({ { 7, "mem:7" } });
    for (int tick = 0; tick < 20; ++tick)
        Tick();
    EXPECT_EQ(m_list.Calls(), 1) << "1000 ms have not passed yet";
    EXPECT_TRUE(m_io.Port(8).Present());

    Tick();
    EXPECT_EQ(m_list.Calls(), 2);
    EXPECT_FALSE(m_io.Port(8).Present());
    EXPECT_TRUE(m_io.PortListChanged());

    m_io.ClearPortListChanged();
    for (int tick = 0; tick < 21; ++tick)
        Tick();
    EXPECT_EQ(m_list.Calls(), 3);
    EXPECT_FALSE(m_io.PortListChanged()) << "the same list again is no change";
}

TEST_F(PortManager, FailedEnumerationTakesTheFirstThirtyPortsAsPresent)
{
    m_list.SetFails(true);
    m_io.PortManagerStep();
    EXPECT_TRUE(m_io.PortsEnumerated());
    EXPECT_TRUE(m_io.PortListChanged());
    for (int port = 0; port < 30; ++port)
        EXPECT_TRUE(m_io.Port(port).Present()) << port;
    EXPECT_FALSE(m_io.Port(30).Present());
}

TEST_F(PortManager, OpenRequestOpensThePortOnItsOwnThread)
{
    m_io.PortManagerStep();
    ASSERT_TRUE(OpenAndWait(7, 57600));
    const CCOM& port = m_io.Port(7);
    EXPECT_STREQ(port.ModeText(), "57600,N,8,1");
    EXPECT_EQ(port.Alert(), kAlertNone);
    EXPECT_TRUE(port.HasThread());
    EXPECT_TRUE(m_line7->IsOpen());
    EXPECT_EQ(m_line7->BaudRate(), 57600);
    EXPECT_EQ(m_log.Text(), "\n[7:TMR=0]OPEN COM7 (57600,N,8,1)\n");
}

TEST_F(PortManager, OpenRequestOnAnOpenPortClosesItAndOpensWithTheNewBaudRate)
{
    m_io.PortManagerStep();
    ASSERT_TRUE(OpenAndWait(7, 57600));
    m_io.OpenRequest(7, 115200);
    EXPECT_EQ(m_io.Port(7).Request(), kRequestClose | kRequestOpen);
    ASSERT_TRUE(StepUntil([&] { return m_line7->OpenCount() == 2 && m_io.Port(7).Status() == kPortOpen; }));
    EXPECT_EQ(m_line7->BaudRate(), 115200);
    EXPECT_EQ(m_log.Text(),
        "\n[7:TMR=0]OPEN COM7 (57600,N,8,1)\n"
        "\n[7:TMR=0]CLOSE COM7\n"
        "\n[7:TMR=0]OPEN COM7 (115200,N,8,1)\n");
}

TEST_F(PortManager, CloseRequestClosesThePortAndEndsItsThread)
{
    m_io.PortManagerStep();
    ASSERT_TRUE(OpenAndWait(8, 57600));
    m_io.CloseRequest(8);
    ASSERT_TRUE(StepUntil([&] { return ClosedAndIdle(8); }));
    EXPECT_FALSE(m_line8->IsOpen());
    EXPECT_NE(m_log.Text().find("\n[8:TMR=0]CLOSE COM8\n"), std::string::npos);
}

TEST_F(PortManager, CloseRequestOnAClosedIdlePortDoesNothing)
{
    m_line8->SetOpenFails(true);
    m_io.PortManagerStep();
    m_io.OpenRequest(8, 57600);
    ASSERT_TRUE(StepUntil([&] { return ClosedAndIdle(8); }));
    ASSERT_EQ(m_io.Port(8).Alert(), kAlertOpenFailed);

    m_io.CloseRequest(8);
    EXPECT_EQ(m_io.Port(8).Request(), 0);
    EXPECT_EQ(m_io.Port(8).Alert(), kAlertOpenFailed) << "the record is left as it was";
}

TEST_F(PortManager, FailedOpenSetsAlertOneAndDropsTheRequest)
{
    m_line7->SetOpenFails(true);
    m_io.PortManagerStep();
    m_io.OpenRequest(7, 57600);
    ASSERT_TRUE(StepUntil([&] { return ClosedAndIdle(7); }));
    EXPECT_EQ(m_io.Port(7).Alert(), kAlertOpenFailed);

    m_io.OpenRequest(9, 57600); // listed nowhere: no device path
    ASSERT_TRUE(StepUntil([&] { return ClosedAndIdle(9); }));
    EXPECT_EQ(m_io.Port(9).Alert(), kAlertOpenFailed);
}

TEST_F(PortManager, OpenThatHangsIsGivenUpAfter5000MsAndClosedWhenItCompletes)
{
    m_line7->SetOpenBlocks(true);
    m_io.PortManagerStep();
    m_io.OpenRequest(7, 57600);
    ASSERT_TRUE(StepUntil([&] { return m_io.Port(7).Status() == kPortOpening; }));

    m_io.Clock().Advance(CCOMIOSYS::kOpenGiveUpMs);
    m_io.PortManagerStep();
    EXPECT_EQ(m_io.Port(7).Request(), kRequestOpen) << "5000 ms exactly is not yet too long";

    Tick();
    EXPECT_EQ(m_io.Port(7).Alert(), kAlertOpenGivenUp);
    EXPECT_EQ(m_io.Port(7).Request(), kRequestClose);

    m_line7->SetOpenBlocks(false);
    ASSERT_TRUE(StepUntil([&] { return ClosedAndIdle(7); }));
    EXPECT_FALSE(m_line7->IsOpen());
    EXPECT_EQ(m_io.Port(7).Alert(), kAlertOpenGivenUp);
}

TEST_F(PortManager, PortThreadThatCannotStartSetsAlertThree)
{
    CCOMIOSYS io(m_list, m_devices.Factory(), [](std::function<void()>) { return nullptr; });
    io.PortManagerStep();
    io.OpenRequest(7, 57600);
    io.PortManagerStep();
    EXPECT_EQ(io.Port(7).Alert(), kAlertNoThread);
    EXPECT_EQ(io.Port(7).Request(), 0);
    EXPECT_EQ(io.Port(7).Status(), kPortClosed);
}

// A close requested before the new thread has begun its open must win: the port may not open
// afterwards and stay open with nobody wanting it.
TEST_F(PortManager, CloseBeforeTheThreadTookUpTheOpenLeavesThePortClosed)
{
    std::atomic<bool> gate { false };
    const PortThreadStarter qtStarter = QtPortThreadStarter();
    CCOMIOSYS io(m_list, m_devices.Factory(), [&](std::function<void()> body) {
        return qtStarter([&gate, body] {
            WaitUntil([&] { return gate.load(); });
            body();
        });
    });
    io.PortManagerStep();
    io.OpenRequest(7, 57600);
    io.PortManagerStep();
    ASSERT_TRUE(io.Port(7).HasThread());
    io.CloseRequest(7);
    io.PortManagerStep();
    gate = true;

    ASSERT_TRUE(WaitUntil([&] {
        io.PortManagerStep();
        const CCOM& port = io.Port(7);
        return port.Status() == kPortClosed && port.Request() == 0 && !port.HasThread();
    }));
    EXPECT_FALSE(m_line7->IsOpen());
    EXPECT_EQ(m_line7->OpenCount(), 0);
}

TEST_F(PortManager, PiecesReachTheDeviceAndOnlyNonMonitorPiecesAreTraced)
{
    m_io.PortManagerStep();
    ASSERT_TRUE(OpenAndWait(7, 57600));
    m_log.Clear();
    CCOM& port = m_io.Port(7);

    const Bytes command = { 0x41, 0x00, 0xBE };
    ASSERT_TRUE(port.HandOverTransmit(command.data(), 3));
    ASSERT_TRUE(m_line7->WaitFromPc(3, 10000));
    EXPECT_EQ(ToBytes(m_line7->TakeFromPc()), command);
    ASSERT_TRUE(WaitUntil([&] { return port.TransmitSlotFree(); }));
    EXPECT_EQ(m_log.Text(), "\n[7:TMR=0]TX 0:\n41\t00\tbe\t\n");

    m_log.Clear();
    CCOMFRAME codec;
    codec.Reset(IGN50, 125);
    codec.BuildIdentificationRequest(109);
    codec.Send(port);
    ASSERT_TRUE(m_line7->WaitFromPc(52, 10000));
    EXPECT_EQ(m_line7->TakeFromPc().size(), 52);
    ASSERT_TRUE(WaitUntil([&] { return port.TransmitSlotFree(); }));
    const std::string text = m_log.Text();
    EXPECT_EQ(text.find("]TX "), std::string::npos) << text;
    EXPECT_NE(text.find("T(0x30 0x00 "), std::string::npos) << text;
    EXPECT_EQ(port.Alert(), kAlertWritten);
}

TEST_F(PortManager, BytesFromTheDeviceArriveInTheRing)
{
    m_io.PortManagerStep();
    ASSERT_TRUE(OpenAndWait(8, 115200));
    CCOM& port = m_io.Port(8);
    m_line8->SendToPc(QByteArray("\xB0\x01\x02", 3));
    ASSERT_TRUE(WaitUntil([&] { return port.WriteIndex() == 3; }));
    std::uint8_t byte = 0;
    ASSERT_TRUE(port.TakeReceived(byte));
    EXPECT_EQ(byte, 0xB0);
    EXPECT_EQ(port.Alert(), kAlertRead);
}

TEST_F(PortManager, DestroyingTheLinkClosesItsPortsAndWaitsForTheirThreads)
{
    {
        CCOMIOSYS io(m_list, m_devices.Factory());
        io.PortManagerStep();
        io.OpenRequest(7, 57600);
        io.OpenRequest(8, 57600);
        ASSERT_TRUE(WaitUntil([&] {
            io.PortManagerStep();
            return io.Port(7).Status() == kPortOpen && io.Port(8).Status() == kPortOpen;
        }));
    }
    EXPECT_FALSE(m_line7->IsOpen());
    EXPECT_FALSE(m_line8->IsOpen());
}

TEST_F(PortManager, RequestsForPortsOutsideTheRecordsAreIgnored)
{
    m_io.OpenRequest(256, 57600);
    m_io.OpenRequest(-1, 57600);
    m_io.CloseRequest(1000);
    m_io.PortManagerStep();
    for (int port = 0; port < kPortCount; ++port)
        ASSERT_EQ(m_io.Port(port).Request(), 0) << port;
}

} // namespace
