#include "link/monitor_presenter.h"

#include "params/parameter_layout.h"
#include "shell/language.h"
#include "shell/message_table.h"

#include <algorithm>

namespace
{

namespace Text
{
inline constexpr const char* kInput1 = "###Input 1 to ground##Eingang 1 zu Erde##Vstup 1 uzeměn";
inline constexpr const char* kInput2 = "###Input 2 to ground##Eingang 2 zu Erde##Vstup 2 uzeměn";
inline constexpr const char* kKillSwitch = "###Kill switch##Kill switch##Kill switch";
inline constexpr const char* kMotorOff = "###Motor off##Motor off##Blokování";
inline constexpr const char* kUsedCurve = "###Used curve##Kurve##Zvolená křivka";
inline constexpr const char* kClutchMaster = "###Clutch master##Schaltautomat##Clutch master";
inline constexpr const char* kStartLimiter = "###Start limiter##Startbegrenzer##Startovací omezovač";
inline constexpr const char* kLimiter = "###Limiter##Begrenzer##Omezovač";
inline constexpr const char* kGearShiftLight = "###Gear shift light##Schaltblitz##Kontrolka řazení";
inline constexpr const char* kYes = "###Yes##Ja##Ano";
inline constexpr const char* kNo = "###No##Nein##Ne";
inline constexpr const char* kRunning = "### is running## läuft## pracuje";
inline constexpr const char* kNoSignal = "### no signal## kein Signal## bez signálu";
inline constexpr const char* kDataError = "Programmed data error";
} // namespace Text

inline constexpr const char* kDashes = "---";

// Voltage bands in millivolts: normal inside the narrow band, yellow inside the wide one, red beyond.
inline constexpr int kNormalVoltageLow = 11000;
inline constexpr int kNormalVoltageHigh = 14999;
inline constexpr int kWarnVoltageLow = 7000;
inline constexpr int kWarnVoltageHigh = 17999;

// Input functions of parameters 16 and 17 that give meaning to a state label.
inline constexpr int kInputKillSwitch = 1;
inline constexpr int kInputBlocking = 1;
inline constexpr int kInputCurveB = 3;

// A label of the input and output states: which byte it shows and when it means anything.
enum class Enabling { Always, Input1Is, Input2Is, EitherInputIs };

struct StateLabel {
    MonitorLabelId id;
    const char* name;
    const char* caption;
    int offset;
    Enabling enabling;
    int function; // the input function that enables the label
    MonitorColour setColour;
};

constexpr StateLabel kStateLabels[] = {
    { MonitorLabelId::MonInput1In, "LabelMonInput1In", Text::kInput1, MonitorOffset::kInput1, Enabling::Always, 0,
        MonitorColour::Fuchsia },
    { MonitorLabelId::MonInput2In, "LabelMonInput2In", Text::kInput2, MonitorOffset::kInput2, Enabling::Always, 0,
        MonitorColour::Aqua },
    { MonitorLabelId::KillSwitch, "LabelKillSwitch", Text::kKillSwitch, MonitorOffset::kKillSwitch,
        Enabling::Input1Is, kInputKillSwitch, MonitorColour::Red },
    { MonitorLabelId::Blocking, "LabelBlocking", Text::kMotorOff, MonitorOffset::kMotorOff, Enabling::Input2Is,
        kInputBlocking, MonitorColour::Red },
    { MonitorLabelId::ClutchMon, "LabelClutchMon", Text::kClutchMaster, MonitorOffset::kClutchMaster,
        Enabling::EitherInputIs, ParamValue::kInputClutchMaster, MonitorColour::Red },
    { MonitorLabelId::MonStartLimiterOut, "LabelMonStartLimiterOut", Text::kStartLimiter,
        MonitorOffset::kStartLimiter, Enabling::EitherInputIs, ParamValue::kInputStartLimiter, MonitorColour::Red },
    { MonitorLabelId::MonHardLimiter, "LabelMonHardLimiter", Text::kLimiter, MonitorOffset::kLimiter,
        Enabling::Always, 0, MonitorColour::Red },
    { MonitorLabelId::MonLedRazeni, "LabelMonLedRazeni", Text::kGearShiftLight, MonitorOffset::kShiftLight,
        Enabling::Always, 0, MonitorColour::Red },
};

// The names of the labels that are not in the state table.
constexpr std::pair<MonitorLabelId, const char*> kOtherNames[] = {
    { MonitorLabelId::Napeti, "LabelNapeti" },
    { MonitorLabelId::MonCurve, "LabelMonCurve" },
    { MonitorLabelId::DcAc, "LabelDCAC" },
    { MonitorLabelId::Snimac, "LabelSnimac" },
    { MonitorLabelId::PolaritaMer, "LabelPolaritaMer" },
    { MonitorLabelId::MonAdvance, "LabelMon_Advance" },
    { MonitorLabelId::Rpm, "LabelRpm" },
    { MonitorLabelId::EeDataErr, "LabelEeDataErr" },
    { MonitorLabelId::HourMeter, "LabelHourMeter" },
    { MonitorLabelId::PocetProgramovani, "LabelPocetProgramovani" },
    { MonitorLabelId::Test1, "LabelTest1" },
    { MonitorLabelId::Test2, "LabelTest2" },
    { MonitorLabelId::Test3, "LabelTest3" },
    { MonitorLabelId::Test4, "LabelTest4" },
    { MonitorLabelId::Test5, "LabelTest5" },
    { MonitorLabelId::Test6, "LabelTest6" },
    { MonitorLabelId::Test7, "LabelTest7" },
    { MonitorLabelId::Test8, "LabelTest8" },
};

QString Tr(const char* literal)
{
    return SelectQText(literal);
}

QString Number(int value)
{
    return QString::number(value);
}

// "%s = %s": a caption and its value.
QString Pair(const QString& caption, const QString& value)
{
    return caption + QStringLiteral(" = ") + value;
}

bool InputIs(const ParameterBlock& block, int index, int function)
{
    return block[index] == function;
}

bool Enabled(const StateLabel& label, const ParameterBlock& block)
{
    switch (label.enabling) {
    case Enabling::Always:
        return true;
    case Enabling::Input1Is:
        return InputIs(block, ParamIndex::kInput1, label.function);
    case Enabling::Input2Is:
        return InputIs(block, ParamIndex::kInput2, label.function);
    case Enabling::EitherInputIs:
        return InputIs(block, ParamIndex::kInput1, label.function) || InputIs(block, ParamIndex::kInput2, label.function);
    }
    return true;
}

void PresentStates(MonitorView& view, const MonitorRecord& record, const ParameterBlock& block, bool live)
{
    for (const StateLabel& state : kStateLabels) {
        MonitorLabel& label = view[state.id];
        label.enabled = Enabled(state, block);
        const bool set = record.Flag(state.offset);
        if (live && label.enabled) {
            label.text = Pair(Tr(state.caption), Tr(set ? Text::kYes : Text::kNo));
            label.background = set ? state.setColour : MonitorColour::Normal;
        } else {
            label.text = Pair(Tr(state.caption), QString::fromLatin1(kDashes));
        }
    }

    // The curve label names the curve instead of saying yes or no.
    MonitorLabel& curve = view[MonitorLabelId::MonCurve];
    curve.enabled = InputIs(block, ParamIndex::kInput1, kInputCurveB) || InputIs(block, ParamIndex::kInput2, kInputCurveB);
    if (live && curve.enabled) {
        const bool curveA = record.Flag(MonitorOffset::kCurveA);
        curve.text = Pair(Tr(Text::kUsedCurve), QString::fromLatin1(curveA ? "A" : "B"));
        curve.background = curveA ? MonitorColour::Normal : MonitorColour::Yellow;
    } else {
        curve.text = Pair(Tr(Text::kUsedCurve), QString::fromLatin1(kDashes));
    }
}

void PresentVoltage(MonitorLabel& label, const MonitorRecord& record, bool live)
{
    if (!live) {
        label.text = QStringLiteral("U = --- V");
        return;
    }
    const int millivolts = record.Word(MonitorOffset::kMillivolts);
    label.text = QString::asprintf("U = %4.1f V", millivolts / 1000.0);
    if (millivolts > kNormalVoltageLow && millivolts < kNormalVoltageHigh)
        label.background = MonitorColour::Normal;
    else if (millivolts > kWarnVoltageLow && millivolts < kWarnVoltageHigh)
        label.background = MonitorColour::Yellow;
    else
        label.background = MonitorColour::Red;
}

void PresentSupply(MonitorView& view, const MonitorRecord& record, bool live)
{
    MonitorLabel& label = view[MonitorLabelId::DcAc];
    const int supply = record.Byte(MonitorOffset::kSupply);
    if (live && (supply & kSupplyKnown)) {
        const bool ac = (supply & kSupplyAc) != 0;
        label.visible = true;
        label.text = QString::fromLatin1(ac ? "(AC)" : "(DC)");
        view.supplyKind = ac ? 1 : 0;
        return;
    }
    label.visible = false;
    if (live)
        view.supplyKind = -1;
}

void PresentPickup(MonitorView& view, const MonitorRecord& record, bool live)
{
    const bool signal = record.Flag(MonitorOffset::kPickupSignal);
    MonitorLabel& pickup = view[MonitorLabelId::Snimac];
    if (live) {
        pickup.text = MessageText(kMessagePickUp) + QStringLiteral(" - ") + Tr(signal ? Text::kRunning : Text::kNoSignal);
        pickup.background = signal ? MonitorColour::Green : MonitorColour::Normal;
    } else {
        pickup.text = MessageText(kMessagePickUp) + QStringLiteral(" = --- ");
    }

    MonitorLabel& polarity = view[MonitorLabelId::PolaritaMer];
    if (live && signal) {
        const bool negative = record.Flag(MonitorOffset::kPolarityMeasured);
        polarity.text = MessageText(kMessagePolarityOfCkps) + QStringLiteral(": ")
            + MessageText(negative ? kMessageNegative : kMessagePositive);
        polarity.background = record.Flag(MonitorOffset::kPolarityAgrees) ? MonitorColour::Normal : MonitorColour::Red;
    } else {
        polarity.text = MessageText(kMessagePolarityOfCkps) + QStringLiteral(": ---");
    }
}

void PresentAdvance(MonitorLabel& label, const MonitorRecord& record, bool live)
{
    const QString caption = MessageText(kMessageAdvance);
    if (!live) {
        label.text = caption + QStringLiteral(" = ---  \u00B0");
        return;
    }
    const int advance = record.Byte(MonitorOffset::kAdvance) - kAdvanceOffset;
    const int maxAdvance = record.Byte(MonitorOffset::kMaxAdvance);
    if (!record.Flag(MonitorOffset::kPickupSignal) || record.Flag(MonitorOffset::kBasicAdvance))
        label.text = Pair(caption, MessageText(kMessageBasic));
    else
        label.text = Pair(caption, Number(advance) + QStringLiteral("\u00B0 /max ") + Number(maxAdvance) + QStringLiteral("\u00B0"));
    // At or above the largest advance the curve is at its end: worth a glance.
    label.background = advance >= maxAdvance ? MonitorColour::Yellow : MonitorColour::Normal;
}

void PresentRpm(MonitorView& view, const MonitorRecord& record, const ParameterBlock& block, bool live)
{
    const bool turning = live && record.Flag(MonitorOffset::kPickupSignal);
    view.engineSpeed = turning ? record.Word(MonitorOffset::kRpm) : 0;
    view[MonitorLabelId::Rpm].text = QString::asprintf("RPM = %d ", view.engineSpeed);

    // The limiters are stored in hundreds of RPM, so speed / limiter is already a percentage.
    int limiter = std::max<int>(block[ParamIndex::kHardLimiterA], block[ParamIndex::kHardLimiterB]);
    if (limiter == 0)
        limiter = 100;
    view.rpmGaugePercent = std::clamp(view.engineSpeed / limiter, 0, 100);
}

void PresentCounters(MonitorView& view, const MonitorRecord& record, bool live)
{
    MonitorLabel& dataError = view[MonitorLabelId::EeDataErr];
    dataError.text = QString::fromLatin1(Text::kDataError);
    dataError.visible = live && record.Flag(MonitorOffset::kDataError);

    MonitorLabel& hours = view[MonitorLabelId::HourMeter];
    if (live) {
        const int minutes = record.HourMeterMinutes();
        hours.text = Pair(MessageText(kMessageHourMeter),
            QString::asprintf("%i:%02i ", minutes / 60, minutes % 60) + MessageText(kMessageHourMeterUnit));
    } else {
        hours.text = Pair(MessageText(kMessageHourMeter), QString::fromLatin1(kDashes));
    }

    view[MonitorLabelId::PocetProgramovani].text = MessageText(kMessageNumberOfPrograming) + QStringLiteral("= ")
        + (live ? Number(record.Word(MonitorOffset::kProgrammings)) : QString::fromLatin1(kDashes));

    for (int i = 0; i < kMonitorTestLabels; ++i) {
        const auto id = static_cast<MonitorLabelId>(static_cast<int>(MonitorLabelId::Test1) + i);
        view[id].text = live ? QString::asprintf("Test%d = %d ", i + 1, record.Word(MonitorOffset::kTestValues + 2 * i))
                             : QString::asprintf("Test%d = ---", i + 1);
    }
}

void NameLabels(MonitorView& view)
{
    for (const StateLabel& state : kStateLabels)
        view[state.id].name = state.name;
    for (const auto& [id, name] : kOtherNames)
        view[id].name = name;
}

} // namespace

MonitorView PresentMonitor(const MonitorRecord& record, const ParameterBlock& block, bool live)
{
    MonitorView view;
    NameLabels(view);
    PresentVoltage(view[MonitorLabelId::Napeti], record, live);
    PresentStates(view, record, block, live);
    PresentSupply(view, record, live);
    PresentPickup(view, record, live);
    PresentAdvance(view[MonitorLabelId::MonAdvance], record, live);
    PresentRpm(view, record, block, live);
    PresentCounters(view, record, live);
    if (live)
        view.activeCurve = record.Flag(MonitorOffset::kCurveA) ? 0 : 1;
    return view;
}
