#include "tests/params/parameter_file_fixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace ParamIndex;

TEST(ReadParameterFile, WrittenBlocksReadBackUnchanged)
{
    std::mt19937 random(109);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<ParameterBlock> blocks = { DefaultBlock(), ChangedBlock() };
    for (int i = 0; i < 300; ++i) {
        ParameterBlock block;
        for (auto& value : block.bytes)
            value = static_cast<std::uint8_t>(byte(random));
        NormalizeParameters(block);
        blocks.push_back(block);
    }
    for (const ParameterBlock& written : blocks) {
        ParameterBlock read = DefaultBlock();
        for (int i = kFirstUnused; i < ParameterBlock::kSize; ++i)
            read[i] = written[i]; // not part of the file
        const ParameterFileResult result = ReadParameterFile(WriteParameterFile(written, SampleInfo()), read);
        EXPECT_EQ(result.status, ParameterFileStatus::Current);
        EXPECT_EQ(result.version, 109);
        ASSERT_EQ(read, written);
    }
}

TEST(ReadParameterFile, UnitTextsAfterTheSettingsNeverChangeASetting)
{
    // Unit names and program texts are free text written after the settings; keywords inside them
    // would otherwise be read as settings (here: set B, no reading, the pickup speed).
    ParameterFileInfo info = SampleInfo();
    info.unitProgramVersion = "TRX09 AB 1 NO_READING 1";
    info.unitInformation[0] = "CDI RPM 3000 110";
    const ParameterBlock written = DefaultBlock();
    ParameterBlock read = DefaultBlock();
    ReadParameterFile(WriteParameterFile(written, info), read);
    EXPECT_EQ(read, written);
}

TEST(ReadParameterFile, BikeResetsEverySettingTheFileDoesNotNameToTheBikesDefaults)
{
    ParameterBlock block = ChangedBlock();
    block[97] = 42;
    ReadParameterFile(CurrentFile("BIKE 3\r\nBASE_ADV 33"), block);
    ParameterBlock expected = DefaultBlock(kBikeKtm4TSem);
    expected[kBaseAdvance] = 33;
    expected[97] = 42;
    EXPECT_EQ(block, expected);
}

TEST(ReadParameterFile, FilesWithoutAValidHeaderChangeNothing)
{
    struct Case {
        std::string name;
        QByteArray text;
        ParameterFileStatus status;
    };
    const Case cases[] = {
        { "Empty", "", ParameterFileStatus::NoHeader },
        { "NoHeaderKeyword", "BIKE 3\r\nBASE_ADV 33\r\n", ParameterFileStatus::NoHeader },
        { "HeaderInLowerCase", "kordanex_key 109 BASE_ADV 33\r\n", ParameterFileStatus::NoHeader },
        { "HeaderNotFollowedByASeparator", "BASE_ADV 33 KORDANEX_KEY", ParameterFileStatus::NoHeader },
        { "VersionAfterTheLastOld", "KORDANEX_KEY 108 BASE_ADV 33\r\n", ParameterFileStatus::Unmatched },
        { "VersionBetweenOldOnes", "KORDANEX_KEY 50 BASE_ADV 33\r\n", ParameterFileStatus::Unmatched },
        { "OctalVersionStopsAtNine", "KORDANEX_KEY 0109 BASE_ADV 33\r\n", ParameterFileStatus::Unmatched },
        { "NoVersion", "KORDANEX_KEY ", ParameterFileStatus::Unmatched },
        { "HeaderAfterAZeroByte", QByteArray("BIKE 3\r\n") + '\0' + "KORDANEX_KEY 109 BASE_ADV 33\r\n",
            ParameterFileStatus::NoHeader },
    };
    for (const Case& c : cases) {
        ParameterBlock block = ChangedBlock();
        const ParameterFileResult result = ReadParameterFile(c.text, block);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.version, 0) << c.name;
        EXPECT_FALSE(result.Accepted()) << c.name;
        EXPECT_EQ(block, ChangedBlock()) << c.name;
    }
}

struct ValueCase {
    std::string name;
    QByteArray body;
    int index;
    int expected;
};

class StoredValue : public testing::TestWithParam<ValueCase>
{
};

TEST_P(StoredValue, IsTakenFromTheText)
{
    ParameterBlock block = DefaultBlock();
    block[kBaseAdvance] = 17;
    const ParameterFileResult result = ReadParameterFile(CurrentFile(GetParam().body), block);
    ASSERT_EQ(result.status, ParameterFileStatus::Current);
    EXPECT_EQ(block[GetParam().index], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredValue,
    testing::Values(ValueCase { "TachoPickupBelowZeroIsOutOfRange", "RPM -1 0", kTachoPulses, 0 },
        ValueCase { "TachoCorrectionGetsItsOffset", "RPM -1 0", kTachoCorrection, 100 },
        ValueCase { "NegativeCorrectionGetsItsOffset", "RPM 1 -60", kTachoCorrection, 40 },
        ValueCase { "CorrectionAboveAByteIsOutOfRange", "RPM 1 156", kTachoCorrection, 0 },
        ValueCase { "SpeedIsDividedDroppingTheRemainder", "RPM_ADV_A 25050", kSpeedsA, 250 },
        ValueCase { "SpeedAboveAByteIsOutOfRange", "RPM_ADV_A 25600", kSpeedsA, 0 },
        ValueCase { "OldCurveKeywordIsAccepted", "RPM_ADV 1250", kSpeedsA, 12 },
        ValueCase { "LeadingZeroIsOctal", "BASE_ADV 010", kBaseAdvance, 8 },
        ValueCase { "OctalStopsAtADigitOfNoBase", "BASE_ADV 019", kBaseAdvance, 1 },
        ValueCase { "LoneMinusStoresNothing", "BASE_ADV - 25", kBaseAdvance, 17 },
        ValueCase { "LettersBeforeTheNumberAreSkipped", "BASE_ADV abc25", kBaseAdvance, 25 },
        ValueCase { "PlusSignIsSkipped", "BASE_ADV +25", kBaseAdvance, 25 },
        ValueCase { "TabsSeparateWords", "\tBASE_ADV\t25", kBaseAdvance, 25 },
        ValueCase { "CarriageReturnEndsTheKeyword", "BASE_ADV\r\n25", kBaseAdvance, 25 },
        ValueCase { "HugeNumberIsOutOfRange", "BASE_ADV 99999999999999999999999999", kBaseAdvance, 0 },
        ValueCase { "HugeNegativeNumberIsOutOfRange", "BASE_ADV -99999999999999999999999", kBaseAdvance, 0 },
        ValueCase { "UnknownKeywordIsIgnored", "BASE_ADVANCE 25", kBaseAdvance, 17 },
        ValueCase { "KeywordsAreCaseSensitive", "base_adv 25", kBaseAdvance, 17 },
        ValueCase { "MissingValueTakesTheNextLinesNumber", "INPUT 2\r\nBASE_ADV 25", kInput2, 25 },
        ValueCase { "KeywordWhoseNumberWasTakenIsLost", "INPUT 2\r\nBASE_ADV 25", kBaseAdvance, 17 },
        ValueCase { "ReverseBitKeepsTheFunction", "POUT 2\r\nREV_OUT_PILOT_LIGHT 7", kPowerOut, 5 },
        ValueCase { "FunctionKeepsTheReverseBit", "REV_OUT_PILOT_LIGHT 1\r\nPOUT 1", kPowerOut, 3 },
        ValueCase { "PwmIsInTensOfPercent", "PILOT_LIGHT_PWM 75", kShiftLightPwm, 7 },
        ValueCase { "ClutchTimeIsInFiveMilliseconds", "CLUTCH 1249 1000 5 0", kClutchTimeA, 249 },
        ValueCase { "ClutchPauseBIsInHundredMilliseconds", "CLUTCH 0 0 5 950", kClutchPauseB, 9 }),
    [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(ReadParameterFile, OutOfRangeCurveSpeedIsRaisedByNormalisation)
{
    ParameterBlock block = DefaultBlock();
    ReadParameterFile(CurrentFile("RPM_ADV_A 25600"), block);
    NormalizeParameters(block);
    EXPECT_EQ(block[kSpeedsA], 3);
}

TEST(ReadParameterFile, Version67LimiterLineGivesStartHardAndRetardOfCurveB)
{
    ParameterBlock block = DefaultBlock();
    const QByteArray file = "KORDANEX_KEY      67 VELMOR/Velmor\r\n               \r\n"
                            "RPM_ADV_A       1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 "
                            "11000 12000 13000 14000 15000 \r\n"
                            "ADVANCE_A         10     3     4     5     6     8    10    12    14    16    "
                            "18    20    22    24    26 \r\n"
                            "AB                 1 \r\n"
                            "LIMITER          100   150     5 ";
    const ParameterFileResult result = ReadParameterFile(file, block);

    EXPECT_EQ(result.status, ParameterFileStatus::Older);
    EXPECT_EQ(result.version, 67);
    EXPECT_EQ(MessageFor(result), ParameterFileMessage::OlderVersion);
    EXPECT_EQ(block[kStartLimiterA], 100);
    EXPECT_EQ(block[kHardLimiterA], 150);
    EXPECT_EQ(block[kStartLimiterB], 100);
    EXPECT_EQ(block[kHardLimiterB], 150);
    EXPECT_EQ(block[kSoftLimiterA], 150);
    EXPECT_EQ(block[kSoftLimiterB], 150);
    EXPECT_EQ(block[kActiveSet], ParamValue::kActiveSetA);
    const int advancesB[] = { 5, 0, 0, 0, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21 };
    for (int k = 0; k < 15; ++k) {
        EXPECT_EQ(block[kSpeedsB + k], block[kSpeedsA + k]) << "point " << k;
        EXPECT_EQ(block[kAdvancesB + k], advancesB[k]) << "point " << k;
    }
}

TEST(ReadParameterFile, OldLimiterLineHoldsOnlyTheHardLimiterBeforeVersion33)
{
    ParameterBlock block = DefaultBlock();
    block[kStartLimiterA] = 100;
    ReadParameterFile("KORDANEX_KEY 27 LIMITER 90 110 4\r\nADVANCE 10", block);
    EXPECT_EQ(block[kHardLimiterA], 90);
    EXPECT_EQ(block[kStartLimiterA], 90) << "lowered to the hard limiter";
    EXPECT_EQ(block[kAdvancesB], 10) << "no retard";
}

TEST(ReadParameterFile, SecondValuesOfSetBAreReadFromVersion92On)
{
    for (const int version : { 67, 92 }) {
        ParameterBlock block = DefaultBlock();
        block[kActiveSet] = 1;
        const QByteArray file = "KORDANEX_KEY " + QByteArray::number(version)
            + " \r\nPOCET_BODU 9 7\r\nPILOT_LIGHT 5000 6000\r\nCLUTCH 50 300 60 400\r\nBASE_ADV 12";
        ReadParameterFile(file, block);
        const bool setB = version >= 92;
        EXPECT_EQ(block[kPointCountA], 9);
        EXPECT_EQ(block[kPointCountB], setB ? 7 : 9) << version;
        EXPECT_EQ(block[kShiftLightB], setB ? 60 : 50) << version;
        EXPECT_EQ(block[kClutchTimeB], setB ? 12 : 10) << version;
        EXPECT_EQ(block[kClutchPauseB], setB ? 4 : 3) << version;
        EXPECT_EQ(block[kBaseAdvance], 12) << version;
        EXPECT_EQ(block[kActiveSet], setB ? 1 : 0) << version;
    }
}

TEST(ReadParameterFile, TruncatedFilesAreReadAsFarAsTheyGo)
{
    const QByteArray whole = WriteParameterFile(ChangedBlock(), SampleInfo());
    for (qsizetype length = 0; length <= whole.size(); ++length) {
        ParameterBlock block = DefaultBlock();
        const ParameterFileResult result = ReadParameterFile(whole.first(length), block);
        if (length >= QByteArray("KORDANEX_KEY     109").size()) {
            ASSERT_EQ(result.status, ParameterFileStatus::Current) << length;
        }
        if (length == whole.size()) {
            EXPECT_EQ(block, ChangedBlock());
        }
    }
}

TEST(ReadParameterFile, GarbageNeverBreaksTheReader)
{
    std::mt19937 random(1250);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        QByteArray text = round % 2 ? QByteArray("KORDANEX_KEY 109 ") : QByteArray();
        for (int i = 0; i < 4000; ++i) {
            // Mostly separators, digits and signs, so that keywords meet numbers of every shape.
            const int pick = byte(random);
            text.append(pick < 64 ? " \t\r\n-0123456789"[pick % 15] : static_cast<char>(byte(random)));
            if (pick == 255)
                text.append(" BASE_ADV ");
        }
        ParameterBlock block = DefaultBlock();
        const ParameterFileResult result = ReadParameterFile(text, block);
        if (round % 2) {
            EXPECT_EQ(result.status, ParameterFileStatus::Current);
        }
        NormalizeParameters(block);
        ParameterBlock again = block;
        NormalizeParameters(again);
        EXPECT_EQ(again, block);
    }
}

TEST(ParameterFileMessage, FollowsTheResult)
{
    EXPECT_EQ(MessageFor({ ParameterFileStatus::Current, 109 }), ParameterFileMessage::None);
    EXPECT_EQ(MessageFor({ ParameterFileStatus::NoHeader, 0 }), ParameterFileMessage::None);
    EXPECT_EQ(MessageFor({ ParameterFileStatus::Older, 46 }), ParameterFileMessage::OlderVersion);
    EXPECT_EQ(MessageFor({ ParameterFileStatus::Unmatched, 0 }), ParameterFileMessage::UnmatchedVersion);
    EXPECT_EQ(MessageFor({ ParameterFileStatus::TooLarge, 0 }), ParameterFileMessage::OpenFileError);
}
