// Damage on the PC's direction of the line: the unit hears changed or missing bytes, and only what
// survives the frame checks is acted on.

#include "tests/sim/sim_test_support.h"

#include <gtest/gtest.h>

namespace {

struct RequestDamageCase {
    const char* name;
    double corrupt;
    double drop;
    int repliesOfTen; // replies to ten equal write requests
    bool memoryWritten;
};

class RequestDamage : public ::testing::TestWithParam<RequestDamageCase> {};

TEST_P(RequestDamage, DecidesWhatTheUnitHearsAndStores)
{
    for (int protocol : { IGN50, WCOMS }) {
        UnitConfig config = ConfigFor(protocol);
        config.faults.requestCorruptRate = GetParam().corrupt;
        config.faults.requestDropRate = GetParam().drop;
        Bench bench(config);
        const Bytes data(IsIgnProtocol(protocol) ? 50 : 32, 0x5A);
        const Bytes request = IsIgnProtocol(protocol) ? IgnRequestFrame(protocol, IgnRequest::kWriteFirst, data)
                                                      : WcomRequestFrame(protocol, WcomRequest::kWriteMemory, 0, data);
        int replies = 0;
        for (int i = 0; i < 10; ++i) {
            bench.Advance(100); // past the unit's gap time-out, so a broken request never joins the next
            replies += static_cast<int>(bench.Send(request).size());
        }
        EXPECT_EQ(replies, GetParam().repliesOfTen) << ProtocolName(protocol);
        Bytes stored(data.size());
        bench.Unit().ReadMemory(0, static_cast<int>(stored.size()), stored.data());
        EXPECT_EQ(stored == data, GetParam().memoryWritten) << ProtocolName(protocol);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, RequestDamage,
    ::testing::Values(RequestDamageCase { "None", 0.0, 0.0, 10, true },
        RequestDamageCase { "EveryByteCorrupted", 1.0, 0.0, 0, false },
        RequestDamageCase { "EveryByteDropped", 0.0, 1.0, 0, false }),
    [](const ::testing::TestParamInfo<RequestDamageCase>& param) { return std::string(param.param.name); });

TEST(RequestDamage, LeavesTheDamageOfTheRepliesAsItWas)
{
    // The same seed damages the same reply bytes whether or not the requests are damaged too.
    const auto replyStream = [](double requestCorrupt) {
        UnitConfig config = ConfigFor(IGN50);
        config.faults.corruptRate = 0.2;
        config.faults.requestCorruptRate = requestCorrupt;
        Bench bench(config);
        const Bytes request = IgnRequestFrame(IGN50, IgnRequest::kInformation);
        Bytes stream;
        for (int i = 0; i < 20; ++i) {
            bench.Advance(100);
            bench.Engine().Receive(request, bench.Now());
            const Bytes raw = bench.Raw();
            stream.insert(stream.end(), raw.begin(), raw.end());
        }
        return stream;
    };
    const Bytes clean = replyStream(0.0);
    const Bytes damaged = replyStream(0.0000001);
    EXPECT_FALSE(clean.empty());
    EXPECT_EQ(clean, damaged);
}

} // namespace
