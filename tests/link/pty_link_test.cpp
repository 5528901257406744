// The real serial backend end to end, over a pseudo-terminal pair: the PC side opens the slave
// through a mapped COM number, the test plays the unit on the master side.

#include "link/ccomframe.h"
#include "link/ccomiosys.h"
#include "platform/port_list_system.h"
#include "platform/serial_port_qt.h"
#include "tests/link/link_test_support.h"
#include "tests/link/pty_unit.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace
{

TEST(PtyLink, IdentificationExchangeOverTheRealSerialBackend)
{
    PtyUnit unit;
    ASSERT_TRUE(unit.Ready());
    SystemPortList ports({ { 200, unit.SlavePath() } });
    CCOMIOSYS io(ports, QtSerialPortFactory());
    io.PortManagerStep();
    ASSERT_TRUE(io.Port(200).Present());
    EXPECT_EQ(io.Port(200).DevicePath(), unit.SlavePath());

    // The unit answers only once the PC side has opened (and so set raw) its end.
    io.OpenRequest(200, 57600);
    ASSERT_TRUE(WaitUntil([&] {
        io.PortManagerStep();
        return io.Port(200).Status() == kPortOpen;
    }));
    CCOM& port = io.Port(200);

    CCOMFRAME codec;
    codec.Reset(IGN50, 125);
    codec.BuildIdentificationRequest(109);
    codec.Send(port);
    const Bytes request = unit.Receive(52);
    EXPECT_EQ(request, Bytes(codec.TransmitBuffer(), codec.TransmitBuffer() + 52));

    Bytes reply(kFrameBufferSize);
    reply.resize(BuildIgnFrame(reply, 50, 0xB0, 0, nullptr, 109));
    ASSERT_TRUE(unit.Send(Bytes(reply.begin(), reply.begin() + 17)));
    ASSERT_TRUE(unit.Send(Bytes(reply.begin() + 17, reply.end())));
    ASSERT_TRUE(WaitUntil([&] { return codec.Receive(port); }));
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), codec.Frame()));

    io.CloseRequest(200);
    ASSERT_TRUE(WaitUntil([&] {
        io.PortManagerStep();
        return port.Status() == kPortClosed && port.Request() == 0 && !port.HasThread();
    }));
}

} // namespace

namespace
{

double ProcessCpuMs()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3
        + usage.ru_stime.tv_usec / 1e3;
}

// An open port with nothing to do must sleep in its thread, not poll: over a measured stretch of
// wall time the process may use only a small part of one core.
TEST(PtyLink, IdleOpenPortDoesNotKeepACoreBusy)
{
    PtyUnit unit;
    ASSERT_TRUE(unit.Ready());
    SystemPortList ports({ { 201, unit.SlavePath() } });
    CCOMIOSYS io(ports, QtSerialPortFactory());
    io.PortManagerStep();
    io.OpenRequest(201, 57600);
    ASSERT_TRUE(WaitUntil([&] {
        io.PortManagerStep();
        return io.Port(201).Status() == kPortOpen;
    }));

    const double cpuBefore = ProcessCpuMs();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const double wallMs
        = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallBefore).count();
    EXPECT_LT(ProcessCpuMs() - cpuBefore, wallMs * 0.25);
}

} // namespace
