// The unit served by the velmor-sim program on a pseudo-terminal is found and read through the real
// serial backend, for every protocol, in real time.

#include "tests/sim/transfer_pty_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{

class PtySearch : public ::testing::TestWithParam<const char*>
{
};

TEST_P(PtySearch, UnitIsFoundAndAHundredBytesGoThereAndBack)
{
    PtyRun run(GetParam());
    ASSERT_TRUE(run.Start());
    // Every row of the protocol table given up, with room to spare.
    ASSERT_GT(run.Connect(400), 0);
    CCOMCOM& link = run.Link();
    EXPECT_EQ(link.ConnectedPort(), PtyRun::kPort);
    EXPECT_STREQ(ProtocolName(link.ConnectedUnit().protocol), GetParam());

    std::vector<std::uint8_t> block(100);
    for (int i = 0; i < 100; ++i)
        block[i] = static_cast<std::uint8_t>(i * 3 + 1);
    std::copy(block.begin(), block.end(), link.PcImage());
    int result = JOB_NONE;
    ASSERT_GE(run.RunJob(JOB_WRITE, 0, 100, kJobMarkSendFlags, 100, result), 0);
    EXPECT_EQ(result, JOB_DONE);
    ASSERT_GE(run.RunJob(JOB_READ, 0, 100, kJobMarkSendFlags | kJobClearPcImage, 100, result), 0);
    EXPECT_EQ(result, JOB_DONE);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), link.ReadBack()));
}

INSTANTIATE_TEST_SUITE_P(Protocols, PtySearch,
    ::testing::Values("IGN50", "IGN100", "IGN150", "IGN300", "WCOM", "WCOMS"),
    [](const ::testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

} // namespace
