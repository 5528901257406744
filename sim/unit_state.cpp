#include "sim/unit_state.h"

#include "params/normalize_parameters.h"

#include <algorithm>
#include <cstring>

namespace {

void PutWord(MonitorBlock& block, int at, int value)
{
    block[at] = static_cast<std::uint8_t>(value & 0xFF);
    block[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// The curves a new unit leaves the factory with: advance rising to its peak in the middle range.
constexpr std::uint8_t kFactoryCurveA[ParamValue::kCurvePoints] = { 8, 12, 18, 24, 30, 34, 36, 36, 35, 34, 33, 32, 31, 30, 30 };
constexpr std::uint8_t kFactoryCurveB[ParamValue::kCurvePoints] = { 6, 8, 12, 16, 20, 24, 26, 26, 26, 25, 24, 23, 22, 22, 22 };
// Memory that was never written reads as erased.
constexpr std::uint8_t kErased = 0xFF;

} // namespace

PersistentUnit UnitState::FactoryUnit(std::uint32_t hourMinutes)
{
    PersistentUnit unit;
    ParameterBlock block;
    SetDefaults(block);
    for (int k = 0; k < ParamValue::kCurvePoints; ++k) {
        block[ParamIndex::kAdvancesA + k] = kFactoryCurveA[k];
        block[ParamIndex::kAdvancesB + k] = kFactoryCurveB[k];
    }
    NormalizeParameters(block);
    std::fill(unit.memory.begin(), unit.memory.end(), kErased);
    std::copy(block.bytes.begin(), block.bytes.end(), unit.memory.begin());
    unit.hourMinutes = hourMinutes;
    return unit;
}

UnitState::UnitState(const UnitConfig& config, SimTime now)
    : m_config(config)
    , m_persistent(FactoryUnit(config.engine.hourMeterMinutes))
    , m_engine(config.engine, config.seed, now)
    , m_now(now)
    , m_persistedMinutes(config.engine.hourMeterMinutes)
{
    m_engine.Advance(now, Parameters());
}

void UnitState::Tick(SimTime now)
{
    if (now < m_now)
        return;
    m_now = now;
    m_engine.Advance(now, Parameters());
    if (m_saving) {
        const SimTime remaining = m_savingEnd - now;
        if (remaining <= 0) {
            m_saving = false;
            m_savingCountdown = 0;
            ++m_persistent.programmings;
            m_persistRequest = true;
        } else {
            m_savingCountdown = static_cast<int>((remaining + kSavingStepMs - 1) / kSavingStepMs);
        }
    }
    if (m_engine.HourMinutes() != m_persistedMinutes) {
        m_persistedMinutes = m_engine.HourMinutes();
        m_persistRequest = true;
    }
}

bool UnitState::ReadMemory(int address, int count, std::uint8_t* into) const
{
    if (address < 0 || count < 0 || address > kUnitMemorySize - count)
        return false;
    std::memcpy(into, m_persistent.memory.data() + address, count);
    return true;
}

int UnitState::WriteMemory(int address, const std::uint8_t* bytes, int count, SimTime now)
{
    if (address < 0 || address >= kUnitMemorySize || count <= 0)
        return 0;
    const int stored = std::min(count, kUnitMemorySize - address);
    std::memcpy(m_persistent.memory.data() + address, bytes, stored);
    // Every write starts the saving again; the programming counts once the saving is over.
    m_saving = true;
    m_savingEnd = now + kSavingCountdownStart * kSavingStepMs;
    m_savingCountdown = kSavingCountdownStart;
    return stored;
}

ParameterBlock UnitState::Parameters() const
{
    ParameterBlock block;
    std::copy_n(m_persistent.memory.begin(), ParameterBlock::kSize, block.bytes.begin());
    return block;
}

InformationBlock UnitState::Information() const
{
    return BuildInformationBlock(m_config.information, m_persistent.memory[ParamIndex::kNoReading] == 0);
}

MonitorBlock UnitState::Monitor() const
{
    using namespace MonitorIndex;
    const EngineState& engine = m_engine.State();
    MonitorBlock block {};
    PutWord(block, kRpm, engine.signal ? engine.rpm : 0);
    PutWord(block, kSupplyMv, engine.supplyMv);
    PutWord(block, kProgrammings, m_persistent.programmings);
    const std::uint32_t tests[8] = { static_cast<std::uint32_t>(engine.testSparks), m_counters.replies,
        m_counters.checkErrors, m_counters.gapResets, static_cast<std::uint32_t>(engine.lastTestBits), m_counters.resets,
        static_cast<std::uint32_t>(engine.rpmTestSpeed), m_counters.rejected };
    for (int i = 0; i < 8; ++i)
        PutWord(block, kTestValues + 2 * i, static_cast<int>(tests[i] & 0xFFFF));
    PutWord(block, kHourMeterLow, static_cast<int>(engine.hourMinutes & 0xFFFF));
    block[kHourMeterHigh] = static_cast<std::uint8_t>((engine.hourMinutes >> 16) & 0xFF);
    block[kInput1] = engine.input1;
    block[kInput2] = engine.input2;
    block[kAdvance] = static_cast<std::uint8_t>(std::clamp(engine.advance + 100, 0, 255));
    block[kLargestAdvance] = static_cast<std::uint8_t>(std::clamp(engine.largestAdvance, 0, 255));
    block[kPolarityNegative] = engine.polarityNegative;
    block[kPolarityAgrees] = engine.polarityAgrees;
    block[kStartLimiter] = engine.startLimiter;
    block[kLimiter] = engine.limiter;
    block[kBlocking] = engine.blocking;
    block[kKillSwitch] = engine.killSwitch;
    block[kPowerOutput] = engine.powerOutput;
    block[kClutchMaster] = engine.clutchMaster;
    block[kSignal] = engine.signal;
    block[kBasicAdvance] = engine.basicAdvance;
    block[kCurveA] = !engine.curveB;
    block[kSupplyKind] = static_cast<std::uint8_t>(1 | (engine.acSupply ? 2 : 0));
    PutWord(block, kSavingCountdown, m_savingCountdown);
    block[kDataError] = m_config.faults.dataError;
    block[kKey] = static_cast<std::uint8_t>(m_config.key & 0xFF);
    return block;
}

void UnitState::TakeMonitorRequest(int address, const std::uint8_t* bytes, int count, SimTime now)
{
    if (address > kRequestTestBits || address + count <= kRequestTestBits)
        return;
    const int bits = bytes[kRequestTestBits - address] & (kTestIgnition | kTestPowerOut | kTestRpm);
    if (bits != 0)
        m_engine.StartTests(bits, now);
}

void UnitState::Reset(SimTime now)
{
    ++m_counters.resets;
    m_bootUntil = now + kBootMs;
    m_engine.Restart(now);
}

bool UnitState::TakePersistRequest()
{
    const bool request = m_persistRequest;
    m_persistRequest = false;
    return request;
}

PersistentUnit UnitState::Persistent() const
{
    PersistentUnit unit = m_persistent;
    unit.hourMinutes = m_engine.HourMinutes();
    return unit;
}

void UnitState::Restore(const PersistentUnit& unit)
{
    m_persistent = unit;
    m_engine.SetHourMinutes(unit.hourMinutes);
    m_persistedMinutes = unit.hourMinutes;
}
