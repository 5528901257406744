#include "link/ccom.h"
#include "link/ccomframe.h"
#include "tests/link/link_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

Bytes IgnReply(int dataSize, std::uint8_t code, std::uint8_t fill)
{
    Bytes data(dataSize);
    for (int i = 0; i < dataSize; ++i)
        data[i] = static_cast<std::uint8_t>(fill + i);
    Bytes frame(kFrameBufferSize);
    frame.resize(BuildIgnFrame(frame, dataSize, code, 0, data.data(), 0));
    return frame;
}

Bytes WcomReply(bool sum, std::uint16_t command, std::uint16_t address, const Bytes& data)
{
    Bytes frame(kFrameBufferSize);
    frame.resize(BuildWcomFrame(frame, command | kWcomReplyFlag | (sum ? kWcomSumFlag : 0), address,
        static_cast<int>(data.size()), data.data()));
    return frame;
}

Bytes ReplyData(int n)
{
    Bytes data(n);
    for (int i = 0; i < n; ++i)
        data[i] = static_cast<std::uint8_t>(0xF0 + i);
    return data;
}

class FrameReceive : public ::testing::Test
{
protected:
    // Puts bytes into the ring as the port thread would; the ring holds 329 at most, so longer
    // streams are fed while the codec consumes.
    void Feed(const Bytes& bytes)
    {
        ASSERT_EQ(m_port.StoreReceived(bytes.data(), static_cast<int>(bytes.size())),
            static_cast<int>(bytes.size()));
    }

    Bytes Received() const { return Bytes(m_codec.Frame(), m_codec.Frame() + m_codec.FrameLength()); }

    // Feeds a long stream in ring-sized pieces and collects every frame that comes out.
    std::vector<Bytes> ReceiveStream(const Bytes& stream)
    {
        std::vector<Bytes> frames;
        size_t at = 0;
        while (at < stream.size() || !m_port.ReceiveEmpty()) {
            const int room = m_port.FreeSpans().first + m_port.FreeSpans().second;
            const int n = static_cast<int>(std::min<size_t>(room, stream.size() - at));
            m_port.StoreReceived(stream.data() + at, n);
            at += n;
            while (m_codec.Receive(m_port))
                frames.push_back(Received());
        }
        return frames;
    }

    LinkClock m_clock;
    LinkLog m_log;
    CCOM m_port { 7, m_clock, m_log };
    CCOMFRAME m_codec;
};

TEST_F(FrameReceive, IgnReplyIsParsedAndTheNextOneWaitsInTheRing)
{
    m_codec.Reset(IGN50, 125);
    const Bytes first = IgnReply(50, 0xC1, 0x10);
    const Bytes second = IgnReply(50, 0xC2, 0x60);
    Feed(Concat({ first, second }));

    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), first);
    EXPECT_FALSE(m_port.ReceiveEmpty());
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), second);
    EXPECT_FALSE(m_codec.Receive(m_port));
}

TEST_F(FrameReceive, IgnSkipsBytesWithBitSevenClearAtAFrameStart)
{
    m_codec.Reset(IGN50, 125);
    const Bytes reply = IgnReply(50, 0xB0, 0x00);
    // Bytes that cannot start a reply, then the reply.
    Bytes noise(52, 0x00);
    noise[0] = 0x31;
    noise[51] = 0x7E;
    Feed(Concat({ noise, reply }));
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), reply);
    EXPECT_EQ(m_codec.Counters().skipped.load(), 52u);
}

TEST_F(FrameReceive, IgnFrameWithWrongXorIsDroppedAndTheNextReplyIsFound)
{
    m_codec.Reset(IGN50, 125);
    Bytes bad = IgnReply(50, 0xC1, 0x01);
    bad[20] ^= 0x01;
    const Bytes good = IgnReply(50, 0xC1, 0x01);
    Feed(Concat({ bad, good }));
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), good);
    EXPECT_EQ(m_codec.Counters().checkErrors.load(), 1u);
}

TEST_F(FrameReceive, PauseLongerThanTheGapTimeoutDropsThePartialFrame)
{
    m_codec.Reset(IGN50, 125);
    const Bytes reply = IgnReply(50, 0xB0, 0x22);

    m_clock.Set(1000);
    Feed(Bytes(reply.begin(), reply.begin() + 30));
    EXPECT_FALSE(m_codec.Receive(m_port));
    m_clock.Set(1125); // exactly the timeout: the frame goes on
    Feed(Bytes(reply.begin() + 30, reply.begin() + 40));
    EXPECT_FALSE(m_codec.Receive(m_port));
    m_clock.Set(1251); // longer: the partial frame is dropped
    Feed(Bytes(reply.begin() + 40, reply.end()));
    EXPECT_FALSE(m_codec.Receive(m_port));
    EXPECT_EQ(m_codec.Counters().gapResets.load(), 1u);

    Feed(reply);
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), reply);
}

struct SplitCase {
    const char* name;
    int protocol;
    Bytes frame;
};

class FrameSplitAcrossChunks : public FrameReceive, public ::testing::WithParamInterface<SplitCase>
{
};

// A frame may arrive in any two pieces; the second Receive call must finish it.
TEST_P(FrameSplitAcrossChunks, EverySplitPointStillYieldsTheFrame)
{
    const SplitCase& c = GetParam();
    const Bytes& frame = c.frame;
    for (size_t split = 1; split < frame.size(); ++split) {
        SCOPED_TRACE(split);
        m_codec.Reset(c.protocol, 125);
        m_port.DiscardReceived();
        Feed(Bytes(frame.begin(), frame.begin() + split));
        ASSERT_FALSE(m_codec.Receive(m_port));
        Feed(Bytes(frame.begin() + split, frame.end()));
        ASSERT_TRUE(m_codec.Receive(m_port));
        ASSERT_EQ(m_codec.FrameLength(), static_cast<int>(frame.size()));
        ASSERT_TRUE(std::equal(frame.begin(), frame.end(), m_codec.Frame()));
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameSplitAcrossChunks,
    ::testing::Values(SplitCase { "Ign50", IGN50, IgnReply(50, 0xB0, 0x80) },
        SplitCase { "Ign150", IGN150, IgnReply(150, 0xC1, 0x03) },
        SplitCase { "WcomCrc", WCOM, WcomReply(false, 0x7010, 0x20, ReplyData(32)) },
        SplitCase { "WcomSumOddLength", WCOMS, WcomReply(true, 0x7010, 0x20, ReplyData(33)) }),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST_F(FrameReceive, BackToBackWcomFramesComeOutOnSuccessiveCalls)
{
    m_codec.Reset(WCOM, 75);
    const Bytes first = WcomReply(false, 0x7010, 0x00, ReplyData(32));
    const Bytes second = WcomReply(false, 0x7010, 0x20, ReplyData(4));
    Feed(Concat({ first, second }));
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), first);
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), second);
    EXPECT_TRUE(m_port.ReceiveEmpty());
}

TEST_F(FrameReceive, WcomWindowSlidesOverNoiseAndExtraPreambleBytes)
{
    m_codec.Reset(WCOMS, 125);
    const Bytes reply = WcomReply(true, 0xFEEE, 0, { 'T', 0, 48, 0 });
    const Bytes noise = { 0x00, 0xA5, 0xFF, 0xFF, 0x5A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF };
    Feed(Concat({ noise, reply }));
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), reply);
    EXPECT_EQ(m_codec.Counters().skipped.load(), noise.size());
}

TEST_F(FrameReceive, WcomShortReplyIsRewrittenBeforeItIsHandedOver)
{
    m_codec.Reset(WCOM, 75);
    Feed(WcomReply(false, 0xFFFF, 0x7020, { 0x34, 0x12 }));
    ASSERT_TRUE(m_codec.Receive(m_port));
    const WcomFields fields = ReadWcomFields(m_codec.Frame());
    EXPECT_EQ(fields.type, 0xBC);
    EXPECT_EQ(fields.command, 0x7020);
    EXPECT_EQ(fields.address, 0x1234);
    EXPECT_EQ(fields.length, 0);
}

TEST_F(FrameReceive, WcomEchoedRequestParsesAsARequestFrame)
{
    m_codec.Reset(WCOM, 75);
    const Bytes request
        = { 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0xBB, 0xEE, 0xFE, 0, 0, 0, 0, 0xD8, 0x69 };
    Feed(request);
    ASSERT_TRUE(m_codec.Receive(m_port));
    EXPECT_EQ(Received(), request);
    EXPECT_EQ(m_codec.Frame()[7] & 0x0F, 0x0B);
}

TEST_F(FrameReceive, WcomCheckFailureReturnsAndLeavesTheRestForTheNextCall)
{
    struct Case {
        const char* name;
        bool sum;
    };
    for (const Case c : { Case { "crc", false }, Case { "sum", true } }) {
        SCOPED_TRACE(c.name);
        m_codec.Reset(c.sum ? WCOMS : WCOM, 75);
        Bytes bad = WcomReply(c.sum, 0x7010, 0, ReplyData(3));
        bad[15] ^= 0x40;
        const Bytes good = WcomReply(c.sum, 0x7010, 0, ReplyData(3));
        Feed(Concat({ bad, good }));
        EXPECT_FALSE(m_codec.Receive(m_port));
        EXPECT_FALSE(m_port.ReceiveEmpty());
        ASSERT_TRUE(m_codec.Receive(m_port));
        EXPECT_EQ(Received(), good);
    }
}

// A length field that no buffer can hold must not write past the receive buffer; the parser
// starts over and still finds the frame after the junk.
TEST_F(FrameReceive, WcomLengthBeyondTheBufferWrapsAndParsingResumes)
{
    m_codec.Reset(WCOM, 75);
    Bytes header = WcomReply(false, 0x7010, 0, {});
    header.resize(14);
    header[12] = 0xD0; // n = 2000
    header[13] = 0x07;
    Bytes junk(kFrameBufferSize - header.size(), 0x55);
    const Bytes good = WcomReply(false, 0x7010, 0x40, ReplyData(8));
    const std::vector<Bytes> frames = ReceiveStream(Concat({ header, junk, good }));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], good);
}

TEST_F(FrameReceive, WithoutAProtocolEverythingIsDiscarded)
{
    m_codec.Reset(PROTOCOL_NONE, 0);
    Feed(IgnReply(50, 0xB0, 0));
    EXPECT_FALSE(m_codec.Receive(m_port));
    EXPECT_TRUE(m_port.ReceiveEmpty());
}

TEST_F(FrameReceive, EveryReceivedByteIsTracedWhenTheLogIsOpen)
{
    CapturedLog captured;
    captured.AttachTo(m_log);
    m_codec.Reset(IGN50, 125);
    Feed({ 0x05, 0xB0 });
    m_codec.Receive(m_port);
    EXPECT_EQ(captured.Text(), "/05//b0/");
}

TEST_F(FrameReceive, CopiedCodecContinuesTheFrameInProgress)
{
    m_codec.Reset(IGN50, 125);
    const Bytes reply = IgnReply(50, 0xB0, 0x40);
    Feed(Bytes(reply.begin(), reply.begin() + 20));
    EXPECT_FALSE(m_codec.Receive(m_port));
    CCOMFRAME copy = m_codec;
    Feed(Bytes(reply.begin() + 20, reply.end()));
    ASSERT_TRUE(copy.Receive(m_port));
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), copy.Frame()));
    EXPECT_EQ(copy.Protocol(), IGN50);
    EXPECT_EQ(copy.GapTimeout(), 125);
}

} // namespace
