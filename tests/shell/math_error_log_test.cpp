#include "shell/math_error_log.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

const LocalTime kFifthOfMarch { 5, 3, 2025, 9, 7, 3 };

// A log in a temporary folder with a fixed clock, capturing its debugger output.
class MathErrorLogTest : public testing::Test
{
protected:
    MathErrorLog MakeLog(const QString& path)
    {
        return MathErrorLog(
            path, 109, [] { return kFifthOfMarch; },
            [this](const QByteArray& text) { m_debug.append(text); });
    }

    TempFolder m_folder;
    QList<QByteArray> m_debug;
};

TEST_F(MathErrorLogTest, NegativeSquareRootGivesOneAndAppendsALine)
{
    MathErrorLog log = MakeLog(m_folder.file("IGN.err"));

    EXPECT_EQ(CheckedSqrt(-4.0, log), 1.0);
    EXPECT_EQ(CheckedSqrt(-4.0, log), 1.0);

    const QByteArray line = "<LOG TIME=5.3.2025 9:7:3 ORVA2008_v109: MATHERR sqrt>\n";
    EXPECT_EQ(m_folder.read("IGN.err"), line + line);
    EXPECT_EQ(m_debug, QList<QByteArray>({ "sqrt", "sqrt" }));
}

TEST_F(MathErrorLogTest, ValidArgumentsAreNotLogged)
{
    MathErrorLog log = MakeLog(m_folder.file("IGN.err"));

    EXPECT_EQ(CheckedSqrt(6.25, log), 2.5);
    EXPECT_EQ(CheckedSqrt(-0.0, log), 0.0);

    EXPECT_TRUE(m_folder.read("IGN.err").isEmpty());
    EXPECT_TRUE(m_debug.isEmpty());
}

TEST_F(MathErrorLogTest, OtherErrorsKeepTheProposedResult)
{
    MathErrorLog log = MakeLog(m_folder.file("IGN.err"));

    EXPECT_EQ(log.Report(MathErrorKind::Overflow, "exp", HUGE_VAL), HUGE_VAL);
    EXPECT_EQ(log.Report(MathErrorKind::Domain, "log", -HUGE_VAL), -HUGE_VAL);

    EXPECT_EQ(m_folder.read("IGN.err").count("MATHERR"), 2);
}

TEST_F(MathErrorLogTest, LogThatCannotBeOpenedStillGivesTheResult)
{
    m_folder.write("plain", "not a folder");
    MathErrorLog log = MakeLog(m_folder.file("plain/IGN.err"));

    EXPECT_EQ(CheckedSqrt(-1.0, log), 1.0);
    EXPECT_EQ(m_debug, QList<QByteArray>({ "sqrt" }));
}

} // namespace
