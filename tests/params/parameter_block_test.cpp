#include "params/bike_presets.h"
#include "params/parameter_block.h"

#include <gtest/gtest.h>

using namespace ParamIndex;
using ParamValue::kCurvePoints;

TEST(SetDefaults, GivesTheNewSettingAndKeepsBikeAndUnusedBytes)
{
    ParameterBlock block;
    block.bytes.fill(0xEE);
    block[kBike] = kBikeStandard;
    SetDefaults(block);

    ParameterBlock expected;
    expected.bytes.fill(0xEE);
    expected[kBike] = kBikeStandard;
    expected[kPointCountA] = expected[kPointCountB] = 15;
    expected[kBaseAdvance] = 10;
    expected[kStartLimiterA] = expected[kStartLimiterB] = 100;
    expected[kHardLimiterA] = expected[kHardLimiterB] = 150;
    expected[kPolarity] = ParamValue::kPolaritySelfSearch;
    expected[kIgnitionsPerRev] = 1;
    expected[kShiftLightA] = expected[kShiftLightB] = 120;
    expected[kClutchTimeA] = expected[kClutchTimeB] = 20;
    expected[kClutchPauseA] = expected[kClutchPauseB] = 5;
    expected[kInput1] = 1;
    expected[kInput2] = 3;
    expected[kNoReading] = 0;
    expected[kTachoPulses] = 1;
    expected[kTachoCorrection] = 100;
    expected[kPowerOut] = 0;
    expected[kActiveSet] = 0;
    expected[kShiftLightPwm] = 10;
    expected[kSoftLimiterA] = expected[kSoftLimiterB] = 85;
    expected[kSparkBeforeLobe] = expected[kStartAdvancePercent] = expected[kFourStroke] = 0;
    expected[kSyncPolarity] = 0;
    for (int k = 0; k < kCurvePoints; ++k) {
        expected[kSpeedsA + k] = expected[kSpeedsB + k] = static_cast<std::uint8_t>(10 * (k + 1));
        expected[kAdvancesA + k] = 10;
        expected[kAdvancesB + k] = 4;
    }
    expected[kTestSpeed] = 50;
    expected[kNoLobeCheck] = 0;
    expected[kMaxLobeLength] = 250;
    expected[kStartLimiterDelayA] = expected[kStartLimiterDelayB] = 0;
    EXPECT_EQ(block, expected);
}

TEST(SetDefaults, FollowsTheBikeForBaseAdvanceAndPolarity)
{
    struct Case {
        std::uint8_t bike;
        int baseAdvance;
        int polarity;
    };
    for (const Case c : { Case { kBikeStandard, 10, 2 }, Case { kBikeKtm4TSem, 10, 1 },
             Case { kBikeStartOfLobe, 22, 1 }, Case { kBikeHusaberg4TSem, 10, 0 }, Case { 42, 10, 0 } }) {
        ParameterBlock block;
        block[kBike] = c.bike;
        SetDefaults(block);
        EXPECT_EQ(block[kBike], c.bike);
        EXPECT_EQ(block[kBaseAdvance], c.baseAdvance) << "bike " << int(c.bike);
        EXPECT_EQ(block[kPolarity], c.polarity) << "bike " << int(c.bike);
    }
}

TEST(CopyAToB, CopiesEverySettingOfSetAAndNothingElse)
{
    ParameterBlock block;
    for (int i = 0; i < ParameterBlock::kSize; ++i)
        block[i] = static_cast<std::uint8_t>(i);
    const ParameterBlock before = block;
    CopyAToB(block);

    const std::pair<int, int> pairs[] = { { kPointCountA, kPointCountB }, { kStartLimiterA, kStartLimiterB },
        { kHardLimiterA, kHardLimiterB }, { kShiftLightA, kShiftLightB }, { kClutchTimeA, kClutchTimeB },
        { kClutchPauseA, kClutchPauseB }, { kSoftLimiterA, kSoftLimiterB },
        { kStartLimiterDelayA, kStartLimiterDelayB } };
    ParameterBlock expected = before;
    for (const auto& [a, b] : pairs)
        expected[b] = before[a];
    for (int k = 0; k < kCurvePoints; ++k) {
        expected[kSpeedsB + k] = before[kSpeedsA + k];
        expected[kAdvancesB + k] = before[kAdvancesA + k];
    }
    EXPECT_EQ(block, expected);
}
