#include "sim/virtual_engine.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

using namespace ParamIndex;

constexpr int kInputKillOrBlock = 1;
constexpr int kInputCurveB = 3;
constexpr int kCrankingRpm = 300;
// How long the rider keeps an input grounded, and how long it stays open in between.
constexpr int kGroundedMinMs = 1500;
constexpr int kGroundedMaxMs = 4000;
constexpr int kOpenMinMs = 15000;
constexpr int kOpenMaxMs = 45000;

int RoundedDivide(int numerator, int denominator)
{
    return numerator >= 0 ? (numerator + denominator / 2) / denominator : -((-numerator + denominator / 2) / denominator);
}

} // namespace

AdvanceResult ComputeAdvance(const ParameterBlock& parameters, int set, int rpm)
{
    const int count = std::clamp<int>(parameters[set == 1 ? kPointCountB : kPointCountA], ParamValue::kMinPointCount,
        ParamValue::kCurvePoints);
    const int speeds = set == 1 ? kSpeedsB : kSpeedsA;
    const int advances = set == 1 ? kAdvancesB : kAdvancesA;
    auto speed = [&](int k) { return parameters[speeds + k] * 100; };
    auto advance = [&](int k) { return static_cast<int>(parameters[advances + k]); };

    AdvanceResult result;
    for (int k = 0; k < count; ++k)
        result.largest = std::max(result.largest, advance(k));
    if (rpm < speed(0)) {
        result.degrees = parameters[kBaseAdvance];
        return result;
    }
    result.basic = false;
    int k = 0;
    while (k + 1 < count && rpm >= speed(k + 1))
        ++k;
    if (k + 1 == count) {
        result.degrees = advance(k);
        return result;
    }
    // Here speed(k) <= rpm < speed(k + 1), so the interval is never empty.
    result.degrees = advance(k) + RoundedDivide((advance(k + 1) - advance(k)) * (rpm - speed(k)), speed(k + 1) - speed(k));
    return result;
}

VirtualEngine::VirtualEngine(const EngineSettings& settings, std::uint64_t seed, SimTime now)
    : m_settings(settings), m_random(seed), m_time(now - now % kStepMs)
{
    m_state.hourMinutes = settings.hourMeterMinutes;
    m_state.polarityNegative = settings.pickupNegative;
    m_state.acSupply = settings.acSupply;
    m_state.supplyMv = kNominalSupplyMv;
    for (SimTime& toggle : m_inputToggle)
        toggle = m_time + m_random.Between(kOpenMinMs, kOpenMaxMs);
    NextPhase(Phase::Cranking);
}

void VirtualEngine::Advance(SimTime now, const ParameterBlock& parameters)
{
    if (now - m_time > kMaxCatchUpMs)
        m_time = now - kMaxCatchUpMs - now % kStepMs;
    // The step that starts at a time belongs to it, so the state is there from the first moment.
    while (m_time <= now) {
        Step(parameters);
        m_time += kStepMs;
    }
}

void VirtualEngine::Restart(SimTime now)
{
    m_time = std::max(m_time, now - now % kStepMs);
    m_clutchCutUntil = m_clutchPauseUntil = m_startArmedUntil = 0;
    std::fill(std::begin(m_testUntil), std::end(m_testUntil), 0);
    m_state.testSparks = 0;
    m_state.lastTestBits = 0;
}

void VirtualEngine::StartTests(int bits, SimTime now)
{
    m_state.lastTestBits = bits;
    const int flags[3] = { kTestIgnition, kTestPowerOut, kTestRpm };
    for (int i = 0; i < 3; ++i)
        if (bits & flags[i])
            m_testUntil[i] = now + kTestDurationMs;
}

void VirtualEngine::StepInputs()
{
    const int forced[2] = { m_settings.input1, m_settings.input2 };
    for (int i = 0; i < 2; ++i) {
        if (forced[i] >= 0) {
            m_inputGrounded[i] = forced[i] != 0;
            continue;
        }
        if (m_time < m_inputToggle[i])
            continue;
        m_inputGrounded[i] = !m_inputGrounded[i];
        m_inputToggle[i] = m_time
            + (m_inputGrounded[i] ? m_random.Between(kGroundedMinMs, kGroundedMaxMs) : m_random.Between(kOpenMinMs, kOpenMaxMs));
    }
    m_state.input1 = m_inputGrounded[0];
    m_state.input2 = m_inputGrounded[1];
}

void VirtualEngine::NextPhase(Phase phase)
{
    m_phase = phase;
    switch (phase) {
    case Phase::Cranking:
        m_phaseEnd = m_time + 600;
        m_target = kCrankingRpm;
        m_rate = 3000;
        break;
    case Phase::Idle:
        m_phaseEnd = m_time + m_random.Between(2000, 5000);
        m_target = kIdleRpm;
        m_rate = 3500;
        break;
    case Phase::RevUp:
        // Set by Step, which knows the limiter; a rev that never arrives is given up after a while.
        m_phaseEnd = m_time + 8000;
        m_rate = m_random.Between(2500, 6000);
        break;
    case Phase::Hold:
        m_phaseEnd = m_time + m_random.Between(400, 1500);
        break;
    case Phase::Stalled:
        m_phaseEnd = m_time + m_random.Between(2000, 4000);
        m_target = 0;
        m_rate = 2500;
        break;
    case Phase::Off:
        m_phaseEnd = LLONG_MAX;
        m_target = 0;
        m_rate = 2500;
        break;
    }
}

int VirtualEngine::WanderingSpeed(bool ignitionOn, int limit, bool clutchCut)
{
    if (!ignitionOn && m_phase != Phase::Off)
        NextPhase(Phase::Off);
    else if (ignitionOn && m_phase == Phase::Off)
        NextPhase(m_speed < kCrankingRpm ? Phase::Cranking : Phase::Idle);

    const bool reached = std::abs(m_speed - m_target) < 60 || (m_target > limit && m_speed >= limit - 200);
    if (m_phase == Phase::RevUp && reached)
        NextPhase(Phase::Hold);
    if (m_time >= m_phaseEnd) {
        switch (m_phase) {
        case Phase::Cranking:
        case Phase::Hold:
            NextPhase(Phase::Idle);
            break;
        case Phase::Idle:
            if (m_random.Chance(1.0 / 8)) {
                NextPhase(Phase::Stalled);
            } else {
                NextPhase(Phase::RevUp);
                const int top = limit == INT_MAX ? 12000 : limit + 1200;
                m_target = m_random.Between(3000, std::max(3000, top));
            }
            break;
        case Phase::RevUp:
            NextPhase(Phase::Hold);
            break;
        case Phase::Stalled:
            NextPhase(Phase::Cranking);
            break;
        case Phase::Off:
            break;
        }
    }

    const int stepRpm = m_rate * kStepMs / 1000;
    int speed = m_speed;
    if (clutchCut)
        speed -= 2000 * kStepMs / 1000;
    else if (speed < m_target)
        speed = std::min(m_target, speed + stepRpm);
    else
        speed = std::max(m_target, speed - stepRpm);
    if (m_phase == Phase::Idle && std::abs(speed - m_target) < 60)
        speed += m_random.Between(-15, 15);
    // The limiter cuts sparks: the engine bounces just below it.
    if (speed >= limit)
        speed = limit - m_random.Between(30, 180);
    return std::max(0, speed);
}

void VirtualEngine::Step(const ParameterBlock& p)
{
    StepInputs();
    const bool in1 = m_inputGrounded[0];
    const bool in2 = m_inputGrounded[1];
    const int f1 = p[kInput1];
    const int f2 = p[kInput2];
    auto engaged = [&](int function) { return (f1 == function && in1) || (f2 == function && in2); };

    m_state.killSwitch = f1 == kInputKillOrBlock && in1;
    m_state.blocking = f2 == kInputKillOrBlock && in2;
    const bool ignitionOn = !m_state.killSwitch && !m_state.blocking;

    int set = 0;
    if (p[kActiveSet] == ParamValue::kActiveSetB)
        set = 1;
    else if (p[kActiveSet] == ParamValue::kActiveSetMonitor)
        set = engaged(kInputCurveB) ? 1 : 0;
    m_state.curveB = set == 1;

    // The start limiter holds while its input is grounded and for its delay after release.
    const bool startInput = engaged(ParamValue::kInputStartLimiter);
    if (startInput)
        m_startArmedUntil = m_time + p[kStartLimiterDelayA + set] * 100;
    const bool startArmed = startInput || m_time < m_startArmedUntil;

    // The clutch master cuts the ignition for its time when its input is grounded, then rests.
    const bool clutchInput = engaged(ParamValue::kInputClutchMaster);
    if (clutchInput && !m_clutchInputBefore && m_speed >= kSignalRpm && m_time >= m_clutchPauseUntil) {
        m_clutchCutUntil = m_time + p[kClutchTimeA + set] * 5;
        m_clutchPauseUntil = m_clutchCutUntil + p[kClutchPauseA + set] * 100;
    }
    m_clutchInputBefore = clutchInput;
    const bool clutchCut = m_time < m_clutchCutUntil;
    m_state.clutchMaster = clutchCut;

    const int hard = p[kHardLimiterA + set] * 100;
    const int start = p[kStartLimiterA + set] * 100;
    int limit = hard > 0 ? hard : INT_MAX;
    const bool startLimits = startArmed && start > 0 && start < limit;
    if (startLimits)
        limit = start;

    if (m_settings.fixedRpm >= 0) {
        m_speed = ignitionOn ? m_settings.fixedRpm : 0;
        m_state.limiter = hard > 0 && m_speed >= hard;
        m_state.startLimiter = startLimits && m_speed >= start;
    } else {
        m_speed = WanderingSpeed(ignitionOn, limit, clutchCut);
        const bool cutting = m_target > limit && m_speed >= limit - 200;
        m_state.limiter = cutting && !startLimits;
        m_state.startLimiter = cutting && startLimits;
    }

    const bool rpmTest = m_time < m_testUntil[2];
    m_state.rpmTestSpeed = rpmTest ? p[kTestSpeed] * 100 : 0;
    m_state.rpm = rpmTest ? m_state.rpmTestSpeed : m_speed;
    m_state.signal = m_state.rpm >= kSignalRpm;
    if (m_state.signal) {
        const AdvanceResult advance = ComputeAdvance(p, set, m_state.rpm);
        m_state.advance = advance.degrees;
        m_state.largestAdvance = advance.largest;
        m_state.basicAdvance = advance.basic;
    } else {
        m_state.advance = p[kBaseAdvance];
        m_state.largestAdvance = ComputeAdvance(p, set, 0).largest;
        m_state.basicAdvance = true;
    }
    ComputeOutputs(p, set, ignitionOn);

    if (m_time < m_testUntil[0] && m_time % 50 == 0)
        ++m_state.testSparks;
    if (m_speed >= kSignalRpm) {
        m_runMs += kStepMs;
        if (m_runMs >= 60000) {
            m_runMs -= 60000;
            ++m_state.hourMinutes;
        }
    }
}

void VirtualEngine::ComputeOutputs(const ParameterBlock& p, int set, bool ignitionOn)
{
    const int function = p[kPowerOut] >> 1;
    const bool reverse = (p[kPowerOut] & 1) != 0;
    bool on = false;
    if (function == ParamValue::kPowerOutShiftLight)
        on = (m_state.signal && m_state.rpm >= p[kShiftLightA + set] * 100) != reverse;
    else if (function == ParamValue::kPowerOutFuelPump)
        on = (ignitionOn && m_state.signal) != reverse;
    m_state.powerOutput = on || m_time < m_testUntil[1];

    const int polarity = p[kPolarity];
    m_state.polarityNegative = m_settings.pickupNegative;
    m_state.polarityAgrees = polarity == ParamValue::kPolaritySelfSearch
        || (polarity == ParamValue::kPolarityNegative) == m_settings.pickupNegative;
    if (polarity > ParamValue::kPolaritySelfSearch)
        m_state.polarityAgrees = false;

    // A battery holds the supply steady; a generator ripples with the engine.
    const int ripple = m_settings.acSupply ? 400 : 120;
    if (m_speed >= kSignalRpm)
        m_state.supplyMv = kNominalSupplyMv + m_random.Between(-ripple, ripple);
    else
        m_state.supplyMv = (m_settings.acSupply ? 11000 : 12600) + m_random.Between(-30, 30);
}
