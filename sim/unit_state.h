#pragma once

#include "link/monitor_block.h"

#include "params/parameter_block.h"
#include "sim/information_block.h"
#include "sim/unit_config.h"
#include "sim/virtual_engine.h"

#include <array>
#include <cstdint>

constexpr int kUnitMemorySize = 8000;
using MonitorBlock = std::array<std::uint8_t, kMonitorBlockSize>;

// Positions in the monitor block (words are little-endian).
namespace MonitorIndex {
inline constexpr int kRpm = 0;
inline constexpr int kSupplyMv = 2;
inline constexpr int kProgrammings = 4;
inline constexpr int kTestValues = 6; // eight words
inline constexpr int kHourMeterLow = 22;
inline constexpr int kInput1 = 28;
inline constexpr int kInput2 = 29;
inline constexpr int kAdvance = 30; // degrees + 100
inline constexpr int kLargestAdvance = 31;
inline constexpr int kPolarityNegative = 32;
inline constexpr int kPolarityAgrees = 33;
inline constexpr int kStartLimiter = 34;
inline constexpr int kLimiter = 35;
inline constexpr int kBlocking = 36;
inline constexpr int kKillSwitch = 37;
inline constexpr int kPowerOutput = 38;
inline constexpr int kClutchMaster = 40;
inline constexpr int kSignal = 41;
inline constexpr int kBasicAdvance = 42;
inline constexpr int kCurveA = 43;
inline constexpr int kHourMeterHigh = 44;
inline constexpr int kSupplyKind = 45; // bit 0 known, bit 1 AC
inline constexpr int kSavingCountdown = 46;
inline constexpr int kDataError = 48;
inline constexpr int kKey = 49;
} // namespace MonitorIndex

// Position of the test commands in the PC's monitor request.
constexpr int kRequestTestBits = 20;

// What the unit keeps when it is switched off.
struct PersistentUnit {
    std::array<std::uint8_t, kUnitMemorySize> memory {};
    int programmings = 0;
    std::uint32_t hourMinutes = 0;
};

// Counters of the unit's link, shown in the monitor's test values.
struct UnitLinkCounters {
    std::uint32_t replies = 0;
    std::uint32_t checkErrors = 0;
    std::uint32_t gapResets = 0;
    std::uint32_t resets = 0;
    std::uint32_t rejected = 0;  // requests outside the unit's memory or frame size
    std::uint32_t wrongSpeed = 0; // bytes heard at a speed the unit does not listen at
};

// Everything the unit holds, whatever protocol it speaks: parameter memory, the information block,
// the saving of written data with its countdown and programming counter, the test commands and the
// engine behind the monitor block.
class UnitState {
public:
    // After a write the unit saves for 200 countdown steps of 5 ms, one second in all.
    static constexpr int kSavingCountdownStart = 200;
    static constexpr int kSavingStepMs = 5;
    // After a reset the unit's program starts again and hears nothing for this long.
    static constexpr int kBootMs = 200;

    UnitState(const UnitConfig& config, SimTime now);

    // Runs the unit's clock: the engine and the saving.
    void Tick(SimTime now);

    // Parameter memory. Reads outside the memory fail; a write stores the bytes that lie inside it,
    // starts the saving countdown and returns how many it stored.
    bool ReadMemory(int address, int count, std::uint8_t* into) const;
    int WriteMemory(int address, const std::uint8_t* bytes, int count, SimTime now);
    ParameterBlock Parameters() const;

    InformationBlock Information() const;
    MonitorBlock Monitor() const;
    // A piece of the PC's monitor request that starts at address: the test commands are carried out.
    void TakeMonitorRequest(int address, const std::uint8_t* bytes, int count, SimTime now);

    // The reset command: the unit's program starts again (memory and counters stay).
    void Reset(SimTime now);
    bool Booting(SimTime now) const { return now < m_bootUntil; }

    int SavingCountdown() const { return m_savingCountdown; }
    int Programmings() const { return m_persistent.programmings; }
    // Set when a save has ended (or the hour meter moved on); the owner of a memory file writes it.
    bool TakePersistRequest();
    PersistentUnit Persistent() const;
    void Restore(const PersistentUnit& unit);

    UnitConfig& Config() { return m_config; }
    const UnitConfig& Config() const { return m_config; }
    UnitLinkCounters& LinkCounters() { return m_counters; }
    const UnitLinkCounters& LinkCounters() const { return m_counters; }
    const EngineState& Engine() const { return m_engine.State(); }

    // The factory contents of a new unit's memory.
    static PersistentUnit FactoryUnit(std::uint32_t hourMinutes);

private:
    UnitConfig m_config;
    PersistentUnit m_persistent;
    VirtualEngine m_engine;
    UnitLinkCounters m_counters;
    SimTime m_now = 0;
    SimTime m_bootUntil = 0;
    SimTime m_savingEnd = 0;
    bool m_saving = false;
    int m_savingCountdown = 0;
    std::uint32_t m_persistedMinutes = 0;
    bool m_persistRequest = false;
};
