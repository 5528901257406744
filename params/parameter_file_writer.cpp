#include "params/parameter_file.h"

#include "platform/text_1250.h"

#include <cstdio>
#include <initializer_list>

namespace
{

using namespace ParamIndex;
using ParamValue::kCurvePoints;

// Longest text of the HEX and UNIT_INFORMATION lines, in bytes of the code page.
constexpr qsizetype kMaxTextLength = 8190;

constexpr int kMinKeywordWidth = 15;

// Values start in a column that is a multiple of six plus three, so that keyword lines of different
// lengths keep their numbers aligned in groups.
int KeywordWidth(qsizetype keywordLength)
{
    const int width = (static_cast<int>(keywordLength) - 2) / 6 * 6 + 9;
    return width < kMinKeywordWidth ? kMinKeywordWidth : width;
}

QByteArray Padded(const char* keyword)
{
    const QByteArray text(keyword);
    return text.leftJustified(KeywordWidth(text.size()), ' ');
}

QByteArray Number(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%5i ", value);
    return QByteArray(buffer);
}

QByteArray Text(const QString& text)
{
    return ToWindows1250(text).left(kMaxTextLength);
}

class FileBuilder
{
public:
    void Line(const QByteArray& text)
    {
        if (!m_out.isEmpty())
            m_out.append("\r\n");
        m_out.append(text);
    }

    void Keyword(const char* keyword, std::initializer_list<int> values)
    {
        QByteArray line = Padded(keyword);
        for (const int value : values)
            line.append(Number(value));
        Line(line);
    }

    // Fifteen curve values starting at `first`, each times `factor`.
    void Curve(const char* keyword, const ParameterBlock& block, int first, int factor)
    {
        QByteArray line = Padded(keyword);
        for (int k = 0; k < kCurvePoints; ++k)
            line.append(Number(block[first + k] * factor));
        Line(line);
    }

    QByteArray Result() const { return m_out; }

private:
    QByteArray m_out;
};

} // namespace

QByteArray WriteParameterFile(const ParameterBlock& b, const ParameterFileInfo& info)
{
    FileBuilder file;
    file.Line(Padded("KORDANEX_KEY") + Number(kParameterFileVersion) + Text(info.productKey) + "/"
        + Text(info.exeName));
    file.Line(QByteArray(kMinKeywordWidth, ' '));

    // BIKE comes first: reading it resets everything to the bike's defaults.
    file.Keyword("BIKE", { b[kBike] });
    file.Keyword("AB", { b[kActiveSet] });
    file.Keyword("POCET_BODU", { b[kPointCountA], b[kPointCountB] });
    file.Curve("RPM_ADV_A", b, kSpeedsA, 100);
    file.Curve("ADVANCE_A", b, kAdvancesA, 1);
    file.Curve("RPM_ADV_B", b, kSpeedsB, 100);
    file.Curve("ADVANCE_B", b, kAdvancesB, 1);
    file.Keyword("BASE_ADV", { b[kBaseAdvance] });
    file.Keyword("LIMITER",
        { b[kStartLimiterA] * 100, b[kHardLimiterA] * 100, b[kStartLimiterB] * 100, b[kHardLimiterB] * 100 });
    file.Keyword("START_LIMITER_DELAY", { b[kStartLimiterDelayA] * 100, b[kStartLimiterDelayB] * 100 });
    file.Keyword("SOFT_LIMITER", { b[kSoftLimiterA] * 100, b[kSoftLimiterB] * 100 });
    file.Keyword("POLARITA", { b[kPolarity] });
    file.Keyword("GEBER_NR", { b[kIgnitionsPerRev] });
    file.Keyword("PILOT_LIGHT", { b[kShiftLightA] * 100, b[kShiftLightB] * 100 });
    file.Keyword("PILOT_LIGHT_PWM", { b[kShiftLightPwm] * 10 });
    file.Keyword("POUT", { b[kPowerOut] >> 1 });
    file.Keyword("REV_OUT_PILOT_LIGHT", { b[kPowerOut] & 1 });
    file.Keyword("CLUTCH",
        { b[kClutchTimeA] * 5, b[kClutchPauseA] * 100, b[kClutchTimeB] * 5, b[kClutchPauseB] * 100 });
    file.Keyword("SPARK_BEFORE_LOBE", { b[kSparkBeforeLobe] });
    file.Keyword("SPECIAL_START_PERC", { b[kStartAdvancePercent] });
    file.Keyword("FOUR_STROKE", { b[kFourStroke] });
    file.Keyword("NO_LOBE_CHECK", { b[kNoLobeCheck] });
    file.Keyword("MAX_LOBE_LEN", { b[kMaxLobeLength] });
    file.Keyword("SYNC_POLARITY", { b[kSyncPolarity] });
    file.Keyword("NO_READING", { b[kNoReading] });
    file.Keyword("RPM", { b[kTachoPulses], b[kTachoCorrection] - ParamValue::kTachoCorrectionOffset });
    file.Keyword("INPUT", { b[kInput1], b[kInput2] });
    file.Keyword("TEST", { b[kTestSpeed] * 100 });

    file.Line(Padded("VERSIONS"));
    file.Line("HEX  " + Text(info.unitProgramDate) + '\t' + Text(info.unitProgramTime) + '\t'
        + Text(info.unitProgramVersion));
    file.Line("EXE  " + Text(info.buildDate) + '\t' + Text(info.buildTime));
    file.Line(QByteArray(kMinKeywordWidth, ' '));

    const auto& unit = info.unitInformation;
    QByteArray unitLine = "UNIT_INFORMATION  " + Text(unit[0]) + "   " + Text(unit[1]) + "   ("
        + Text(unit[2]) + ")   " + Text(unit[3]) + "   " + Text(unit[4]);
    if (info.powerSource == 0)
        unitLine += "POWER_SOURCE\tDC(BATTERY)";
    else if (info.powerSource == 1)
        unitLine += "POWER_SOURCE\tAC(FLYWHEEL)";
    file.Line(unitLine);
    return file.Result();
}
