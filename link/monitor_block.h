#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <span>

// The live monitor exchange: the 50-byte request the PC sends and the 50-byte block describing the
// running engine that the unit answers with. Words are 16-bit little-endian.

inline constexpr int kMonitorBlockSize = 50;

// Test commands that ride on the next request, one bit each.
inline constexpr int kTestIgnition = 1;
inline constexpr int kTestPowerOut = 2;
inline constexpr int kTestRpm = 4;
inline constexpr int kTestBitsMask = kTestIgnition | kTestPowerOut | kTestRpm;

namespace MonitorRequestOffset
{
inline constexpr int kTestBits = 20;
inline constexpr int kKey = 49;
} // namespace MonitorRequestOffset

namespace MonitorOffset
{
inline constexpr int kRpm = 0; // word
inline constexpr int kMillivolts = 2; // word, supply voltage
inline constexpr int kProgrammings = 4; // word, number of programmings of the unit
inline constexpr int kTestValues = 6; // 8 words
inline constexpr int kHourMeterLow = 22; // word, minutes, low 16 bits
inline constexpr int kInput1 = 28; // input 1 connected to ground
inline constexpr int kInput2 = 29;
inline constexpr int kAdvance = 30; // degrees + 100
inline constexpr int kMaxAdvance = 31; // degrees
inline constexpr int kPolarityMeasured = 32; // 0 positive, otherwise negative
inline constexpr int kPolarityAgrees = 33;
inline constexpr int kStartLimiter = 34;
inline constexpr int kLimiter = 35;
inline constexpr int kMotorOff = 36;
inline constexpr int kKillSwitch = 37;
inline constexpr int kShiftLight = 38;
inline constexpr int kClutchMaster = 40;
inline constexpr int kPickupSignal = 41; // the engine is turning
inline constexpr int kBasicAdvance = 42; // advance not computed: the base advance applies
inline constexpr int kCurveA = 43; // not 0: curve A in use, 0: curve B
inline constexpr int kHourMeterHigh = 44; // minutes, bits 16 to 23
inline constexpr int kSupply = 45; // bit 0 known, bit 1 AC (else DC)
inline constexpr int kSavingCountdown = 46; // word
inline constexpr int kDataError = 48; // programmed data error in the unit
inline constexpr int kKey = 49; // the unit's compatibility number
} // namespace MonitorOffset

inline constexpr int kAdvanceOffset = 100; // the advance byte holds degrees + 100
inline constexpr int kSupplyKnown = 1;
inline constexpr int kSupplyAc = 2;

// The last monitor block as the window keeps it: a leading 0 byte, then the 50 bytes of the block.
// The recorder stores the record's first 50 bytes as they are.
struct MonitorRecord {
    static constexpr int kSize = kMonitorBlockSize + 1;

    std::array<uint8_t, kSize> bytes {};

    std::span<const uint8_t, kMonitorBlockSize> Block() const
    {
        return std::span<const uint8_t, kMonitorBlockSize>(bytes.data() + 1, kMonitorBlockSize);
    }
    // Replaces the block; the leading byte stays 0.
    void SetBlock(std::span<const uint8_t> block);

    int Byte(int offset) const { return bytes[static_cast<std::size_t>(offset + 1)]; }
    bool Flag(int offset) const { return Byte(offset) != 0; }
    int Word(int offset) const { return Byte(offset) | (Byte(offset + 1) << 8); }

    int HourMeterMinutes() const;
};

// Writes the request into `pcImage` (at least kMonitorBlockSize bytes): zeros, the test bits in
// byte 20 and the PC's key in byte 49.
void BuildMonitorRequest(std::span<uint8_t> pcImage, int testBits);

// What the unit's key says about it: 2 the key matches this program, 1 it differs, 0 nothing heard
// yet.
struct MonitorKey {
    static constexpr int kUnknown = 0;
    static constexpr int kUnmatched = 1;
    static constexpr int kMatched = 2;

    int status = kUnknown;
    QString text;
};

// "RSKEY=109" for a matching unit; otherwise the unmatched-version message in the current language
// followed by "  PC-109, IGN-<key>".
MonitorKey MonitorKeyOf(int unitKey);
