// The unit's receiver cuts frames out of a byte stream that arrives in any pieces, with noise, pauses
// and damaged frames in it.

#include "sim/request_parser.h"
#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

Bytes Joined(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class RequestParser : public ::testing::Test {
protected:
    void Use(int protocol, int gapMs = 50) { m_parser.Reset(protocol, gapMs); }

    // Feeds bytes at one moment and returns every frame completed.
    std::vector<Bytes> Feed(const Bytes& bytes, SimTime now = 0)
    {
        std::vector<Bytes> frames;
        for (std::uint8_t byte : bytes)
            if (m_parser.Push(byte, now))
                frames.emplace_back(m_parser.Frame(), m_parser.Frame() + m_parser.FrameLength());
        return frames;
    }

    UnitRequestParser m_parser;
};

TEST_F(RequestParser, FrameSplitAtEveryPointIsReceivedOnce)
{
    const Bytes frames[] = { IgnRequestFrame(IGN50, 0x41), WcomRequestFrame(WCOM, WcomRequest::kWriteMemory, 3, { 1, 2, 3 }),
        WcomRequestFrame(WCOMS, WcomRequest::kWriteMemory, 3, { 1, 2, 3 }) };
    const int protocols[] = { IGN50, WCOM, WCOMS };
    for (int i = 0; i < 3; ++i) {
        for (size_t split = 0; split <= frames[i].size(); ++split) {
            Use(protocols[i]);
            std::vector<Bytes> got = Feed(Bytes(frames[i].begin(), frames[i].begin() + split), 0);
            const std::vector<Bytes> rest = Feed(Bytes(frames[i].begin() + split, frames[i].end()), 10);
            got.insert(got.end(), rest.begin(), rest.end());
            ASSERT_EQ(got.size(), 1u) << ProtocolName(protocols[i]) << " split at " << split;
            EXPECT_EQ(got[0], frames[i]);
        }
    }
}

TEST_F(RequestParser, WcomPreambleIsFoundAfterNoiseAndExtraFillBytes)
{
    Use(WCOM);
    const Bytes frame = WcomRequestFrame(WCOM, kWcomIdentify, 0);
    const Bytes noisy = Joined({ { 0x12, 0xFF, 0xFF, 0xA5, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }, frame });
    const std::vector<Bytes> got = Feed(noisy);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], frame);
}

TEST_F(RequestParser, WcomLengthBeyondAnyFrameDoesNotSwallowTheNextFrame)
{
    Use(WCOM);
    Bytes bogus = WcomRequestFrame(WCOM, WcomRequest::kReadMemory, 0, LengthWord(2));
    bogus[kWcomLengthOffset] = 0xFF;
    bogus[kWcomLengthOffset + 1] = 0xFF;
    const Bytes frame = WcomRequestFrame(WCOM, kWcomIdentify, 0);
    const std::vector<Bytes> got = Feed(Joined({ Bytes(bogus.begin(), bogus.begin() + 14), frame }));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], frame);
}

TEST_F(RequestParser, DamagedFrameIsDroppedWholeAndTheNextOneCounts)
{
    for (int protocol : { IGN50, WCOM }) {
        Use(protocol);
        const Bytes good = IsIgnProtocol(protocol) ? IgnRequestFrame(protocol, 0x41) : WcomRequestFrame(protocol, kWcomIdentify, 0);
        Bytes damaged = IsIgnProtocol(protocol) ? IgnRequestFrame(protocol, 0x01, Bytes(50, 0x30)) : good;
        damaged[damaged.size() / 2] ^= 0x04;
        const std::uint32_t errorsBefore = m_parser.Counters().checkErrors;
        const std::vector<Bytes> got = Feed(Joined({ damaged, good }));
        ASSERT_EQ(got.size(), 1u) << ProtocolName(protocol);
        EXPECT_EQ(got[0], good);
        EXPECT_EQ(m_parser.Counters().checkErrors - errorsBefore, 1u);
    }
}

TEST_F(RequestParser, IgnBytesWithBitSevenAtAFrameStartArePassedOver)
{
    Use(IGN50);
    // Reply codes and line noise with bit 7 set never start a request.
    const Bytes request = IgnRequestFrame(IGN50, 0x41);
    const std::vector<Bytes> got = Feed(Joined({ { 0xC1, 0xFF, 0x80 }, request }));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], request);
    EXPECT_EQ(m_parser.Counters().skipped, 3u);
}

TEST_F(RequestParser, PauseLongerThanTheGapDropsThePartialFrame)
{
    Use(IGN50, 50);
    const Bytes request = IgnRequestFrame(IGN50, 0x41);
    EXPECT_TRUE(Feed(Bytes(request.begin(), request.begin() + 20), 0).empty());
    // The PC's repeat after its reply timeout starts afresh.
    const std::vector<Bytes> got = Feed(request, 51);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], request);
    EXPECT_EQ(m_parser.Counters().gapResets, 1u);

    // A pause of exactly the gap still belongs to the frame.
    EXPECT_TRUE(Feed(Bytes(request.begin(), request.begin() + 20), 100).empty());
    EXPECT_EQ(Feed(Bytes(request.begin() + 20, request.end()), 150).size(), 1u);
}

TEST_F(RequestParser, FramesBackToBackInOnePieceAreAllReceived)
{
    Use(WCOMS);
    const Bytes first = WcomRequestFrame(WCOMS, WcomRequest::kWriteMemory, 0, { 1 });
    const Bytes second = WcomRequestFrame(WCOMS, WcomRequest::kReadMemory, 0, LengthWord(1));
    const std::vector<Bytes> got = Feed(Joined({ first, second }));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], first);
    EXPECT_EQ(got[1], second);
}

} // namespace
