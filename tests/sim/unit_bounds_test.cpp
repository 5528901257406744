// Requests that reach past what the unit holds: every length and address from the line is bounded,
// nothing outside the memory is read or written, and the PC is never told that such a request went
// well.

#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(UnitBounds, Ign300BlockStraddlingTheEndStoresOnlyWhatFitsAndTheEchoShowsIt)
{
    Bench bench(ConfigFor(IGN300));
    // Block 26 covers 7800..8099; only 200 of its bytes lie in the memory.
    const Bytes data(300, 0x5A);
    const std::optional<Bytes> echo = bench.Exchange(IgnRequestFrame(IGN300, 0x01 + 26, data));
    ASSERT_TRUE(echo);
    EXPECT_EQ((*echo)[0], 0x81 + 26);
    EXPECT_EQ(Bytes(echo->begin() + 1, echo->begin() + 201), Bytes(200, 0x5A));
    EXPECT_EQ(Bytes(echo->begin() + 201, echo->begin() + 301), Bytes(100, 0));
}

TEST(UnitBounds, IgnBlocksBeyondTheMemoryGetNoReplyAndChangeNothing)
{
    Bench bench(ConfigFor(IGN300));
    const PersistentUnit before = bench.Unit().Persistent();
    EXPECT_TRUE(bench.Send(IgnRequestFrame(IGN300, 0x01 + 27, Bytes(300, 0x11))).empty());
    EXPECT_TRUE(bench.Send(IgnRequestFrame(IGN300, 0x41 + 27)).empty());
    EXPECT_EQ(bench.Unit().Persistent().memory, before.memory);
    EXPECT_EQ(bench.Unit().LinkCounters().rejected, 2u);
    EXPECT_EQ(bench.Unit().SavingCountdown(), 0);
}

struct RefusalCase {
    const char* name;
    int command;
    int address;
    Bytes data;
};

class WcomRefusal : public ::testing::TestWithParam<RefusalCase> {};

// The unit answers in the other short form, which the PC never takes for a reply: its job times
// out and repeats, as with a unit that did not answer.
TEST_P(WcomRefusal, IsAnsweredInTheOtherFormAndLeavesTheMemory)
{
    Bench bench(ConfigFor(WCOM));
    const PersistentUnit before = bench.Unit().Persistent();
    const RefusalCase& c = GetParam();
    const std::optional<Bytes> reply = bench.Exchange(WcomRequestFrame(WCOM, c.command, c.address, c.data));
    ASSERT_TRUE(reply);
    const WcomFields fields = ReadWcomFields(reply->data());
    EXPECT_EQ(fields.type & 0x0F, kWcomKindOtherReply);
    EXPECT_EQ(fields.command, c.command);
    EXPECT_EQ(fields.address, c.address);
    EXPECT_EQ(bench.Unit().Persistent().memory, before.memory);
    EXPECT_EQ(bench.Unit().LinkCounters().rejected, 1u);
}

INSTANTIATE_TEST_SUITE_P(Requests, WcomRefusal,
    ::testing::Values(RefusalCase { "ReadPastTheMemory", WcomRequest::kReadMemory, 7990, LengthWord(32) },
        RefusalCase { "ReadLongerThanAFrame", WcomRequest::kReadMemory, 0, LengthWord(33) },
        RefusalCase { "ReadOfNothing", WcomRequest::kReadMemory, 0, LengthWord(0) },
        RefusalCase { "ReadWithoutALengthWord", WcomRequest::kReadMemory, 0, { 4 } },
        RefusalCase { "InformationPastItsEnd", WcomRequest::kReadInformation, 40, LengthWord(20) },
        RefusalCase { "WritePastTheMemory", WcomRequest::kWriteMemory, 7999, Bytes(2, 0x77) },
        RefusalCase { "WriteLongerThanAFrame", WcomRequest::kWriteMemory, 0, Bytes(33, 0x77) },
        RefusalCase { "MonitorPastTheBlock", WcomRequest::kMonitor, 40, Bytes(20, 0) },
        RefusalCase { "ResetAtAnotherAddress", WcomRequest::kReset, 0x0641, {} },
        RefusalCase { "UnknownCommand", 0x1234, 0, {} }),
    [](const ::testing::TestParamInfo<RefusalCase>& param) { return std::string(param.param.name); });

TEST(UnitBounds, WcomFramesOfTheOtherCheckOrKindAreNotForTheUnit)
{
    Bench bench(ConfigFor(WCOM));
    // A sum-checked request to a CRC unit, and the unit's own kind of reply echoed back to it.
    EXPECT_TRUE(bench.Send(WcomRequestFrame(WCOMS, kWcomIdentify, 0)).empty());
    Bytes reply(kFrameBufferSize);
    reply.resize(BuildWcomFrame(reply, kWcomIdentify | kWcomReplyFlag, 0, 0, nullptr));
    EXPECT_TRUE(bench.Send(reply).empty());
    EXPECT_EQ(bench.Unit().LinkCounters().rejected, 0u);
}

} // namespace
