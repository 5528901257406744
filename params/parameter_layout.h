#pragma once

// Byte positions of the unit's 100-byte parameter memory. Settings that exist once per setting set
// have an A and a B position; the B value always sits at its own fixed index.
//
// Units of the stored values: speeds in hundreds of RPM, advances in degrees, clutch time in 5 ms,
// clutch pause and start-limiter delay in 100 ms, PWM in tens of percent.
namespace ParamIndex
{

inline constexpr int kBike = 0; // keying type code
inline constexpr int kPointCountA = 1; // used points of curve A, 2..15
inline constexpr int kPointCountB = 2;
inline constexpr int kBaseAdvance = 3; // degrees, 0..40
inline constexpr int kStartLimiterA = 4; // never above the hard limiter of the same set
inline constexpr int kStartLimiterB = 5;
inline constexpr int kHardLimiterA = 6;
inline constexpr int kHardLimiterB = 7;
inline constexpr int kPolarity = 8; // 0 positive, 1 negative, 2 self-search
inline constexpr int kIgnitionsPerRev = 9; // 1..3 per revolution, 0 one per two revolutions
inline constexpr int kShiftLightA = 10; // gear-shift light switching speed
inline constexpr int kShiftLightB = 11;
inline constexpr int kClutchTimeA = 12; // units of 5 ms
inline constexpr int kClutchTimeB = 13;
inline constexpr int kClutchPauseA = 14; // units of 100 ms
inline constexpr int kClutchPauseB = 15;
inline constexpr int kInput1 = 16; // 0 off, 1 kill switch, 2 clutch master, 3 curve B, 4 start limiter
inline constexpr int kInput2 = 17; // 0 off, 1 blocking, 2 clutch master, 3 curve B, 4 start limiter
inline constexpr int kNoReading = 18; // 1: the unit refuses to be read
inline constexpr int kTachoPulses = 19; // pulses per revolution 0..6, or kTachoPickup
inline constexpr int kTachoCorrection = 20; // percent + kTachoCorrectionOffset
inline constexpr int kPowerOut = 21; // function code × 2 + reverse-logic bit
inline constexpr int kActiveSet = 22; // 0 A, 1 B, 2 monitor, 3 A=B
inline constexpr int kShiftLightPwm = 23; // tens of percent, 1..10
inline constexpr int kSoftLimiterA = 24;
inline constexpr int kSoftLimiterB = 25;
inline constexpr int kSparkBeforeLobe = 26;
inline constexpr int kStartAdvancePercent = 27; // lower advance at start, percent
inline constexpr int kFourStroke = 28;
inline constexpr int kSyncPolarity = 29; // 0 both, 1 positive only, 2 negative only
inline constexpr int kSpeedsA = 30; // 15 curve point speeds, strictly increasing
inline constexpr int kSpeedsB = 45;
inline constexpr int kAdvancesA = 60; // 15 curve point advances, degrees 0..60
inline constexpr int kAdvancesB = 75;
inline constexpr int kTestSpeed = 90; // engine speed of the "Rpm" test
inline constexpr int kNoLobeCheck = 91;
inline constexpr int kMaxLobeLength = 92; // milliseconds, 1..250
inline constexpr int kStartLimiterDelayA = 93; // units of 100 ms
inline constexpr int kStartLimiterDelayB = 94;
inline constexpr int kFirstUnused = 95; // 95..99 hold whatever was read or loaded

} // namespace ParamIndex

namespace ParamValue
{

inline constexpr int kCurvePoints = 15;
inline constexpr int kMinPointCount = 2;

inline constexpr int kActiveSetA = 0;
inline constexpr int kActiveSetB = 1;
inline constexpr int kActiveSetMonitor = 2;
inline constexpr int kActiveSetAEqualsB = 3;

inline constexpr int kTachoPickup = 255;
inline constexpr int kTachoCorrectionOffset = 100;

inline constexpr int kPolarityPositive = 0;
inline constexpr int kPolarityNegative = 1;
inline constexpr int kPolaritySelfSearch = 2;

inline constexpr int kPowerOutShiftLight = 0;
inline constexpr int kPowerOutOff = 1;
inline constexpr int kPowerOutFuelPump = 2;

inline constexpr int kInputStartLimiter = 4;
inline constexpr int kInputClutchMaster = 2;

} // namespace ParamValue
