// The virtual engine behind the monitor block: advance from the active curve, the unit's functions
// on its inputs and outputs, and a run that a seed replays exactly.

#include "params/normalize_parameters.h"
#include "sim/virtual_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace ParamIndex;

ParameterBlock DefaultBlock()
{
    ParameterBlock block;
    SetDefaults(block);
    NormalizeParameters(block);
    return block;
}

// Curve A: 1000 RPM 10°, 2000 RPM 20°, 3000 RPM 14°; curve B: 2000 RPM 30°, 4000 RPM 40°.
ParameterBlock CurveBlock()
{
    ParameterBlock block = DefaultBlock();
    block[kPointCountA] = 3;
    block[kSpeedsA] = 10;
    block[kSpeedsA + 1] = 20;
    block[kSpeedsA + 2] = 30;
    block[kAdvancesA] = 10;
    block[kAdvancesA + 1] = 20;
    block[kAdvancesA + 2] = 14;
    block[kPointCountB] = 2;
    block[kSpeedsB] = 20;
    block[kSpeedsB + 1] = 40;
    block[kAdvancesB] = 30;
    block[kAdvancesB + 1] = 40;
    block[kBaseAdvance] = 6;
    return block;
}

struct AdvanceCase {
    const char* name;
    int set;
    int rpm;
    int degrees;
    bool basic;
};

class Advance : public ::testing::TestWithParam<AdvanceCase> {};

TEST_P(Advance, FollowsTheCurveOfTheSet)
{
    const AdvanceResult result = ComputeAdvance(CurveBlock(), GetParam().set, GetParam().rpm);
    EXPECT_EQ(result.degrees, GetParam().degrees);
    EXPECT_EQ(result.basic, GetParam().basic);
    EXPECT_EQ(result.largest, GetParam().set == 0 ? 20 : 40);
}

INSTANTIATE_TEST_SUITE_P(Points, Advance,
    ::testing::Values(AdvanceCase { "BelowTheFirstPointIsTheBase", 0, 999, 6, true },
        AdvanceCase { "AtTheFirstPoint", 0, 1000, 10, false },
        AdvanceCase { "HalfwayRising", 0, 1500, 15, false },
        AdvanceCase { "RoundsToTheNearestDegree", 0, 1750, 18, false },
        AdvanceCase { "FallingSegmentRounds", 0, 2400, 18, false },
        AdvanceCase { "AtTheLastPoint", 0, 3000, 14, false },
        AdvanceCase { "PastTheLastPointStays", 0, 14000, 14, false },
        AdvanceCase { "CurveBHasItsOwnPoints", 1, 3000, 35, false },
        AdvanceCase { "CurveBBelowItsFirstPoint", 1, 1500, 6, true }),
    [](const ::testing::TestParamInfo<AdvanceCase>& param) { return std::string(param.param.name); });

TEST(AdvanceOfAnyBlock, PointCountsAndSpeedsOutsideTheLimitsAreSafe)
{
    ParameterBlock block = CurveBlock();
    block[kPointCountA] = 0; // taken as 2
    EXPECT_EQ(ComputeAdvance(block, 0, 5000).degrees, 20);
    block[kPointCountA] = 200; // taken as 15
    EXPECT_NO_FATAL_FAILURE(ComputeAdvance(block, 0, 5000));
    // Equal and falling speeds: the later point wins, nothing divides by an empty interval.
    for (int k = 0; k < ParamValue::kCurvePoints; ++k)
        block[kSpeedsA + k] = 20;
    block[kSpeedsA + 3] = 10;
    for (int rpm : { 0, 1000, 1999, 2000, 2001, 30000 })
        EXPECT_NO_FATAL_FAILURE(ComputeAdvance(block, 0, rpm)) << rpm;
    EXPECT_EQ(ComputeAdvance(block, 0, 2000).degrees, block[kAdvancesA + 14]);
}

// One moment of an engine held at a speed, with both inputs in a given state.
EngineState HeldEngine(const ParameterBlock& block, int rpm, int input1, int input2, bool pickupNegative = false)
{
    EngineSettings settings;
    settings.fixedRpm = rpm;
    settings.input1 = input1;
    settings.input2 = input2;
    settings.pickupNegative = pickupNegative;
    VirtualEngine engine(settings, 1, 0);
    engine.Advance(100, block);
    return engine.State();
}

struct FunctionCase {
    const char* name;
    void (*setUp)(ParameterBlock&);
    int input1;
    int input2;
    bool (*holds)(const EngineState&);
};

class UnitFunctions : public ::testing::TestWithParam<FunctionCase> {};

TEST_P(UnitFunctions, ShowInTheEngineState)
{
    ParameterBlock block = CurveBlock();
    GetParam().setUp(block);
    EXPECT_TRUE(GetParam().holds(HeldEngine(block, 5000, GetParam().input1, GetParam().input2)));
}

INSTANTIATE_TEST_SUITE_P(Inputs, UnitFunctions,
    ::testing::Values(
        FunctionCase { "KillSwitchStopsTheEngine", [](ParameterBlock& b) { b[kInput1] = 1; }, 1, 0,
            [](const EngineState& s) { return s.killSwitch && s.rpm == 0 && !s.signal && s.input1; } },
        FunctionCase { "BlockingStopsTheEngine", [](ParameterBlock& b) { b[kInput2] = 1; }, 0, 1,
            [](const EngineState& s) { return s.blocking && !s.killSwitch && s.rpm == 0 && s.input2; } },
        FunctionCase { "OpenKillSwitchLetsItRun", [](ParameterBlock& b) { b[kInput1] = 1; }, 0, 0,
            [](const EngineState& s) { return !s.killSwitch && s.rpm == 5000 && s.signal && !s.input1; } },
        FunctionCase { "CurveInputChoosesBWhenTheUnitChooses",
            [](ParameterBlock& b) { b[kInput2] = 3; b[kActiveSet] = ParamValue::kActiveSetMonitor; }, 0, 1,
            [](const EngineState& s) { return s.curveB && s.advance == 40 && s.largestAdvance == 40; } },
        FunctionCase { "CurveInputIsIgnoredWhenSetAIsChosen",
            [](ParameterBlock& b) { b[kInput2] = 3; b[kActiveSet] = ParamValue::kActiveSetA; }, 0, 1,
            [](const EngineState& s) { return !s.curveB && s.advance == 14; } },
        FunctionCase { "SetBChosenUsesCurveB", [](ParameterBlock& b) { b[kActiveSet] = ParamValue::kActiveSetB; }, 0, 0,
            [](const EngineState& s) { return s.curveB && s.advance == 40; } },
        FunctionCase { "StartLimiterHoldsWhileItsInputIsGrounded",
            [](ParameterBlock& b) { b[kInput1] = ParamValue::kInputStartLimiter; b[kStartLimiterA] = 40; }, 1, 0,
            [](const EngineState& s) { return s.startLimiter && !s.limiter; } },
        FunctionCase { "StartLimiterRestsWithItsInputOpen",
            [](ParameterBlock& b) { b[kInput1] = ParamValue::kInputStartLimiter; b[kStartLimiterA] = 40; }, 0, 0,
            [](const EngineState& s) { return !s.startLimiter; } },
        FunctionCase { "HardLimiterAtItsSpeed", [](ParameterBlock& b) { b[kHardLimiterA] = 50; }, 0, 0,
            [](const EngineState& s) { return s.limiter; } },
        FunctionCase { "ShiftLightAboveItsSpeed", [](ParameterBlock& b) { b[kShiftLightA] = 45; b[kPowerOut] = 0; }, 0, 0,
            [](const EngineState& s) { return s.powerOutput; } },
        FunctionCase { "ShiftLightBelowItsSpeed", [](ParameterBlock& b) { b[kShiftLightA] = 55; b[kPowerOut] = 0; }, 0, 0,
            [](const EngineState& s) { return !s.powerOutput; } },
        FunctionCase { "ShiftLightReversed", [](ParameterBlock& b) { b[kShiftLightA] = 45; b[kPowerOut] = 1; }, 0, 0,
            [](const EngineState& s) { return !s.powerOutput; } },
        FunctionCase { "PowerOutputOff", [](ParameterBlock& b) { b[kShiftLightA] = 45; b[kPowerOut] = 2; }, 0, 0,
            [](const EngineState& s) { return !s.powerOutput; } },
        FunctionCase { "FuelPumpRunsWithTheEngine", [](ParameterBlock& b) { b[kPowerOut] = 4; }, 0, 0,
            [](const EngineState& s) { return s.powerOutput; } },
        FunctionCase { "FixedPolarityAgainstThePickup", [](ParameterBlock& b) { b[kPolarity] = 1; }, 0, 0,
            [](const EngineState& s) { return !s.polarityNegative && !s.polarityAgrees; } },
        FunctionCase { "SelfSearchingPolarityAlwaysAgrees", [](ParameterBlock& b) { b[kPolarity] = 2; }, 0, 0,
            [](const EngineState& s) { return s.polarityAgrees; } }),
    [](const ::testing::TestParamInfo<FunctionCase>& param) { return std::string(param.param.name); });

TEST(VirtualEngineRun, SeedReplaysTheSameRunHoweverOftenItIsLookedAt)
{
    EngineSettings settings; // wandering engine and inputs
    const ParameterBlock block = DefaultBlock();
    VirtualEngine often(settings, 42, 0);
    VirtualEngine seldom(settings, 42, 0);
    VirtualEngine otherSeed(settings, 43, 0);
    bool differs = false;
    for (SimTime t = 0; t <= 120000; t += 7) {
        often.Advance(t, block);
        if (t % 10003 == 0 || t == 119994) {
            seldom.Advance(t, block);
            otherSeed.Advance(t, block);
            ASSERT_EQ(often.State().rpm, seldom.State().rpm) << t;
            ASSERT_EQ(often.State().supplyMv, seldom.State().supplyMv) << t;
            ASSERT_EQ(often.State().input1, seldom.State().input1) << t;
            differs = differs || often.State().rpm != otherSeed.State().rpm;
        }
    }
    EXPECT_TRUE(differs);
}

TEST(VirtualEngineRun, IdlesRevsIntoTheLimiterStallsAndStartsAgain)
{
    EngineSettings settings;
    settings.input1 = 0;
    settings.input2 = 0;
    const ParameterBlock block = DefaultBlock();
    const int hard = block[kHardLimiterA] * 100;
    VirtualEngine engine(settings, 7, 0);
    int highest = 0;
    int idleReadings = 0;
    bool limiterSeen = false;
    bool stallSeen = false;
    bool runningAfterStall = false;
    for (SimTime t = 1000; t <= 600000; t += 100) {
        engine.Advance(t, block);
        const EngineState& s = engine.State();
        highest = std::max(highest, s.rpm);
        idleReadings += s.rpm > 1100 && s.rpm < 1500;
        limiterSeen = limiterSeen || s.limiter;
        runningAfterStall = runningAfterStall || (stallSeen && s.signal);
        stallSeen = stallSeen || !s.signal;
        if (s.signal) {
            ASSERT_NEAR(s.supplyMv, VirtualEngine::kNominalSupplyMv, 120) << t;
        }
    }
    EXPECT_LT(highest, hard);
    EXPECT_GT(highest, hard - 500);
    EXPECT_GT(idleReadings, 100);
    EXPECT_TRUE(limiterSeen);
    EXPECT_TRUE(runningAfterStall);
}

TEST(VirtualEngineRun, HourMeterCountsRunningMinutesOnly)
{
    EngineSettings settings;
    settings.fixedRpm = 3000;
    settings.input1 = settings.input2 = 0;
    settings.hourMeterMinutes = 0xFFFF;
    VirtualEngine running(settings, 1, 0);
    running.Advance(60000 * 3 + 5, DefaultBlock());
    EXPECT_EQ(running.HourMinutes(), 0xFFFFu + 3);

    settings.fixedRpm = 0;
    VirtualEngine still(settings, 1, 0);
    still.Advance(60000 * 3, DefaultBlock());
    EXPECT_EQ(still.HourMinutes(), 0xFFFFu);
}

} // namespace
