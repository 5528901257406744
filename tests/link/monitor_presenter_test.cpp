// The monitor panel computed from a monitor block, and the monitor request and key.

#include "link/monitor_block.h"
#include "link/monitor_presenter.h"
#include "params/parameter_layout.h"
#include "shell/language.h"
#include "shell/message_table.h"

#include <gtest/gtest.h>

namespace
{

class MonitorPresenterTest : public ::testing::Test
{
protected:
    void SetUp() override { UseLanguage(kEnglish); }
    void TearDown() override { UseLanguage(kEnglish); }

    static void UseLanguage(int language)
    {
        SetCurrentLanguage(language);
        RebuildMessageTable(language);
    }

    void SetByte(int offset, int value) { m_block[static_cast<std::size_t>(offset)] = static_cast<uint8_t>(value); }
    void SetWord(int offset, int value)
    {
        SetByte(offset, value & 0xFF);
        SetByte(offset + 1, (value >> 8) & 0xFF);
    }

    MonitorView Present(bool live = true)
    {
        MonitorRecord record;
        record.SetBlock(m_block);
        return PresentMonitor(record, parameters, live);
    }

    ParameterBlock parameters;

private:
    std::array<uint8_t, kMonitorBlockSize> m_block {};
};

struct VoltageCase {
    const char* name;
    int millivolts;
    const char* text;
    MonitorColour colour;
};

class MonitorVoltageTest : public MonitorPresenterTest, public ::testing::WithParamInterface<VoltageCase>
{
};

TEST_P(MonitorVoltageTest, VoltageIsColouredByItsBand)
{
    SetWord(MonitorOffset::kMillivolts, GetParam().millivolts);
    const MonitorLabel label = Present()[MonitorLabelId::Napeti];
    EXPECT_EQ(label.text, QString::fromLatin1(GetParam().text));
    EXPECT_EQ(label.background, GetParam().colour);
    EXPECT_STREQ(label.name, "LabelNapeti");
}

INSTANTIATE_TEST_SUITE_P(Bands, MonitorVoltageTest,
    ::testing::Values(VoltageCase { "Normal", 13800, "U = 13.8 V", MonitorColour::Normal },
        VoltageCase { "Low", 9000, "U =  9.0 V", MonitorColour::Yellow },
        VoltageCase { "TooLow", 6000, "U =  6.0 V", MonitorColour::Red },
        VoltageCase { "NormalBandExcludesItsLowEdge", 11000, "U = 11.0 V", MonitorColour::Yellow },
        VoltageCase { "NormalBandExcludesItsHighEdge", 14999, "U = 15.0 V", MonitorColour::Yellow },
        VoltageCase { "WarningBandExcludesItsLowEdge", 7000, "U =  7.0 V", MonitorColour::Red },
        VoltageCase { "WarningBandExcludesItsHighEdge", 17999, "U = 18.0 V", MonitorColour::Red }),
    [](const ::testing::TestParamInfo<VoltageCase>& param) { return std::string(param.param.name); });

TEST_F(MonitorPresenterTest, AdvanceAtItsLargestValueIsMarkedYellow)
{
    SetByte(MonitorOffset::kPickupSignal, 1);
    SetByte(MonitorOffset::kAdvance, 112);
    SetByte(MonitorOffset::kMaxAdvance, 12);
    MonitorLabel label = Present()[MonitorLabelId::MonAdvance];
    EXPECT_EQ(label.text, QStringLiteral("Advance = 12\u00B0 /max 12\u00B0"));
    EXPECT_EQ(label.background, MonitorColour::Yellow);

    SetByte(MonitorOffset::kAdvance, 105);
    label = Present()[MonitorLabelId::MonAdvance];
    EXPECT_EQ(label.text, QStringLiteral("Advance = 5\u00B0 /max 12\u00B0"));
    EXPECT_EQ(label.background, MonitorColour::Normal);

    SetByte(MonitorOffset::kBasicAdvance, 1);
    EXPECT_EQ(Present()[MonitorLabelId::MonAdvance].text, QStringLiteral("Advance = Basic"));
}

struct SupplyCase {
    const char* name;
    int supplyByte;
    bool live;
    bool visible;
    const char* text;
    std::optional<int> kind;
};

class MonitorSupplyTest : public MonitorPresenterTest, public ::testing::WithParamInterface<SupplyCase>
{
};

TEST_P(MonitorSupplyTest, SupplyKindIsShownOnlyWhenTheUnitKnowsIt)
{
    SetByte(MonitorOffset::kSupply, GetParam().supplyByte);
    const MonitorView view = Present(GetParam().live);
    EXPECT_EQ(view[MonitorLabelId::DcAc].visible, GetParam().visible);
    if (GetParam().visible) {
        EXPECT_EQ(view[MonitorLabelId::DcAc].text, QString::fromLatin1(GetParam().text));
    }
    EXPECT_EQ(view.supplyKind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Supply, MonitorSupplyTest,
    ::testing::Values(SupplyCase { "Ac", 3, true, true, "(AC)", 1 }, SupplyCase { "Dc", 1, true, true, "(DC)", 0 },
        SupplyCase { "AcBitWithoutKnownBit", 2, true, false, "", -1 },
        SupplyCase { "NotLiveLeavesTheKindAlone", 3, false, false, "", std::nullopt }),
    [](const ::testing::TestParamInfo<SupplyCase>& param) { return std::string(param.param.name); });

TEST_F(MonitorPresenterTest, FunctionLabelsAreEnabledOnlyForConfiguredInputs)
{
    parameters[ParamIndex::kInput1] = 1; // kill switch
    parameters[ParamIndex::kInput2] = 0;
    SetByte(MonitorOffset::kKillSwitch, 1);
    SetByte(MonitorOffset::kMotorOff, 1);
    SetByte(MonitorOffset::kInput1, 1);
    SetByte(MonitorOffset::kLimiter, 0);
    const MonitorView view = Present();

    EXPECT_TRUE(view[MonitorLabelId::KillSwitch].enabled);
    EXPECT_EQ(view[MonitorLabelId::KillSwitch].text, QStringLiteral("Kill switch = Yes"));
    EXPECT_EQ(view[MonitorLabelId::KillSwitch].background, MonitorColour::Red);

    const std::pair<MonitorLabelId, const char*> disabled[] = {
        { MonitorLabelId::Blocking, "Motor off = ---" },
        { MonitorLabelId::MonCurve, "Used curve = ---" },
        { MonitorLabelId::ClutchMon, "Clutch master = ---" },
        { MonitorLabelId::MonStartLimiterOut, "Start limiter = ---" },
    };
    for (const auto& [id, text] : disabled) {
        EXPECT_FALSE(view[id].enabled) << text;
        EXPECT_EQ(view[id].text, QString::fromLatin1(text));
        EXPECT_EQ(view[id].background, MonitorColour::Normal) << text;
    }

    EXPECT_EQ(view[MonitorLabelId::MonInput1In].text, QStringLiteral("Input 1 to ground = Yes"));
    EXPECT_EQ(view[MonitorLabelId::MonInput1In].background, MonitorColour::Fuchsia);
    EXPECT_EQ(view[MonitorLabelId::MonHardLimiter].text, QStringLiteral("Limiter = No"));
    EXPECT_EQ(view[MonitorLabelId::MonHardLimiter].background, MonitorColour::Normal);
}

TEST_F(MonitorPresenterTest, CurveLabelNamesTheCurveInUse)
{
    parameters[ParamIndex::kInput2] = 3; // curve B switch
    SetByte(MonitorOffset::kCurveA, 0);
    MonitorView view = Present();
    EXPECT_EQ(view[MonitorLabelId::MonCurve].text, QStringLiteral("Used curve = B"));
    EXPECT_EQ(view[MonitorLabelId::MonCurve].background, MonitorColour::Yellow);
    EXPECT_EQ(view.activeCurve, 1);

    SetByte(MonitorOffset::kCurveA, 1);
    view = Present();
    EXPECT_EQ(view[MonitorLabelId::MonCurve].text, QStringLiteral("Used curve = A"));
    EXPECT_EQ(view[MonitorLabelId::MonCurve].background, MonitorColour::Normal);
    EXPECT_EQ(view.activeCurve, 0);
}

TEST_F(MonitorPresenterTest, EngineLabelsFollowThePickupSignal)
{
    SetWord(MonitorOffset::kRpm, 6000);
    SetByte(MonitorOffset::kPolarityMeasured, 1);
    SetByte(MonitorOffset::kPolarityAgrees, 0);
    MonitorView view = Present();
    EXPECT_EQ(view[MonitorLabelId::Snimac].text, QStringLiteral("Pick-up (CPS) -  no signal"));
    EXPECT_EQ(view[MonitorLabelId::PolaritaMer].text, QStringLiteral("Polarity of CKPS: ---"));
    EXPECT_EQ(view[MonitorLabelId::Rpm].text, QStringLiteral("RPM = 0 ")) << "no speed without a signal";

    SetByte(MonitorOffset::kPickupSignal, 1);
    view = Present();
    EXPECT_EQ(view[MonitorLabelId::Snimac].text, QStringLiteral("Pick-up (CPS) -  is running"));
    EXPECT_EQ(view[MonitorLabelId::Snimac].background, MonitorColour::Green);
    EXPECT_EQ(view[MonitorLabelId::PolaritaMer].text, QStringLiteral("Polarity of CKPS: Negative"));
    EXPECT_EQ(view[MonitorLabelId::PolaritaMer].background, MonitorColour::Red);
    EXPECT_EQ(view[MonitorLabelId::Rpm].text, QStringLiteral("RPM = 6000 "));
    EXPECT_EQ(view.engineSpeed, 6000);
}

struct RpmGaugeCase {
    const char* name;
    int rpm;
    int limiterA;
    int limiterB;
    int percent;
};

class MonitorRpmGaugeTest : public MonitorPresenterTest, public ::testing::WithParamInterface<RpmGaugeCase>
{
};

TEST_P(MonitorRpmGaugeTest, GaugeIsTheSpeedAgainstTheHigherHardLimiter)
{
    parameters[ParamIndex::kHardLimiterA] = static_cast<uint8_t>(GetParam().limiterA);
    parameters[ParamIndex::kHardLimiterB] = static_cast<uint8_t>(GetParam().limiterB);
    SetByte(MonitorOffset::kPickupSignal, 1);
    SetWord(MonitorOffset::kRpm, GetParam().rpm);
    EXPECT_EQ(Present().rpmGaugePercent, GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P(Gauge, MonitorRpmGaugeTest,
    ::testing::Values(RpmGaugeCase { "HigherLimiterCounts", 6000, 80, 120, 50 },
        RpmGaugeCase { "NoLimiterMeansTenThousand", 6000, 0, 0, 60 },
        RpmGaugeCase { "AboveTheLimiterStaysFull", 15000, 100, 0, 100 }),
    [](const ::testing::TestParamInfo<RpmGaugeCase>& param) { return std::string(param.param.name); });

TEST_F(MonitorPresenterTest, CountersShowHoursProgrammingsAndTestValues)
{
    SetByte(MonitorOffset::kHourMeterHigh, 1);
    SetWord(MonitorOffset::kHourMeterLow, 100); // 65636 minutes
    SetWord(MonitorOffset::kProgrammings, 42);
    SetWord(MonitorOffset::kTestValues + 14, 1234);
    SetByte(MonitorOffset::kDataError, 1);
    const MonitorView view = Present();
    EXPECT_EQ(view[MonitorLabelId::HourMeter].text, QStringLiteral("Hour meter = 1093:56 [h:mm]"));
    EXPECT_EQ(view[MonitorLabelId::PocetProgramovani].text, QStringLiteral("Number of Programing = 42"));
    EXPECT_EQ(view[MonitorLabelId::Test8].text, QStringLiteral("Test8 = 1234 "));
    EXPECT_EQ(view[MonitorLabelId::Test1].text, QStringLiteral("Test1 = 0 "));
    EXPECT_TRUE(view[MonitorLabelId::EeDataErr].visible);
}

TEST_F(MonitorPresenterTest, WithoutALiveSourceEveryLabelShowsDashes)
{
    SetWord(MonitorOffset::kMillivolts, 13000);
    SetByte(MonitorOffset::kPickupSignal, 1);
    SetWord(MonitorOffset::kRpm, 3000);
    SetByte(MonitorOffset::kLimiter, 1);
    SetByte(MonitorOffset::kDataError, 1);
    const MonitorView view = Present(false);

    const std::pair<MonitorLabelId, const char*> expected[] = {
        { MonitorLabelId::Napeti, "U = --- V" },
        { MonitorLabelId::MonHardLimiter, "Limiter = ---" },
        { MonitorLabelId::MonInput2In, "Input 2 to ground = ---" },
        { MonitorLabelId::Snimac, "Pick-up (CPS) = --- " },
        { MonitorLabelId::PolaritaMer, "Polarity of CKPS: ---" },
        { MonitorLabelId::HourMeter, "Hour meter = ---" },
        { MonitorLabelId::PocetProgramovani, "Number of Programing = ---" },
        { MonitorLabelId::Rpm, "RPM = 0 " },
        { MonitorLabelId::Test3, "Test3 = ---" },
    };
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(view[id].text, QString::fromLatin1(text));
        EXPECT_EQ(view[id].background, MonitorColour::Normal) << text;
    }
    EXPECT_EQ(view[MonitorLabelId::MonAdvance].text, QStringLiteral("Advance = ---  \u00B0"));
    EXPECT_FALSE(view[MonitorLabelId::EeDataErr].visible);
    EXPECT_FALSE(view.activeCurve.has_value());
    EXPECT_EQ(view.rpmGaugePercent, 0);
}

TEST_F(MonitorPresenterTest, TextsFollowTheCurrentLanguage)
{
    UseLanguage(kGerman);
    SetByte(MonitorOffset::kLimiter, 1);
    SetByte(MonitorOffset::kPickupSignal, 1);
    SetByte(MonitorOffset::kBasicAdvance, 1);
    SetWord(MonitorOffset::kHourMeterLow, 61);
    MonitorView view = Present();
    EXPECT_EQ(view[MonitorLabelId::MonHardLimiter].text, QStringLiteral("Begrenzer = Ja"));
    EXPECT_EQ(view[MonitorLabelId::MonAdvance].text, QStringLiteral("Vorzündung = Grund"));
    EXPECT_EQ(view[MonitorLabelId::Snimac].text, QStringLiteral("Geber(CPS) -  läuft"));
    EXPECT_EQ(view[MonitorLabelId::HourMeter].text, QStringLiteral("Betriebstundenzähler = 1:01 [s:mm]"));

    UseLanguage(kCzech);
    view = Present();
    EXPECT_EQ(view[MonitorLabelId::MonHardLimiter].text, QStringLiteral("Omezovač = Ano"));
}

TEST_F(MonitorPresenterTest, EveryLabelCarriesTheNameOfItsWindowLabel)
{
    const MonitorView view = Present();
    for (const MonitorLabel& label : view.labels)
        EXPECT_TRUE(QByteArray(label.name).startsWith("Label")) << label.name;
    EXPECT_STREQ(view[MonitorLabelId::MonAdvance].name, "LabelMon_Advance");
    EXPECT_STREQ(view[MonitorLabelId::DcAc].name, "LabelDCAC");
}

TEST(MonitorRequestTest, RequestCarriesTheTestBitsAndTheKey)
{
    std::array<uint8_t, 60> image;
    image.fill(0xEE);
    BuildMonitorRequest(image, kTestPowerOut | 0x40);
    for (int i = 0; i < kMonitorBlockSize; ++i) {
        const int expected = i == 20 ? kTestPowerOut : i == 49 ? 109 : 0;
        EXPECT_EQ(image[static_cast<std::size_t>(i)], expected) << i;
    }
    EXPECT_EQ(image[50], 0xEE) << "nothing past the request is touched";
}

TEST(MonitorKeyTest, KeyStatusTellsWhetherTheUnitMatches)
{
    RebuildMessageTable(kEnglish);
    const MonitorKey matched = MonitorKeyOf(109);
    EXPECT_EQ(matched.status, MonitorKey::kMatched);
    EXPECT_EQ(matched.text, QStringLiteral("RSKEY=109"));

    const MonitorKey unmatched = MonitorKeyOf(108);
    EXPECT_EQ(unmatched.status, MonitorKey::kUnmatched);
    EXPECT_EQ(unmatched.text, QStringLiteral("Unmatched version of PC and Ignition programs!  PC-109, IGN-108"));
}

} // namespace
