#include "params/normalize_parameters.h"

#include "params/bike_presets.h"

#include <algorithm>

namespace
{

using namespace ParamIndex;
using ParamValue::kCurvePoints;

constexpr int kMinCurveSpeed = 3;
constexpr int kMaxCurveSpeed = 250;
constexpr int kMaxAdvance = 60;
constexpr int kLongestLobe = 250;

void Clamp(ParameterBlock& block, int index, int minimum, int maximum)
{
    block[index] = static_cast<std::uint8_t>(std::clamp<int>(block[index], minimum, maximum));
}

// The points after the used count still reach the unit; they repeat the last used advance so that
// the curve stays flat beyond its last point.
void FillUnusedAdvances(ParameterBlock& block, int countIndex, int advancesIndex)
{
    const int count = block[countIndex];
    const std::uint8_t last = block[advancesIndex + count - 1];
    for (int k = count; k < kCurvePoints; ++k)
        block[advancesIndex + k] = last;
}

std::span<std::uint8_t> Row(ParameterBlock& block, int first)
{
    return std::span<std::uint8_t>(block.data() + first, kCurvePoints);
}

} // namespace

void MakeStrictlyIncreasing(std::span<std::uint8_t> row, int minimum, int maximum, int step)
{
    const int n = static_cast<int>(row.size());
    for (int k = 0; k < n; ++k) {
        const int low = minimum + step * k;
        const int high = maximum - step * (n - 1 - k);
        row[k] = static_cast<std::uint8_t>(std::clamp<int>(row[k], low, std::max(low, high)));
    }
    for (int k = 1; k < n; ++k) {
        if (row[k] <= row[k - 1])
            row[k] = static_cast<std::uint8_t>(row[k - 1] + step);
    }
}

void NormalizeParameters(ParameterBlock& block)
{
    // The point counts first: filling the unused points indexes with them.
    Clamp(block, kActiveSet, 0, ParamValue::kActiveSetAEqualsB);
    Clamp(block, kPointCountA, ParamValue::kMinPointCount, kCurvePoints);
    Clamp(block, kPointCountB, ParamValue::kMinPointCount, kCurvePoints);

    FillUnusedAdvances(block, kPointCountA, kAdvancesA);
    FillUnusedAdvances(block, kPointCountB, kAdvancesB);

    Clamp(block, kBaseAdvance, 0, 40);
    for (const int index : { kStartLimiterA, kStartLimiterB, kSoftLimiterA, kSoftLimiterB })
        Clamp(block, index, 9, 250);
    Clamp(block, kHardLimiterA, 10, 250);
    Clamp(block, kHardLimiterB, 10, 250);
    Clamp(block, kShiftLightA, 1, 250);
    Clamp(block, kShiftLightB, 1, 250);
    Clamp(block, kClutchTimeA, 0, 250);
    Clamp(block, kClutchTimeB, 0, 250);
    Clamp(block, kClutchPauseA, 0, 100);
    Clamp(block, kClutchPauseB, 0, 100);

    MakeStrictlyIncreasing(Row(block, kSpeedsA), kMinCurveSpeed, kMaxCurveSpeed, 1);
    MakeStrictlyIncreasing(Row(block, kSpeedsB), kMinCurveSpeed, kMaxCurveSpeed, 1);

    for (int k = 0; k < kCurvePoints; ++k) {
        Clamp(block, kAdvancesA + k, 0, kMaxAdvance);
        Clamp(block, kAdvancesB + k, 0, kMaxAdvance);
    }

    Clamp(block, kIgnitionsPerRev, 0, 3);
    Clamp(block, kInput1, 0, 4);
    Clamp(block, kInput2, 0, 4);
    Clamp(block, kNoReading, 0, 1); // any non-zero lock becomes 1

    // Pulse counts above 6 are meaningless to the unit, but 255 means "follow the pickup".
    if (block[kTachoPulses] > 6 && block[kTachoPulses] != ParamValue::kTachoPickup)
        block[kTachoPulses] = 1;

    Clamp(block, kTachoCorrection, 40, 160);
    Clamp(block, kPowerOut, 0, 5);
    Clamp(block, kShiftLightPwm, 1, 10);

    // After the limiters are clamped, so that the start limiter ends within range.
    block[kStartLimiterA] = std::min(block[kStartLimiterA], block[kHardLimiterA]);
    block[kStartLimiterB] = std::min(block[kStartLimiterB], block[kHardLimiterB]);

    // With this keying the spark may come no earlier than the base advance.
    if (block[kBike] == kBikeTwoStrokeSem) {
        const std::uint8_t base = block[kBaseAdvance];
        for (int k = 0; k < kCurvePoints; ++k) {
            block[kAdvancesA + k] = std::min(block[kAdvancesA + k], base);
            block[kAdvancesB + k] = std::min(block[kAdvancesB + k], base);
        }
    }

    // 0 has no meaning as a length and stands for the longest one.
    if (block[kMaxLobeLength] == 0 || block[kMaxLobeLength] > kLongestLobe)
        block[kMaxLobeLength] = kLongestLobe;

    // Last, so that B receives A's final values.
    if (block[kActiveSet] == ParamValue::kActiveSetAEqualsB)
        CopyAToB(block);
}
