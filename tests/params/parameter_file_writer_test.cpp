#include "tests/params/parameter_file_fixtures.h"

#include <gtest/gtest.h>

namespace
{

QList<QByteArray> Lines(const QByteArray& file)
{
    return file.split('\n');
}

QByteArray LineStartingWith(const QByteArray& file, const QByteArray& start)
{
    for (const QByteArray& line : Lines(file)) {
        if (line.startsWith(start))
            return line;
    }
    return {};
}

} // namespace

TEST(WriteParameterFile, WritesTheSampleFileByteForByte)
{
    EXPECT_EQ(WriteParameterFile(ChangedBlock(), SampleInfo()), ReadSample("velmor_v109.ign"));
}

TEST(WriteParameterFile, DefaultCurveLineHasFifteenRightAlignedSpeeds)
{
    const QByteArray file = WriteParameterFile(DefaultBlock(), ParameterFileInfo());
    EXPECT_EQ(LineStartingWith(file, "RPM_ADV_A"),
        "RPM_ADV_A       1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 11000 12000 13000 14000 "
        "15000 \r");
}

TEST(WriteParameterFile, LinesEndInCarriageReturnAndLineFeedWithNoneAtTheEnd)
{
    const QByteArray file = WriteParameterFile(DefaultBlock(), ParameterFileInfo());
    EXPECT_TRUE(file.startsWith(
        "KORDANEX_KEY     109 VELMOR/Velmor\r\n               \r\nBIKE               0 \r\n"));
    EXPECT_FALSE(file.endsWith('\n'));
    EXPECT_EQ(file.count('\n'), file.count("\r\n"));
    EXPECT_EQ(Lines(file).size(), 2 + 28 + 5);
}

TEST(WriteParameterFile, ValuesStartInTheColumnOfTheKeywordLength)
{
    const QByteArray file = WriteParameterFile(DefaultBlock(), ParameterFileInfo());
    // Up to 13 characters the values start at column 15, from 14 to 19 characters at 21.
    EXPECT_EQ(LineStartingWith(file, "AB "), "AB                 0 \r");
    EXPECT_EQ(LineStartingWith(file, "PILOT_LIGHT_PWM"), "PILOT_LIGHT_PWM        100 \r");
    EXPECT_EQ(LineStartingWith(file, "NO_LOBE_CHECK"), "NO_LOBE_CHECK      0 \r");
    EXPECT_EQ(LineStartingWith(file, "REV_OUT_PILOT_LIGHT"), "REV_OUT_PILOT_LIGHT      0 \r");
}

TEST(WriteParameterFile, TachoCorrectionIsWrittenWithoutItsOffset)
{
    ParameterBlock block = DefaultBlock();
    block[ParamIndex::kTachoCorrection] = 40;
    EXPECT_EQ(LineStartingWith(WriteParameterFile(block, {}), "RPM "), "RPM                1   -60 \r");
}

TEST(WriteParameterFile, PowerSourceIsAppendedOnlyWhenKnown)
{
    struct Case {
        int powerSource;
        QByteArray ending;
    };
    for (const Case& c : { Case { -1, "(c)   d   e" }, Case { 0, "(c)   d   ePOWER_SOURCE\tDC(BATTERY)" },
             Case { 1, "(c)   d   ePOWER_SOURCE\tAC(FLYWHEEL)" }, Case { 7, "(c)   d   e" } }) {
        ParameterFileInfo info;
        info.unitInformation = { "a", "b", "c", "d", "e" };
        info.powerSource = c.powerSource;
        const QByteArray file = WriteParameterFile(DefaultBlock(), info);
        EXPECT_TRUE(file.endsWith("\r\nUNIT_INFORMATION  a   b   " + c.ending)) << c.powerSource;
    }
}

TEST(WriteParameterFile, TextsAreWrittenInTheCodePageAndCut)
{
    ParameterFileInfo info;
    info.unitProgramDate = QString(9000, QChar(u'ř'));
    info.unitProgramTime = "12:00";
    const QByteArray hex = LineStartingWith(WriteParameterFile(DefaultBlock(), info), "HEX  ");
    EXPECT_EQ(hex, "HEX  " + QByteArray(8190, '\xF8') + "\t12:00\t\r");
}
