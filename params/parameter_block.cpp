#include "params/parameter_block.h"

#include "params/bike_presets.h"

namespace
{

using namespace ParamIndex;

// Pairs of (A index, B index) of the single values kept once per setting set.
constexpr std::array<std::array<int, 2>, 8> kSetPairs = { {
    { kPointCountA, kPointCountB },
    { kStartLimiterA, kStartLimiterB },
    { kHardLimiterA, kHardLimiterB },
    { kShiftLightA, kShiftLightB },
    { kClutchTimeA, kClutchTimeB },
    { kClutchPauseA, kClutchPauseB },
    { kSoftLimiterA, kSoftLimiterB },
    { kStartLimiterDelayA, kStartLimiterDelayB },
} };

void SetBoth(ParameterBlock& block, int indexA, int indexB, std::uint8_t value)
{
    block[indexA] = value;
    block[indexB] = value;
}

} // namespace

void SetDefaults(ParameterBlock& block)
{
    SetBoth(block, kPointCountA, kPointCountB, ParamValue::kCurvePoints);
    SetBoth(block, kStartLimiterA, kStartLimiterB, 100);
    SetBoth(block, kHardLimiterA, kHardLimiterB, 150);
    SetBoth(block, kShiftLightA, kShiftLightB, 120);
    SetBoth(block, kClutchTimeA, kClutchTimeB, 20);
    SetBoth(block, kClutchPauseA, kClutchPauseB, 5);
    SetBoth(block, kSoftLimiterA, kSoftLimiterB, 85);
    SetBoth(block, kStartLimiterDelayA, kStartLimiterDelayB, 0);
    block[kInput1] = 1;
    block[kInput2] = 3;
    block[kNoReading] = 0;
    block[kTachoPulses] = 1;
    block[kTachoCorrection] = ParamValue::kTachoCorrectionOffset;
    block[kPowerOut] = 0;
    block[kActiveSet] = ParamValue::kActiveSetA;
    block[kShiftLightPwm] = 10;
    block[kSparkBeforeLobe] = 0;
    block[kStartAdvancePercent] = 0;
    block[kFourStroke] = 0;
    block[kSyncPolarity] = 0;
    for (int k = 0; k < ParamValue::kCurvePoints; ++k) {
        SetBoth(block, kSpeedsA + k, kSpeedsB + k, static_cast<std::uint8_t>(10 * (k + 1)));
        block[kAdvancesA + k] = 10;
        block[kAdvancesB + k] = 4;
    }
    block[kTestSpeed] = 50;
    block[kNoLobeCheck] = 0;
    block[kMaxLobeLength] = 250;
    block[kBaseAdvance] = BikeRulesFor(block[kBike]).baseAdvanceDefault;
    ApplyBikeDefaults(block);
}

void CopyAToB(ParameterBlock& block)
{
    for (const auto& [a, b] : kSetPairs)
        block[b] = block[a];
    for (int k = 0; k < ParamValue::kCurvePoints; ++k) {
        block[kSpeedsB + k] = block[kSpeedsA + k];
        block[kAdvancesB + k] = block[kAdvancesA + k];
    }
}
