#pragma once

#include "link/monitor_block.h"

#include "params/parameter_block.h"
#include "sim/sim_random.h"
#include "sim/unit_config.h"

#include <cstdint>

// The advance the unit fires at for one engine speed, from one setting set's curve.
struct AdvanceResult {
    int degrees = 0;
    // The largest advance of the curve's used points.
    int largest = 0;
    // The speed lies below the curve's first point, so the base advance applies.
    bool basic = true;
};
// set: 0 curve A, 1 curve B. The block may hold anything (the unit takes what it is given): the point
// count is kept within 2..15 and points that do not rise in speed are taken as steps.
AdvanceResult ComputeAdvance(const ParameterBlock& parameters, int set, int rpm);

// Test commands of the PC's monitor request (request byte 20): kTestIgnition, kTestPowerOut, kTestRpm.

// What the unit sees of the engine and its own outputs at one moment.
struct EngineState {
    int rpm = 0;
    bool signal = false; // the pickup sees the engine turn
    int advance = 0;     // degrees
    int largestAdvance = 0;
    bool basicAdvance = true;
    bool curveB = false;
    bool input1 = false; // grounded
    bool input2 = false;
    bool killSwitch = false;
    bool blocking = false;
    bool clutchMaster = false;
    bool startLimiter = false;
    bool limiter = false;
    bool powerOutput = false;
    bool polarityNegative = false;
    bool polarityAgrees = true;
    int supplyMv = 0;
    bool acSupply = false;
    std::uint32_t hourMinutes = 0;
    int testSparks = 0;
    int lastTestBits = 0;
    int rpmTestSpeed = 0; // the speed of a running "Rpm" test, else 0
};

// A motorcycle engine as the unit's pickup and inputs report it. Left to itself it idles, revs up
// (now and then into the limiter), holds, comes back down, and sometimes stalls and starts again;
// the rider now and then grounds an input. The unit's settings shape what happens: kill switch and
// blocking stop the engine, the limiters cut it, the clutch master cuts it for its time, an input
// set to curve B switches curves when the unit chooses them itself.
//
// Time runs in fixed steps from the start, so the state at a given time depends only on the seed,
// the settings and the times at which the settings changed, not on how often it is looked at. The
// state at a time is that of the step that starts at or just before it.
class VirtualEngine {
public:
    static constexpr int kStepMs = 10;
    // How long a test command of the PC keeps running.
    static constexpr int kTestDurationMs = 2000;
    static constexpr int kIdleRpm = 1300;
    static constexpr int kSignalRpm = 60;
    static constexpr int kNominalSupplyMv = 13800;
    // A jump of the clock longer than this is not replayed step by step.
    static constexpr SimTime kMaxCatchUpMs = 600000;

    VirtualEngine(const EngineSettings& settings, std::uint64_t seed, SimTime now = 0);

    void Advance(SimTime now, const ParameterBlock& parameters);
    // A reset of the unit: the engine is seen anew (it keeps turning; the hour meter stays).
    void Restart(SimTime now);
    void StartTests(int bits, SimTime now);

    const EngineState& State() const { return m_state; }
    std::uint32_t HourMinutes() const { return m_state.hourMinutes; }
    void SetHourMinutes(std::uint32_t minutes) { m_state.hourMinutes = minutes; }

private:
    enum class Phase { Cranking, Idle, RevUp, Hold, Stalled, Off };

    void Step(const ParameterBlock& parameters);
    void StepInputs();
    int WanderingSpeed(bool ignitionOn, int limit, bool clutchCut);
    void NextPhase(Phase phase);
    void ComputeOutputs(const ParameterBlock& parameters, int set, bool ignitionOn);

    EngineSettings m_settings;
    SimRandom m_random;
    SimTime m_time = 0;
    EngineState m_state;

    Phase m_phase = Phase::Cranking;
    SimTime m_phaseEnd = 0;
    int m_target = 0;
    int m_rate = 0; // RPM per second towards the target
    int m_speed = 0;
    int m_runMs = 0; // running time not yet counted on the hour meter

    SimTime m_inputToggle[2] = { 0, 0 };
    bool m_inputGrounded[2] = { false, false };
    bool m_clutchInputBefore = false;
    SimTime m_clutchCutUntil = 0;
    SimTime m_clutchPauseUntil = 0;
    SimTime m_startArmedUntil = 0;
    SimTime m_testUntil[3] = { 0, 0, 0 };
};
