// The switchable faults of the line and the unit do what they say, and a seed repeats them.

#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

namespace {

Bytes Identification(int protocol)
{
    Bytes request(kFrameBufferSize);
    request.resize(BuildIdentificationRequest(request, protocol, kRsKey));
    return request;
}

struct FaultCase {
    const char* name;
    UnitFaults faults;
    int repliesOfFour; // good replies the PC gets to four equal requests in a row
};

UnitFaults With(void (*set)(UnitFaults&))
{
    UnitFaults faults;
    set(faults);
    return faults;
}

class Fault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Fault, DecidesWhichRepliesReachThePc)
{
    for (int protocol : { IGN50, WCOM }) {
        UnitConfig config = ConfigFor(protocol);
        config.faults = GetParam().faults;
        Bench bench(config);
        int replies = 0;
        for (int i = 0; i < 4; ++i) {
            for (const Bytes& frame : bench.Send(Identification(protocol))) {
                UnitIdentity identity;
                // An echo parses as a frame in the WCOM family; the PC recognises it as its own request.
                replies += IsIgnProtocol(protocol) ? ParseIgnIdentification(frame.data(), protocol, identity)
                                                   : ParseWcomIdentification(frame.data(), identity);
            }
        }
        EXPECT_EQ(replies, GetParam().repliesOfFour) << ProtocolName(protocol);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Fault,
    ::testing::Values(FaultCase { "None", UnitFaults(), 4 },
        FaultCase { "Silent", With([](UnitFaults& f) { f.silent = true; }), 0 },
        FaultCase { "Echo", With([](UnitFaults& f) { f.echo = true; }), 0 },
        FaultCase { "EveryByteCorrupted", With([](UnitFaults& f) { f.corruptRate = 1.0; }), 0 },
        FaultCase { "EveryByteDropped", With([](UnitFaults& f) { f.dropRate = 1.0; }), 0 },
        FaultCase { "SlowRepliesAreNotDueYet", With([](UnitFaults& f) { f.replyDelayMs = 300; }), 0 },
        // Lost, its repeat through; the next sending is a new request and is lost again.
        FaultCase { "FirstAttemptLost", With([](UnitFaults& f) { f.loseFirstAttempt = true; }), 2 },
        FaultCase { "UnpluggedAfterTwoReplies", With([](UnitFaults& f) { f.unplugAfterReplies = 2; }), 2 }),
    [](const ::testing::TestParamInfo<FaultCase>& param) { return std::string(param.param.name); });

TEST(UnitFaults, EchoReturnsEveryByteAsSent)
{
    UnitConfig config = ConfigFor(IGN50);
    config.faults.echo = true;
    Bench bench(config);
    const Bytes request = IgnRequestFrame(IGN50, 0x01, Bytes(50, 0x42));
    bench.Engine().Receive(request, 0);
    EXPECT_EQ(bench.Raw(), request);
    // A loop-back plug has no memory behind it.
    EXPECT_EQ(bench.Unit().SavingCountdown(), 0);
}

TEST(UnitFaults, SlowReplyLeavesAfterItsDelay)
{
    UnitConfig config = ConfigFor(IGN50);
    config.faults.replyDelayMs = 300;
    Bench bench(config);
    EXPECT_TRUE(bench.Send(Identification(IGN50)).empty());
    EXPECT_EQ(bench.Engine().NextOutputTime(), 300);
    bench.Advance(299);
    EXPECT_TRUE(bench.Collect().empty());
    bench.Advance(1);
    EXPECT_EQ(bench.Collect().size(), 1u);
}

TEST(UnitFaults, PartialCorruptionAndLossRepeatWithTheSeed)
{
    auto pattern = [](std::uint64_t seed) {
        UnitConfig config = ConfigFor(IGN50);
        config.seed = seed;
        config.faults.corruptRate = 0.01;
        config.faults.dropRate = 0.005;
        Bench bench(config);
        std::string good;
        for (int i = 0; i < 200; ++i)
            good += bench.Send(Identification(IGN50)).empty() ? '-' : '+';
        return good;
    };
    const std::string first = pattern(5);
    EXPECT_EQ(first, pattern(5));
    EXPECT_NE(first, pattern(6));
    EXPECT_NE(first.find('+'), std::string::npos);
    EXPECT_NE(first.find('-'), std::string::npos);
}

TEST(UnitFaults, UnpluggedUnitComesBackWhenTheFaultsAreSetAgain)
{
    UnitConfig config = ConfigFor(IGN50);
    config.faults.unplugAfterReplies = 0;
    Bench bench(config);
    EXPECT_TRUE(bench.Send(Identification(IGN50)).empty());
    EXPECT_TRUE(bench.Engine().Unplugged());
    bench.Advance(5000);
    EXPECT_TRUE(bench.Send(Identification(IGN50)).empty());

    bench.Engine().SetFaults(UnitFaults());
    EXPECT_FALSE(bench.Engine().Unplugged());
    EXPECT_EQ(bench.Send(Identification(IGN50)).size(), 1u);
}

TEST(UnitFaults, DataErrorAndWrongKeyShowWhereThePcLooks)
{
    for (int protocol : { IGN50, IGN150, WCOM }) {
        UnitConfig config = ConfigFor(protocol);
        config.faults.dataError = true;
        config.key = kRsKey - 1;
        Bench bench(config);
        const std::optional<Bytes> reply = bench.Exchange(Identification(protocol));
        ASSERT_TRUE(reply) << ProtocolName(protocol);
        UnitIdentity identity;
        if (IsIgnProtocol(protocol))
            ASSERT_TRUE(ParseIgnIdentification(reply->data(), protocol, identity));
        else
            ASSERT_TRUE(ParseWcomIdentification(reply->data(), identity));
        EXPECT_EQ(identity.version, kRsKey - 1) << ProtocolName(protocol);
        EXPECT_EQ(bench.Unit().Monitor()[MonitorIndex::kDataError], 1);
        EXPECT_EQ(bench.Unit().Monitor()[MonitorIndex::kKey], kRsKey - 1);
    }
}

} // namespace
