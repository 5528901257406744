#include "params/bike_presets.h"
#include "params/normalize_parameters.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace
{

using namespace ParamIndex;
using ParamValue::kCurvePoints;

ParameterBlock Filled(std::uint8_t value)
{
    ParameterBlock block;
    block.bytes.fill(value);
    return block;
}

ParameterBlock Defaults(std::uint8_t bike = kBikeStandard)
{
    ParameterBlock block;
    block[kBike] = bike;
    SetDefaults(block);
    return block;
}

std::vector<int> Row(const ParameterBlock& block, int first)
{
    return std::vector<int>(block.bytes.begin() + first, block.bytes.begin() + first + kCurvePoints);
}

std::vector<int> Sequence(int first)
{
    std::vector<int> row;
    for (int k = 0; k < kCurvePoints; ++k)
        row.push_back(first + k);
    return row;
}

// What every normalised block must satisfy, whatever it was before.
void ExpectInRange(const ParameterBlock& b)
{
    EXPECT_LE(b[kActiveSet], 3);
    for (const int index : { kPointCountA, kPointCountB }) {
        EXPECT_GE(b[index], 2);
        EXPECT_LE(b[index], 15);
    }
    EXPECT_LE(b[kBaseAdvance], 40);
    for (const int set : { 0, 1 }) {
        EXPECT_GE(b[kStartLimiterA + set], 9);
        EXPECT_LE(b[kStartLimiterA + set], b[kHardLimiterA + set]);
        EXPECT_GE(b[kHardLimiterA + set], 10);
        EXPECT_LE(b[kHardLimiterA + set], 250);
        EXPECT_GE(b[kSoftLimiterA + set], 9);
        EXPECT_LE(b[kSoftLimiterA + set], 250);
        EXPECT_GE(b[kShiftLightA + set], 1);
        EXPECT_LE(b[kShiftLightA + set], 250);
        EXPECT_LE(b[kClutchTimeA + set], 250);
        EXPECT_LE(b[kClutchPauseA + set], 100);
    }
    for (const int first : { kSpeedsA, kSpeedsB }) {
        for (int k = 0; k < kCurvePoints; ++k) {
            EXPECT_GE(b[first + k], 3 + k);
            EXPECT_LE(b[first + k], 236 + k);
            if (k > 0) {
                EXPECT_GT(b[first + k], b[first + k - 1]);
            }
        }
    }
    for (int i = kAdvancesA; i < kAdvancesB + kCurvePoints; ++i)
        EXPECT_LE(b[i], 60);
    EXPECT_LE(b[kIgnitionsPerRev], 3);
    EXPECT_LE(b[kInput1], 4);
    EXPECT_LE(b[kInput2], 4);
    EXPECT_LE(b[kNoReading], 1);
    EXPECT_TRUE(b[kTachoPulses] <= 6 || b[kTachoPulses] == 255);
    EXPECT_GE(b[kTachoCorrection], 40);
    EXPECT_LE(b[kTachoCorrection], 160);
    EXPECT_LE(b[kPowerOut], 5);
    EXPECT_GE(b[kShiftLightPwm], 1);
    EXPECT_LE(b[kShiftLightPwm], 10);
    EXPECT_GE(b[kMaxLobeLength], 1);
    EXPECT_LE(b[kMaxLobeLength], 250);
}

} // namespace

TEST(NormalizeParameters, AllZeroBlockRisesToEveryMinimum)
{
    ParameterBlock block = Filled(0);
    NormalizeParameters(block);

    ParameterBlock expected = Filled(0);
    expected[kPointCountA] = expected[kPointCountB] = 2;
    expected[kStartLimiterA] = expected[kStartLimiterB] = 9;
    expected[kHardLimiterA] = expected[kHardLimiterB] = 10;
    expected[kSoftLimiterA] = expected[kSoftLimiterB] = 9;
    expected[kShiftLightA] = expected[kShiftLightB] = 1;
    for (int k = 0; k < kCurvePoints; ++k)
        expected[kSpeedsA + k] = expected[kSpeedsB + k] = static_cast<std::uint8_t>(3 + k);
    expected[kTachoCorrection] = 40;
    expected[kShiftLightPwm] = 1;
    expected[kMaxLobeLength] = 250;
    EXPECT_EQ(block, expected);
}

TEST(NormalizeParameters, AllFfBlockFallsToEveryMaximumWithBEqualToA)
{
    ParameterBlock block = Filled(0xFF);
    NormalizeParameters(block);

    EXPECT_EQ(block[kActiveSet], 3);
    EXPECT_EQ(block[kPointCountA], 15);
    EXPECT_EQ(block[kBaseAdvance], 40);
    EXPECT_EQ(block[kHardLimiterA], 250);
    EXPECT_EQ(block[kStartLimiterA], 250);
    EXPECT_EQ(Row(block, kSpeedsA), Sequence(236));
    for (int k = 0; k < kCurvePoints; ++k)
        EXPECT_EQ(block[kAdvancesA + k], 60);
    EXPECT_EQ(block[kTachoPulses], 255);
    EXPECT_EQ(block[kPowerOut], 5);
    EXPECT_EQ(block[kMaxLobeLength], 250);
    EXPECT_EQ(block[kNoReading], 1);
    for (const auto& [a, b] : { std::pair { kPointCountA, kPointCountB }, { kStartLimiterA, kStartLimiterB },
             { kHardLimiterA, kHardLimiterB }, { kSoftLimiterA, kSoftLimiterB },
             { kShiftLightA, kShiftLightB }, { kClutchTimeA, kClutchTimeB },
             { kClutchPauseA, kClutchPauseB } })
        EXPECT_EQ(block[a], block[b]) << "B index " << b;
    EXPECT_EQ(Row(block, kSpeedsB), Row(block, kSpeedsA));
    EXPECT_EQ(Row(block, kAdvancesB), Row(block, kAdvancesA));
    ExpectInRange(block);
}

struct RowCase {
    std::string name;
    std::vector<int> before;
    std::vector<int> after;
};

class StrictlyIncreasingRow : public testing::TestWithParam<RowCase>
{
};

TEST_P(StrictlyIncreasingRow, NormalisesCurveSpeeds)
{
    ParameterBlock block = Defaults();
    for (int k = 0; k < kCurvePoints; ++k)
        block[kSpeedsB + k] = static_cast<std::uint8_t>(GetParam().before[static_cast<std::size_t>(k)]);
    NormalizeParameters(block);
    EXPECT_EQ(Row(block, kSpeedsB), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, StrictlyIncreasingRow,
    testing::Values(RowCase { "EqualAndFallingPointsRiseAboveTheirPredecessor",
                        { 50, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40 }, Sequence(50) },
        RowCase { "IncreasingRowStays", Sequence(10), Sequence(10) },
        RowCase { "HighFirstPointLeavesRoomForTheOthers",
            { 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250, 250 }, Sequence(236) },
        RowCase { "FallingRowNearTheTopEndsAtTheMaximum",
            { 245, 244, 243, 242, 241, 240, 239, 238, 237, 236, 235, 234, 233, 232, 231 },
            { 236, 237, 238, 239, 240, 241, 242, 243, 244, 245, 246, 247, 248, 249, 250 } },
        RowCase { "LowPointsRiseToTheirOwnMinimum", { 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0 },
            { 3, 4, 5, 6, 7, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109 } }),
    [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(NormalizeParameters, UnusedPointsRepeatTheLastUsedAdvanceBeforeClamping)
{
    ParameterBlock block = Defaults();
    block[kPointCountA] = 3;
    block[kAdvancesA + 2] = 25;
    block[kAdvancesA + 3] = 5;
    block[kAdvancesA + 14] = 99;
    block[kPointCountB] = 1; // raised to 2 first, so point 1 is the last used one
    block[kAdvancesB + 1] = 70;
    block[kSpeedsA + 5] = 77;
    NormalizeParameters(block);

    EXPECT_EQ(block[kPointCountB], 2);
    for (int k = 3; k < kCurvePoints; ++k) {
        EXPECT_EQ(block[kAdvancesA + k], 25) << "point " << k;
        EXPECT_EQ(block[kAdvancesB + k], 60) << "point " << k;
    }
    EXPECT_EQ(block[kAdvancesB + 1], 60);
    EXPECT_EQ(block[kSpeedsA + 5], 77) << "speeds of unused points are not filled";
}

TEST(NormalizeParameters, TwoStrokeSemLowersEveryAdvanceOfBothCurvesToTheBaseAdvance)
{
    for (const std::uint8_t bike : { kBikeStandard, kBikeTwoStrokeSem }) {
        ParameterBlock block = Defaults(bike);
        block[kBaseAdvance] = 10;
        block[kAdvancesA + 4] = 25;
        block[kAdvancesB + 4] = 25;
        block[kAdvancesB + 5] = 7;
        NormalizeParameters(block);
        const int expected = bike == kBikeTwoStrokeSem ? 10 : 25;
        EXPECT_EQ(block[kAdvancesA + 4], expected) << "bike " << int(bike);
        EXPECT_EQ(block[kAdvancesB + 4], expected) << "bike " << int(bike);
        EXPECT_EQ(block[kAdvancesB + 5], 7) << "lower advances stay";
    }
}

TEST(NormalizeParameters, StartLimiterIsKeptAtOrBelowTheHardLimiterOfItsSet)
{
    ParameterBlock block = Defaults();
    block[kStartLimiterA] = 200;
    block[kHardLimiterA] = 150;
    block[kStartLimiterB] = 255; // clamped to 250 first, then lowered to the clamped hard limiter
    block[kHardLimiterB] = 3;
    NormalizeParameters(block);
    EXPECT_EQ(block[kStartLimiterA], 150);
    EXPECT_EQ(block[kStartLimiterB], 10);
    EXPECT_EQ(block[kHardLimiterB], 10);
}

struct ByteCase {
    std::string name;
    int index;
    int before;
    int after;
};

class SingleByte : public testing::TestWithParam<ByteCase>
{
};

TEST_P(SingleByte, Normalises)
{
    ParameterBlock block = Defaults();
    block[GetParam().index] = static_cast<std::uint8_t>(GetParam().before);
    NormalizeParameters(block);
    EXPECT_EQ(block[GetParam().index], GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleByte,
    testing::Values(ByteCase { "TachoPulsesSevenBecomesOne", kTachoPulses, 7, 1 },
        ByteCase { "TachoPulsesZeroStays", kTachoPulses, 0, 0 },
        ByteCase { "TachoPulsesSixStays", kTachoPulses, 6, 6 },
        ByteCase { "TachoPickupStays", kTachoPulses, 255, 255 },
        ByteCase { "TachoPulses254BecomesOne", kTachoPulses, 254, 1 },
        ByteCase { "LobeLengthZeroBecomesLongest", kMaxLobeLength, 0, 250 },
        ByteCase { "LobeLengthAboveLongestIsLimited", kMaxLobeLength, 251, 250 },
        ByteCase { "LobeLengthOneStays", kMaxLobeLength, 1, 1 },
        ByteCase { "NoReadingLockBecomesOne", kNoReading, 7, 1 },
        ByteCase { "TachoCorrectionIsLimited", kTachoCorrection, 200, 160 },
        ByteCase { "UnlimitedStartPercentStays", kStartAdvancePercent, 255, 255 },
        ByteCase { "UnusedByteStays", 97, 123, 123 }),
    [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(NormalizeParameters, AEqualsBCopiesTheNormalisedSetAIntoSetB)
{
    ParameterBlock block = Defaults();
    block[kActiveSet] = ParamValue::kActiveSetAEqualsB;
    block[kHardLimiterA] = 255;
    block[kStartLimiterDelayA] = 12;
    block[kStartLimiterDelayB] = 30;
    block[kSpeedsA] = 0;
    NormalizeParameters(block);
    EXPECT_EQ(block[kHardLimiterB], 250);
    EXPECT_EQ(block[kSpeedsB], 3);
    EXPECT_EQ(block[kStartLimiterDelayB], 12) << "the start-limiter delay is a setting of each set too";
}

TEST(NormalizeParameters, NormalisingTwiceEqualsNormalisingOnceForRandomBlocks)
{
    std::mt19937 random(20250424);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> smallByte(0, 12);
    for (int round = 0; round < 3000; ++round) {
        ParameterBlock block;
        // Every other block uses small values so that in-range and edge values are common too.
        for (auto& value : block.bytes)
            value = static_cast<std::uint8_t>(round % 2 ? byte(random) : smallByte(random));
        if (round % 5 == 0)
            block[kBike] = kBikeTwoStrokeSem;
        NormalizeParameters(block);
        ParameterBlock again = block;
        NormalizeParameters(again);
        ASSERT_EQ(again, block) << "round " << round;
        ExpectInRange(block);
        if (testing::Test::HasFailure())
            FAIL() << "round " << round;
    }
}
