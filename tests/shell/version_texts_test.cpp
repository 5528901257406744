#include "shell/version_texts.h"

#include "platform/text_1250.h"
#include "shell/language.h"
#include "shell/message_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <utility>

namespace
{

using Info = std::array<uint8_t, kUnitInfoSize>;
using Patch = std::initializer_list<std::pair<int, uint8_t>>;

// A unit program "XYZ07" built on 5 April 2025 at 09:03, with nothing else in its information block.
Info PlainInfo()
{
    Info info {};
    const uint8_t head[] = { 'X', 'Y', 'Z', 7, 5, 35, 25, 9, 3 };
    std::memcpy(info.data(), head, sizeof head);
    return info;
}

Info With(Patch patch)
{
    Info info = PlainInfo();
    for (const auto& [index, value] : patch)
        info[index] = value;
    return info;
}

// --- Build date ---------------------------------------------------------------------------------

struct BuildDateCase {
    const char* name;
    const char* compileDate;
    const char* expected;
};

void PrintTo(const BuildDateCase& row, std::ostream* out)
{
    *out << row.name;
}

class BuildDateCases : public ::testing::TestWithParam<BuildDateCase>
{
};

TEST_P(BuildDateCases, GiveYearMonthDay)
{
    const BuildDateCase& c = GetParam();
    if (!c.compileDate) {
        EXPECT_EQ(BuildDateText(nullptr), QString::fromLatin1(c.expected));
        return;
    }
    // An exact-size heap copy: reading past the text's end would be caught by the address sanitizer.
    const std::size_t size = std::strlen(c.compileDate) + 1;
    auto copy = std::make_unique<char[]>(size);
    std::memcpy(copy.get(), c.compileDate, size);
    EXPECT_EQ(BuildDateText(copy.get()), QString::fromLatin1(c.expected));
}

const BuildDateCase kBuildDateCases[] = {
    { "TwoDigitDay", "Apr 24 2025", "2025_04_24" },
    { "BlankPaddedDay", "Jan  5 2024", "2024_01_05" },
    { "DayNineStillPadded", "Sep  9 2030", "2030_09_09" },
    { "DayTenNotPadded", "Dec 10 1999", "1999_12_10" },
    { "MayIsNotMar", "May 31 2026", "2026_05_31" },
    { "Empty", "", "0_00_00" },
    { "Null", nullptr, "0_00_00" },
    { "MonthOnly", "Apr", "0_04_00" },
    { "CutAfterDay", "Apr 24", "0_04_24" },
    { "UnknownMonth", "Foo 24 2025", "2025_00_24" },
};

INSTANTIATE_TEST_SUITE_P(CompileDates, BuildDateCases, ::testing::ValuesIn(kBuildDateCases),
    [](const ::testing::TestParamInfo<BuildDateCase>& row) { return std::string(row.param.name); });

TEST(PcVersionText, NamesProgramKeyAndBuildDate)
{
    VersionTexts texts("Apr 24 2025");
    texts.ParseBuildDate();
    texts.FormatPcVersion();
    EXPECT_EQ(texts.PcVersionText(), QStringLiteral("Velmor   RSKEY=109   COMPILE=2025_04_24"));
}

// --- Month codes --------------------------------------------------------------------------------

// The table must agree with the unit's rule: character codes of the abbreviation summed, modulo 64.
TEST(MonthText, DecodesEveryMonthOfTheUnitsEncoding)
{
    const char* months[]
        = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    for (int month = 1; month <= 12; ++month) {
        const char* name = months[month - 1];
        const int code = (name[0] + name[1] + name[2]) % 64;
        EXPECT_EQ(MonthText(static_cast<uint8_t>(code)), QString::asprintf("%2d", month)) << name;
    }
    for (int code : { 0, 1, 63, 64, 89, 255 })
        EXPECT_EQ(MonthText(static_cast<uint8_t>(code)), QStringLiteral("00")) << code;
}

// --- Information block --------------------------------------------------------------------------

struct InfoCase {
    const char* name;
    Patch patch;
    QString UnitInfoTexts::*field;
    const char* expected; // UTF-8
};

void PrintTo(const InfoCase& row, std::ostream* out)
{
    *out << row.name;
}

class UnitInfoCases : public ::testing::TestWithParam<InfoCase>
{
};

TEST_P(UnitInfoCases, GiveTheText)
{
    const InfoCase& c = GetParam();
    const UnitInfoTexts texts = FormatUnitInfoTexts(With(c.patch), QTimeZone::utc());
    EXPECT_EQ(texts.*(c.field), QString::fromUtf8(c.expected));
}

// 1 700 000 000 s = 14 Nov 2023 22:13:20 UTC = 0x6553F100: its lowest byte is 0.
constexpr Patch kUpdateTime = { { 35, 0x00 }, { 36, 0xF1 }, { 37, 0x53 }, { 38, 0x65 } };

const InfoCase kInfoCases[] = {
    { "Name", {}, &UnitInfoTexts::name, "XYZ07" },
    { "DateBlankPaddedDayAndMonth", {}, &UnitInfoTexts::date, " 5. 4.2025" },
    { "Time", {}, &UnitInfoTexts::time, "09:03" },
    { "UnknownMonthCode", { { 5, 0 } }, &UnitInfoTexts::date, " 5.00.2025" },
    { "TwoDigitDayAndMonth", { { 4, 24 }, { 5, 12 } }, &UnitInfoTexts::date, "24.12.2025" },
    { "NameNumberOverNinetyNineShownWhole", { { 3, 123 } }, &UnitInfoTexts::name, "XYZ123" },
    { "NameCharactersAreWindows1250", { { 0, 0xE8 } }, &UnitInfoTexts::name, "čYZ07" },
    { "LongNameReplacesShortOne", { { 16, 'T' }, { 17, 'X' }, { 18, '-' }, { 19, '3' } },
        &UnitInfoTexts::name, "TX-3" },

    { "SerialNumber",
        { { 39, 0x1A }, { 40, 12 }, { 41, 3 }, { 42, 4 }, { 43, 5 }, { 44, 6 }, { 45, 7 }, { 46, 8 } },
        &UnitInfoTexts::serialNumber, "080706-050403-0121a" },
    { "SerialNumberNone", { { 39, 5 }, { 46, 255 } }, &UnitInfoTexts::serialNumber, "none SN" },
    { "SerialAbsentByZero", { { 39, 0 }, { 46, 255 } }, &UnitInfoTexts::serialNumber, "" },
    { "SerialAbsentByErased", { { 39, 255 }, { 46, 8 } }, &UnitInfoTexts::serialNumber, "" },

    { "OptionsGapBetween", { { 47, 'A' }, { 48, 255 }, { 49, 'C' } }, &UnitInfoTexts::options, "A~C" },
    { "OptionsGapBefore", { { 47, 255 }, { 48, 'B' }, { 49, 0 } }, &UnitInfoTexts::options, "~B" },
    { "OptionsNone", {}, &UnitInfoTexts::options, "" },
    { "OptionsGapsAtEndWriteNothing", { { 47, 'A' }, { 48, 0 }, { 49, 255 } }, &UnitInfoTexts::options, "A" },
    { "OptionsAllThree", { { 47, 'A' }, { 48, 'B' }, { 49, 'C' } }, &UnitInfoTexts::options, "ABC" },

    { "UpdateCodePlus", { { 31, 0xC1 }, { 32, 3 }, { 33, 2 }, { 34, 25 } }, &UnitInfoTexts::updateCode,
        "250203A+XYZ07" },
    { "UpdateCodeUnderscore", { { 31, 0x41 }, { 32, 3 }, { 33, 2 }, { 34, 25 } }, &UnitInfoTexts::updateCode,
        "250203A_XYZ07" },
    { "UpdateCodeWithoutNumbersIsName", { { 31, 0x41 }, { 34, 255 } }, &UnitInfoTexts::updateCode, "XYZ07" },
    { "UpdateCodeAbsentByZero", { { 31, 0 }, { 34, 25 } }, &UnitInfoTexts::updateCode, "" },
    { "UpdateCodeAbsentByErased", { { 31, 255 }, { 34, 25 } }, &UnitInfoTexts::updateCode, "" },

    { "LastUpdateNegativeCountIsError", { { 35, 1 }, { 36, 0 }, { 37, 0 }, { 38, 0x80 } },
        &UnitInfoTexts::lastUpdate, "error" },
    { "LastUpdateWithLowestByteZero", kUpdateTime, &UnitInfoTexts::lastUpdate,
        "(last update: 14.11.2023-22:13:20)" },
    { "LastUpdateWithLowestByteErased", { { 35, 0xFF }, { 36, 0xF0 }, { 37, 0x53 }, { 38, 0x65 } },
        &UnitInfoTexts::lastUpdate, "(last update: 14.11.2023-22:13:19)" },
    { "LastUpdateAbsentAllZero", {}, &UnitInfoTexts::lastUpdate, "" },
    { "LastUpdateAbsentAllErased", { { 35, 255 }, { 36, 255 }, { 37, 255 }, { 38, 255 } },
        &UnitInfoTexts::lastUpdate, "" },
};

INSTANTIATE_TEST_SUITE_P(InformationBlocks, UnitInfoCases, ::testing::ValuesIn(kInfoCases),
    [](const ::testing::TestParamInfo<InfoCase>& row) { return std::string(row.param.name); });

TEST(UnitInfo, LastUpdateIsShownInTheGivenZone)
{
    Info info = With(kUpdateTime);
    const UnitInfoTexts texts = FormatUnitInfoTexts(info, QTimeZone(2 * 3600));
    EXPECT_EQ(texts.lastUpdate, QStringLiteral("(last update: 15.11.2023-00:13:20)"));
}

TEST(UnitInfo, UnterminatedLongNameStopsAfterThirtyBytes)
{
    Info info = PlainInfo();
    std::memset(info.data() + 16, 'N', 30);
    info[46] = 'Q';
    info[47] = 'R';
    EXPECT_EQ(FormatUnitInfoTexts(info, QTimeZone::utc()).name, QString(30, QLatin1Char('N')));
}

TEST(UnitInfo, LongNameIsWindows1250AndEndsAtItsZero)
{
    Info info = PlainInfo();
    const QByteArray name = ToWindows1250(u"Zapalování 2");
    std::memcpy(info.data() + 16, name.constData(), static_cast<std::size_t>(name.size()));
    info[16 + name.size() + 1] = 'J'; // after the terminating zero: not part of the name
    EXPECT_EQ(FormatUnitInfoTexts(info, QTimeZone::utc()).name, QString::fromUtf8("Zapalování 2"));
}

// --- Version state and the unit version text ----------------------------------------------------

class UnitVersion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RebuildMessageTable(kEnglish);
        m_texts.ParseBuildDate();
        m_texts.FormatPcVersion();
    }
    void TearDown() override { RebuildMessageTable(kEnglish); }

    QString Refreshed()
    {
        m_texts.FormatUnitVersion();
        return m_texts.UnitVersionText();
    }

    VersionTexts m_texts { "Apr 24 2025", QTimeZone::utc() };
};

TEST_F(UnitVersion, NotConnectedUntilTheMonitorAnswers)
{
    EXPECT_EQ(m_texts.State(), UnitVersionState::NotConnected);
    EXPECT_EQ(Refreshed(), QStringLiteral("not connected"));
    m_texts.FormatUnitInfo(PlainInfo()); // an information block alone does not connect
    EXPECT_EQ(Refreshed(), QStringLiteral("not connected"));
}

TEST_F(UnitVersion, MatchedShowsNameDateAndTime)
{
    m_texts.FormatUnitInfo(PlainInfo());
    m_texts.SetUnitVersion(kRsKey);
    EXPECT_EQ(m_texts.State(), UnitVersionState::Matched);
    EXPECT_EQ(Refreshed(), QStringLiteral("XYZ07    5. 4.2025   09:03"));
}

TEST_F(UnitVersion, MatchedWithUpdateCodeShowsCodeSerialLastUpdateAndOptions)
{
    Info info = With({ { 31, 0xC1 }, { 32, 3 }, { 33, 2 }, { 34, 25 }, { 39, 0x1A }, { 40, 12 }, { 41, 3 },
        { 42, 4 }, { 43, 5 }, { 44, 6 }, { 45, 7 }, { 46, 8 }, { 35, 0x00 }, { 36, 0xF1 }, { 37, 0x53 },
        { 38, 0x65 }, { 47, 'A' }, { 48, 255 }, { 49, 'C' } });
    m_texts.FormatUnitInfo(info);
    m_texts.SetUnitVersion(kRsKey);
    EXPECT_EQ(Refreshed(),
        QStringLiteral(
            "250203A+XYZ07   RSKEY=109   (080706-050403-0121a)   (last update: 14.11.2023-22:13:20)   A~C"));
}

TEST_F(UnitVersion, UpdateCodeWithoutNumbersStillTakesTheLongForm)
{
    m_texts.FormatUnitInfo(With({ { 31, 0x41 }, { 34, 255 } }));
    m_texts.SetUnitVersion(kRsKey);
    EXPECT_EQ(Refreshed(), QStringLiteral("XYZ07   RSKEY=109   ()      "));
}

TEST_F(UnitVersion, PercentSignsInUnitTextsAreShownAsTheyAre)
{
    m_texts.FormatUnitInfo(
        With({ { 16, '%' }, { 17, '1' }, { 18, '%' }, { 19, '2' }, { 31, 0x41 }, { 34, 255 }, { 47, 'Z' } }));
    m_texts.SetUnitVersion(kRsKey);
    EXPECT_EQ(Refreshed(), QStringLiteral("%1%2   RSKEY=109   ()      Z"));
}

TEST_F(UnitVersion, UnmatchedNamesBothVersionsInTheMessageTablesLanguage)
{
    m_texts.FormatUnitInfo(PlainInfo());
    m_texts.SetUnitVersion(108);
    EXPECT_EQ(m_texts.State(), UnitVersionState::Unmatched);
    EXPECT_EQ(Refreshed(), QStringLiteral("Unmatched version of PC and Ignition programs!  PC-109, IGN-108"));

    RebuildMessageTable(kGerman);
    EXPECT_EQ(Refreshed(),
        QString::fromUtf8(
            "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!  PC-109, IGN-108"));
}

TEST_F(UnitVersion, LosingTheLinkForgetsTheVersionButKeepsTheUnitTexts)
{
    m_texts.FormatUnitInfo(PlainInfo());
    m_texts.SetUnitVersion(kRsKey);
    ASSERT_NE(Refreshed(), QStringLiteral("not connected"));

    m_texts.ParseBuildDate();
    EXPECT_EQ(m_texts.State(), UnitVersionState::NotConnected);
    EXPECT_EQ(Refreshed(), QStringLiteral("not connected"));
    EXPECT_EQ(m_texts.UnitInfo().name, QStringLiteral("XYZ07"));
    EXPECT_EQ(m_texts.BuildDate(), QStringLiteral("2025_04_24"));

    // A later answer with the same unit shows it again without a new information block.
    m_texts.SetUnitVersion(kRsKey);
    EXPECT_EQ(Refreshed(), QStringLiteral("XYZ07    5. 4.2025   09:03"));
}

} // namespace
