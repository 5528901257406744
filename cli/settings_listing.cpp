#include "cli/settings_listing.h"

#include "params/parameter_layout.h"

#include <QStringList>

#include <algorithm>

namespace {

// How a stored byte becomes the value the user reads.
enum class Shown { Plain, Rpm, Degrees, Ms5, Ms100, Pwm, Percent, Tacho, Correction };

struct SettingLine {
    const char* name;
    int index;
    Shown shown;
};

constexpr SettingLine kLines[] = {
    { "bike type", ParamIndex::kBike, Shown::Plain },
    { "base advance", ParamIndex::kBaseAdvance, Shown::Degrees },
    { "pickup polarity (0 positive, 1 negative, 2 self-search)", ParamIndex::kPolarity, Shown::Plain },
    { "ignitions per revolution (0: one per two)", ParamIndex::kIgnitionsPerRev, Shown::Plain },
    { "input 1 (0 off, 1 kill switch, 2 clutch master, 3 curve B, 4 start limiter)", ParamIndex::kInput1, Shown::Plain },
    { "input 2 (0 off, 1 blocking, 2 clutch master, 3 curve B, 4 start limiter)", ParamIndex::kInput2, Shown::Plain },
    { "no reading", ParamIndex::kNoReading, Shown::Plain },
    { "tacho pulses per revolution", ParamIndex::kTachoPulses, Shown::Tacho },
    { "tacho correction", ParamIndex::kTachoCorrection, Shown::Correction },
    { "power output (function x 2 + reverse logic)", ParamIndex::kPowerOut, Shown::Plain },
    { "active set (0 A, 1 B, 2 monitor, 3 A=B)", ParamIndex::kActiveSet, Shown::Plain },
    { "shift light PWM", ParamIndex::kShiftLightPwm, Shown::Pwm },
    { "spark before lobe", ParamIndex::kSparkBeforeLobe, Shown::Plain },
    { "start advance", ParamIndex::kStartAdvancePercent, Shown::Percent },
    { "four stroke", ParamIndex::kFourStroke, Shown::Plain },
    { "sync polarity (0 both, 1 positive, 2 negative)", ParamIndex::kSyncPolarity, Shown::Plain },
    { "test speed", ParamIndex::kTestSpeed, Shown::Rpm },
    { "no lobe check", ParamIndex::kNoLobeCheck, Shown::Plain },
    { "max lobe length", ParamIndex::kMaxLobeLength, Shown::Plain },
};

// Settings with an A and a B value.
struct PairLine {
    const char* name;
    int indexA;
    int indexB;
    Shown shown;
};

constexpr PairLine kPairs[] = {
    { "curve points", ParamIndex::kPointCountA, ParamIndex::kPointCountB, Shown::Plain },
    { "start limiter", ParamIndex::kStartLimiterA, ParamIndex::kStartLimiterB, Shown::Rpm },
    { "hard limiter", ParamIndex::kHardLimiterA, ParamIndex::kHardLimiterB, Shown::Rpm },
    { "soft limiter", ParamIndex::kSoftLimiterA, ParamIndex::kSoftLimiterB, Shown::Rpm },
    { "shift light", ParamIndex::kShiftLightA, ParamIndex::kShiftLightB, Shown::Rpm },
    { "clutch time", ParamIndex::kClutchTimeA, ParamIndex::kClutchTimeB, Shown::Ms5 },
    { "clutch pause", ParamIndex::kClutchPauseA, ParamIndex::kClutchPauseB, Shown::Ms100 },
    { "start limiter delay", ParamIndex::kStartLimiterDelayA, ParamIndex::kStartLimiterDelayB, Shown::Ms100 },
};

QString Value(int raw, Shown shown)
{
    switch (shown) {
    case Shown::Plain:
        return QString::number(raw);
    case Shown::Rpm:
        return QStringLiteral("%1 rpm").arg(raw * 100);
    case Shown::Degrees:
        return QStringLiteral("%1 deg").arg(raw);
    case Shown::Ms5:
        return QStringLiteral("%1 ms").arg(raw * 5);
    case Shown::Ms100:
        return QStringLiteral("%1 ms").arg(raw * 100);
    case Shown::Pwm:
        return QStringLiteral("%1 %").arg(raw * 10);
    case Shown::Percent:
        return QStringLiteral("%1 %").arg(raw);
    case Shown::Tacho:
        return raw == ParamValue::kTachoPickup ? QStringLiteral("pickup") : QString::number(raw);
    case Shown::Correction:
        return QStringLiteral("%1 %").arg(raw - ParamValue::kTachoCorrectionOffset);
    }
    return QString::number(raw);
}

} // namespace

QString ListSettings(const ParameterBlock& block)
{
    QStringList lines;
    for (const SettingLine& line : kLines)
        lines << QStringLiteral("%1: %2").arg(QLatin1String(line.name), Value(block[line.index], line.shown));
    for (const PairLine& line : kPairs) {
        lines << QStringLiteral("%1 A: %2").arg(QLatin1String(line.name), Value(block[line.indexA], line.shown));
        lines << QStringLiteral("%1 B: %2").arg(QLatin1String(line.name), Value(block[line.indexB], line.shown));
    }
    const struct {
        char set;
        int count;
        int speeds;
        int advances;
    } curves[] = { { 'A', ParamIndex::kPointCountA, ParamIndex::kSpeedsA, ParamIndex::kAdvancesA },
        { 'B', ParamIndex::kPointCountB, ParamIndex::kSpeedsB, ParamIndex::kAdvancesB } };
    for (const auto& curve : curves) {
        const int used = std::min<int>(block[curve.count], ParamValue::kCurvePoints);
        for (int point = 0; point < used; ++point)
            lines << QStringLiteral("curve %1 point %2: %3 -> %4")
                         .arg(QLatin1Char(curve.set))
                         .arg(point + 1)
                         .arg(Value(block[curve.speeds + point], Shown::Rpm), Value(block[curve.advances + point], Shown::Degrees));
    }
    lines << QStringLiteral("raw bytes:");
    for (int row = 0; row < ParameterBlock::kSize; row += 10) {
        QStringList bytes;
        for (int i = row; i < row + 10; ++i)
            bytes << QString::number(block[i]).rightJustified(3);
        lines << QStringLiteral("%1: %2").arg(row, 2).arg(bytes.join(QLatin1Char(' ')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
