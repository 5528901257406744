#include "params/parameter_file.h"

#include "params/parameter_text_scanner.h"

#include <array>
#include <string_view>

namespace
{

using namespace ParamIndex;
using ParamValue::kCurvePoints;

constexpr std::array<int, 7> kOlderVersions = { 19, 27, 33, 41, 46, 67, 92 };

// Format versions that changed what the file holds.
constexpr int kFirstWithRetard = 33; // old LIMITER lines carry start limiter and retard
constexpr int kLastWithSharedCurve = 67; // one speed row, curve B derived from A by the retard
constexpr int kFirstWithSetB = 92; // second values of the set-B settings

bool IsOlderVersion(std::int64_t version)
{
    for (const int known : kOlderVersions) {
        if (version == known)
            return true;
    }
    return false;
}

class BodyReader
{
public:
    BodyReader(ParameterTextScanner& scanner, ParameterBlock& block, int version)
        : m_scanner(scanner)
        , m_block(block)
        , m_version(version)
    {
    }

    void Run()
    {
        QByteArrayView word;
        // The settings end where the version texts begin: the unit's name and program texts that
        // follow are free text, and a word such as "AB" or "RPM" in them must not change a setting.
        while (m_scanner.NextWord(word) && word != "VERSIONS")
            Keyword(std::string_view(word.data(), static_cast<std::size_t>(word.size())));
        ConvertOlderFormat();
    }

private:
    // The next number as a byte value: number ÷ factor − offset, or 0 when that does not fit a byte.
    // Empty when there is no number.
    std::optional<std::uint8_t> Value(int factor, int offset = 0)
    {
        const auto number = m_scanner.NextNumber();
        if (!number)
            return std::nullopt;
        const std::int64_t stored = *number / factor - offset;
        return static_cast<std::uint8_t>(stored < 0 || stored > 255 ? 0 : stored);
    }

    void Store(int index, int factor = 1, int offset = 0)
    {
        if (const auto value = Value(factor, offset))
            m_block[index] = *value;
    }

    void StoreCurve(int first, int factor)
    {
        for (int k = 0; k < kCurvePoints; ++k)
            Store(first + k, factor);
    }

    bool HasSetB() const { return m_version >= kFirstWithSetB; }

    void Keyword(std::string_view keyword)
    {
        if (keyword == "BIKE") {
            Store(kBike);
            SetDefaults(m_block);
        } else if (keyword == "AB") {
            Store(kActiveSet);
        } else if (keyword == "POCET_BODU") {
            Store(kPointCountA);
            if (HasSetB())
                Store(kPointCountB);
        } else if (keyword == "RPM_ADV_A" || keyword == "RPM_ADV") {
            StoreCurve(kSpeedsA, 100);
        } else if (keyword == "ADVANCE_A" || keyword == "ADVANCE") {
            StoreCurve(kAdvancesA, 1);
        } else if (keyword == "RPM_ADV_B") {
            StoreCurve(kSpeedsB, 100);
        } else if (keyword == "ADVANCE_B") {
            StoreCurve(kAdvancesB, 1);
        } else if (keyword == "BASE_ADV") {
            Store(kBaseAdvance);
        } else if (keyword == "LIMITER") {
            Limiter();
        } else if (keyword == "START_LIMITER_DELAY") {
            Store(kStartLimiterDelayA, 100);
            Store(kStartLimiterDelayB, 100);
        } else if (keyword == "SOFT_LIMITER") {
            Store(kSoftLimiterA, 100);
            Store(kSoftLimiterB, 100);
        } else if (keyword == "POLARITA") {
            Store(kPolarity);
        } else if (keyword == "GEBER_NR") {
            Store(kIgnitionsPerRev);
        } else if (keyword == "PILOT_LIGHT") {
            Store(kShiftLightA, 100);
            if (HasSetB())
                Store(kShiftLightB, 100);
        } else if (keyword == "PILOT_LIGHT_PWM") {
            Store(kShiftLightPwm, 10);
        } else if (keyword == "POUT") {
            if (const auto function = Value(1))
                m_block[kPowerOut] = static_cast<std::uint8_t>((*function << 1) | (m_block[kPowerOut] & 1));
        } else if (keyword == "REV_OUT_PILOT_LIGHT") {
            if (const auto reverse = Value(1))
                m_block[kPowerOut]
                    = static_cast<std::uint8_t>((m_block[kPowerOut] & ~1) | (*reverse != 0 ? 1 : 0));
        } else if (keyword == "CLUTCH") {
            Store(kClutchTimeA, 5);
            Store(kClutchPauseA, 100);
            if (HasSetB()) {
                Store(kClutchTimeB, 5);
                Store(kClutchPauseB, 100);
            }
        } else if (keyword == "SPARK_BEFORE_LOBE") {
            Store(kSparkBeforeLobe);
        } else if (keyword == "SPECIAL_START_PERC") {
            Store(kStartAdvancePercent);
        } else if (keyword == "FOUR_STROKE") {
            Store(kFourStroke);
        } else if (keyword == "NO_LOBE_CHECK") {
            Store(kNoLobeCheck);
        } else if (keyword == "MAX_LOBE_LEN") {
            Store(kMaxLobeLength);
        } else if (keyword == "SYNC_POLARITY") {
            Store(kSyncPolarity);
        } else if (keyword == "NO_READING") {
            Store(kNoReading);
        } else if (keyword == "RPM") {
            Store(kTachoPulses);
            Store(kTachoCorrection, 1, -ParamValue::kTachoCorrectionOffset);
        } else if (keyword == "INPUT") {
            Store(kInput1);
            Store(kInput2);
        } else if (keyword == "TEST") {
            Store(kTestSpeed, 100);
        }
    }

    void Limiter()
    {
        if (HasSetB()) {
            Store(kStartLimiterA, 100);
            Store(kHardLimiterA, 100);
            Store(kStartLimiterB, 100);
            Store(kHardLimiterB, 100);
            return;
        }
        // Older files hold set A only, in hundreds of RPM, with the retard of curve B last.
        if (m_version >= kFirstWithRetard)
            Store(kStartLimiterA);
        Store(kHardLimiterA);
        if (m_block[kStartLimiterA] > m_block[kHardLimiterA])
            m_block[kStartLimiterA] = m_block[kHardLimiterA];
        if (m_version >= kFirstWithRetard) {
            if (const auto retard = m_scanner.NextNumber())
                m_retard = static_cast<int>(*retard % 256);
        }
    }

    void ConvertOlderFormat()
    {
        if (m_version == kParameterFileVersion)
            return;
        // Before the soft limiter existed, the unit cut at the hard limiter.
        m_block[kSoftLimiterA] = m_block[kHardLimiterA];
        m_block[kSoftLimiterB] = m_block[kHardLimiterB];
        if (m_version > kLastWithSharedCurve)
            return;
        // Curve B was curve A retarded by a fixed number of degrees; what would fall below zero
        // wraps past 128 and becomes 0.
        for (int k = 0; k < kCurvePoints; ++k) {
            m_block[kSpeedsB + k] = m_block[kSpeedsA + k];
            const auto retarded = static_cast<std::uint8_t>(m_block[kAdvancesA + k] - m_retard);
            m_block[kAdvancesB + k] = retarded > 128 ? 0 : retarded;
        }
        m_block[kPointCountB] = m_block[kPointCountA];
        m_block[kSoftLimiterB] = m_block[kSoftLimiterA];
        m_block[kStartLimiterB] = m_block[kStartLimiterA];
        m_block[kHardLimiterB] = m_block[kHardLimiterA];
        m_block[kShiftLightB] = m_block[kShiftLightA];
        m_block[kClutchTimeB] = m_block[kClutchTimeA];
        m_block[kClutchPauseB] = m_block[kClutchPauseA];
        m_block[kActiveSet] = ParamValue::kActiveSetA;
    }

    ParameterTextScanner& m_scanner;
    ParameterBlock& m_block;
    const int m_version;
    int m_retard = 0; // degrees of curve B below curve A in old files
};

} // namespace

ParameterFileResult ReadParameterFile(QByteArrayView text, ParameterBlock& block)
{
    ParameterTextScanner scanner(text);
    QByteArrayView word;
    do {
        if (!scanner.NextWord(word))
            return { ParameterFileStatus::NoHeader, 0 };
    } while (word != "KORDANEX_KEY");

    const auto number = scanner.NextNumber();
    ParameterFileResult result;
    if (number && *number == kParameterFileVersion)
        result = { ParameterFileStatus::Current, kParameterFileVersion };
    else if (number && IsOlderVersion(*number))
        result = { ParameterFileStatus::Older, static_cast<int>(*number) };
    else
        return { ParameterFileStatus::Unmatched, 0 };

    BodyReader(scanner, block, result.version).Run();
    return result;
}

ParameterFileMessage MessageFor(const ParameterFileResult& result)
{
    switch (result.status) {
    case ParameterFileStatus::Older:
        return ParameterFileMessage::OlderVersion;
    case ParameterFileStatus::Unmatched:
        return ParameterFileMessage::UnmatchedVersion;
    case ParameterFileStatus::CannotOpen:
    case ParameterFileStatus::TooLarge:
    case ParameterFileStatus::ReadError:
        return ParameterFileMessage::OpenFileError;
    case ParameterFileStatus::Current:
    case ParameterFileStatus::NoHeader:
        break;
    }
    return ParameterFileMessage::None;
}
