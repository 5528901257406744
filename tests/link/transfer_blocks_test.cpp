// How a job's range is cut into frames: aligned blocks in the IGN family, runs of flagged bytes in
// the WCOM family.

#include "link/transfer_blocks.h"
#include "link/transfer_jobs.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

constexpr int kImage = 8000;

struct BlockCase {
    const char* name;
    bool ign;
    int blockSize;
    std::vector<int> flagged;
    int start;
    int end;
    std::vector<std::pair<int, int>> blocks; // start and length of each frame, in order
};

void PrintTo(const BlockCase& c, std::ostream* out)
{
    *out << c.name;
}

// Every block of the job, as the worker finds them one after the other.
std::vector<std::pair<int, int>> Blocks(const BlockCase& c)
{
    std::vector<std::uint8_t> flags(kImage, 0);
    for (int address : c.flagged)
        flags[address] = 1;
    std::vector<std::pair<int, int>> blocks;
    for (int current = c.start; blocks.size() < 100;) {
        const auto block = c.ign ? FindIgnBlock(flags.data(), kImage, current, c.end, c.blockSize)
                                 : FindWcomBlock(flags.data(), kImage, current, c.end, c.blockSize);
        if (!block)
            break;
        blocks.emplace_back(block->start, block->length);
        current = block->start + block->length;
    }
    return blocks;
}

std::vector<int> Range(int from, int to)
{
    std::vector<int> addresses;
    for (int address = from; address < to; ++address)
        addresses.push_back(address);
    return addresses;
}

class BlockFinding : public ::testing::TestWithParam<BlockCase>
{
};

TEST_P(BlockFinding, CutsTheFlaggedRangeIntoFrames)
{
    EXPECT_EQ(Blocks(GetParam()), GetParam().blocks);
}

const BlockCase kBlockCases[] = {
    { "Ign50WholeBlock", true, 50, Range(0, 100), 0, 100, { { 0, 50 }, { 50, 50 } } },
    { "Ign150OneBlockForAHundredBytes", true, 150, Range(0, 100), 0, 100, { { 0, 150 } } },
    { "IgnUnflaggedBlockIsSkipped", true, 50, { 120 }, 0, 150, { { 100, 50 } } },
    { "IgnStartInsideABlockSendsTheWholeBlock", true, 50, Range(60, 70), 60, 70, { { 50, 50 } } },
    { "IgnFlagPastTheEndCountsInsideItsBlock", true, 50, { 80 }, 50, 60, { { 50, 50 } } },
    { "IgnNothingAtABlockBoundary", true, 50, Range(0, 100), 50, 50, {} },
    { "WcomHundredBytesInFramesOf32", false, 32, Range(0, 100), 0, 100,
        { { 0, 32 }, { 32, 32 }, { 64, 32 }, { 96, 4 } } },
    { "WcomFlagsCloseTogetherShareAFrame", false, 32, { 3, 20 }, 0, 100, { { 3, 18 } } },
    { "WcomFlagsAFrameApartTravelAlone", false, 32, { 3, 40 }, 0, 100, { { 3, 1 }, { 40, 1 } } },
    { "WcomFiftyUnflaggedBytesStillJoin", false, 100, { 0, 51 }, 0, 100, { { 0, 52 } } },
    { "WcomFiftyOneUnflaggedBytesEndTheFrame", false, 100, { 0, 52 }, 0, 100, { { 0, 1 }, { 52, 1 } } },
    { "WcomFlagsAtOrPastTheEndAreLeftOut", false, 32, { 5, 10 }, 0, 10, { { 5, 1 } } },
    { "WcomNothingFlagged", false, 32, {}, 0, 100, {} },
    { "RangesStopAtTheImagesEnd", false, 32, { 7999 }, 7990, 9000, { { 7999, 1 } } },
};

INSTANTIATE_TEST_SUITE_P(Cases, BlockFinding, ::testing::ValuesIn(kBlockCases),
    [](const ::testing::TestParamInfo<BlockCase>& param) { return std::string(param.param.name); });

TEST(IgnBlockReach, BlockNumbersStayInsideTheirOperationsCodes)
{
    EXPECT_TRUE(IgnBlockReachable(JOB_WRITE, 0x2E)); // 0x2F, the last write code
    EXPECT_FALSE(IgnBlockReachable(JOB_WRITE, 0x2F)); // would be 0x30, a monitor exchange
    EXPECT_TRUE(IgnBlockReachable(JOB_READ, 0x3E)); // 0x7F
    EXPECT_FALSE(IgnBlockReachable(JOB_READ, 0x3F)); // would be 0x80, a reply code
    EXPECT_TRUE(IgnBlockReachable(JOB_MONITOR, 0x0F)); // 0x3F
    EXPECT_FALSE(IgnBlockReachable(JOB_MONITOR, 0x10)); // would be 0x40, the information read
    EXPECT_TRUE(IgnBlockReachable(JOB_INFO, 0));
    EXPECT_FALSE(IgnBlockReachable(JOB_INFO, 1));
    EXPECT_FALSE(IgnBlockReachable(JOB_COMMAND, 1));
}

} // namespace
