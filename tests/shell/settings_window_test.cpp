#include "shell/settings_window.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{

const PixelRect kFullHd { 0, 0, 1920, 1080 };
const PixelRect kLeftOfIt { -1280, 0, 0, 1024 };

struct FitCase {
    const char* name;
    WindowPlacement window;
    std::vector<PixelRect> monitors;
    WindowPlacement fitted;
};

class FitWindowTest : public testing::TestWithParam<FitCase>
{
};

TEST_P(FitWindowTest, PutsTheWindowOnAMonitor)
{
    EXPECT_EQ(FitWindowToMonitors(GetParam().window, GetParam().monitors), GetParam().fitted);
}

INSTANTIATE_TEST_SUITE_P(Cases, FitWindowTest,
    testing::Values(
        FitCase { "WhollyOnTheMonitorStays", { 100, 50, 800, 600 }, { kFullHd }, { 100, 50, 800, 600 } },
        FitCase {
            "HalfOffTheRightEdgeMovesBack", { 1500, 100, 800, 600 }, { kFullHd }, { 1120, 100, 800, 600 } },
        FitCase {
            "AboveAndLeftMovesDownAndRight", { -300, -200, 800, 600 }, { kFullHd }, { 0, 0, 800, 600 } },
        FitCase {
            "LargerThanTheMonitorTakesItsSize", { 50, 40, 2500, 1400 }, { kFullHd }, { 0, 0, 1920, 1080 } },
        FitCase { "WiderOnlyKeepsItsTop", { 10, 100, 3000, 500 }, { kFullHd }, { 0, 100, 1920, 500 } },
        FitCase { "GoesToTheMonitorItOverlapsMost", { -500, 100, 800, 600 }, { kFullHd, kLeftOfIt },
            { -800, 100, 800, 600 } },
        FitCase { "EqualOverhangPicksTheFirstMonitor", { -400, 100, 800, 600 }, { kFullHd, kLeftOfIt },
            { 0, 100, 800, 600 } },
        FitCase { "FarAwayStoredValuesDoNotOverflow", { INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX },
            { kFullHd }, { 0, 0, 1920, 1080 } },
        FitCase { "NoMonitorsLeavesItAlone", { 5000, 5000, 800, 600 }, {}, { 5000, 5000, 800, 600 } }),
    [](const testing::TestParamInfo<FitCase>& caseInfo) { return std::string(caseInfo.param.name); });

} // namespace
