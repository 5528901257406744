#include "link/ccom.h"
#include "link/ccomframe.h"
#include "tests/link/link_test_support.h"

#include <gtest/gtest.h>

namespace
{

class FrameSend : public ::testing::Test
{
protected:
    // Plays the port thread: takes the piece in the slot and frees it.
    Bytes TakePiece()
    {
        const Bytes piece(m_port.TransmitSlot(), m_port.TransmitSlot() + m_port.TransmitCount());
        m_port.ReleaseTransmit();
        return piece;
    }

    Bytes BuildLongFrame()
    {
        Bytes data(512);
        for (int i = 0; i < 512; ++i)
            data[i] = static_cast<std::uint8_t>(i);
        m_codec.BuildWcomFrame(0x7020, 0x0000, 512, data.data());
        m_codec.SetTransmitLength(528);
        return Bytes(m_codec.TransmitBuffer(), m_codec.TransmitBuffer() + 528);
    }

    LinkClock m_clock;
    LinkLog m_log;
    CCOM m_port { 3, m_clock, m_log };
    CCOMFRAME m_codec;
};

TEST_F(FrameSend, LongFrameGoesOutIn330And198BytePiecesOneSlotAtATime)
{
    m_codec.Reset(WCOM, 75);
    const Bytes frame = BuildLongFrame();

    m_codec.Send(m_port);
    EXPECT_EQ(m_port.TransmitCount(), 330);
    EXPECT_EQ(m_codec.TransmitRemaining(), 198);
    // While the port thread has not written the piece, the slot is not touched.
    m_codec.Send(m_port);
    EXPECT_EQ(m_codec.TransmitRemaining(), 198);
    const Bytes first = TakePiece();

    m_codec.Send(m_port);
    EXPECT_EQ(m_port.TransmitCount(), 198);
    EXPECT_EQ(m_codec.TransmitRemaining(), 0);
    const Bytes second = TakePiece();

    EXPECT_EQ(first, Bytes(frame.begin(), frame.begin() + 330));
    EXPECT_EQ(second, Bytes(frame.begin() + 330, frame.end()));
    m_codec.Send(m_port);
    EXPECT_TRUE(m_port.TransmitSlotFree()) << "a frame handed over completely is not sent again";
}

TEST_F(FrameSend, RestartSendsTheSameFrameFromItsFirstByte)
{
    m_codec.Reset(IGN50, 125);
    m_codec.BuildIdentificationRequest(109);
    m_codec.Send(m_port);
    const Bytes first = TakePiece();
    ASSERT_EQ(first.size(), 52u);

    m_codec.RestartTransmit();
    m_codec.Send(m_port);
    EXPECT_EQ(TakePiece(), first);
}

TEST_F(FrameSend, ResetDropsTheFrameBeingSent)
{
    m_codec.Reset(WCOM, 75);
    BuildLongFrame();
    m_codec.Send(m_port);
    TakePiece();
    m_codec.Reset(WCOM, 75);
    m_codec.Send(m_port);
    EXPECT_TRUE(m_port.TransmitSlotFree());
    EXPECT_EQ(m_codec.TransmitRemaining(), 0);
}

TEST_F(FrameSend, EachPieceIsLoggedWithTheFrameStartAndItsBytes)
{
    CapturedLog captured;
    captured.AttachTo(m_log);
    m_log.SetWallClock([] { return QTime(14, 3, 9, 120); });
    m_log.SetLoopCount(4);
    m_codec.Reset(WCOM, 75);
    m_codec.BuildWcomFrame(0xF000, 0x0640, 0, nullptr);
    m_codec.SetTransmitLength(16);
    m_codec.Send(m_port);
    EXPECT_EQ(captured.Text(),
        "14:03:09.12:   (4) ...sent [0xff] (16)\n"
        "14:03:09.12:   (4) T(0xff 0xff 0xff 0xff 0xa5 0x5a 0xbb 0xbb 0x00 0xf0 0x40 0x06 0x00 0x00 0x02 "
        "0x46 )\n");
}

} // namespace
