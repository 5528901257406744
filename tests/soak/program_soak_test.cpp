// A short run of the fault soak: Program over a line that corrupts and drops bytes both ways and
// loses its cable now and then must end every operation with the truth or an error.

#include "soak/program_soak.h"

#include <gtest/gtest.h>

TEST(ProgramSoak, DamagedLineNeverGivesAFalseOkAndEveryOperationEnds)
{
    ProgramSoakOptions options;
    // Damage at which about half the operations get through, so both ends are exercised in a run
    // short enough for every build; velmor-soak runs the long one at a harder rate.
    options.seed = 20250424;
    options.count = 60;
    options.corruptRate = 0.005;
    options.dropRate = 0.005;
    options.unplugChance = 0.08;

    const ProgramSoakReport report = RunProgramSoak(options);
    const std::string text = FormatSoakReport(options, report);

    EXPECT_EQ(report.operations, options.count) << text;
    EXPECT_EQ(report.falseOk, 0) << text;
    EXPECT_EQ(report.unreported, 0) << text;
    EXPECT_EQ(report.hangs, 0) << text;
    EXPECT_FALSE(report.linkStuck) << text;
    // Both kinds of outcome: the damage is real, and the link still gets through it.
    EXPECT_GT(report.ok, 0) << text;
    EXPECT_GT(report.errors, 0) << text;
    EXPECT_GT(report.unplugs, 0) << text;
}
