#pragma once

#include "link/monitor_block.h"
#include "params/parameter_block.h"

#include <QString>

#include <array>
#include <optional>

// The monitor panel of the main window as data: one entry per label, computed from the last monitor
// block, the parameter block (which inputs are configured, the limiter speeds) and whether a live
// source feeds the panel. Texts come out in the current language. The window copies each entry
// onto the label of the same name.

// Background of a monitor label. Normal is the panel's own colour.
enum class MonitorColour { Normal, Yellow, Red, Fuchsia, Aqua, Green };

enum class MonitorLabelId {
    Napeti, // supply voltage
    MonInput1In,
    MonInput2In,
    KillSwitch,
    Blocking,
    MonCurve,
    ClutchMon,
    MonStartLimiterOut,
    MonHardLimiter,
    MonLedRazeni,
    DcAc,
    Snimac, // pickup signal
    PolaritaMer, // measured pickup polarity
    MonAdvance,
    Rpm,
    EeDataErr,
    HourMeter,
    PocetProgramovani, // number of programmings
    Test1,
    Test2,
    Test3,
    Test4,
    Test5,
    Test6,
    Test7,
    Test8,
    Count
};

inline constexpr int kMonitorLabelCount = static_cast<int>(MonitorLabelId::Count);
inline constexpr int kMonitorTestLabels = 8;

struct MonitorLabel {
    const char* name = ""; // object name of the window's label, e.g. "LabelNapeti"
    QString text;
    MonitorColour background = MonitorColour::Normal;
    bool enabled = true; // false for a function label whose input is not configured
    // False where the monitor hides the label (supply kind unknown, no data error). The test labels
    // stay true: whether they show at all is the window's test mode.
    bool visible = true;
};

struct MonitorView {
    std::array<MonitorLabel, kMonitorLabelCount> labels;

    // Engine speed shown in LabelRpm, and the RPM gauge in percent of the higher hard limiter.
    int engineSpeed = 0;
    int rpmGaugePercent = 0;

    // Values other views of the window follow; empty when this presentation says nothing new.
    std::optional<int> supplyKind; // 1 AC, 0 DC, -1 unknown
    std::optional<int> activeCurve; // 1 curve B in use, 0 curve A

    MonitorLabel& operator[](MonitorLabelId id) { return labels[static_cast<std::size_t>(id)]; }
    const MonitorLabel& operator[](MonitorLabelId id) const { return labels[static_cast<std::size_t>(id)]; }
};

// `live`: a unit is connected, or a recording is playing or paused. Without a live source every
// label falls back to its dash text.
MonitorView PresentMonitor(const MonitorRecord& record, const ParameterBlock& block, bool live);
