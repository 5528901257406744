#include "tests/support/file_size_limit.h"
#include "tests/params/parameter_file_fixtures.h"
#include "tests/support/temp_folder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace ParamIndex;

struct SampleCase {
    std::string name;
    const char* file;
    int version;
    // Bytes that the file decides, read into a normalised block of the standard bike.
    std::vector<std::pair<int, int>> bytes;
};

class SampleFile : public testing::TestWithParam<SampleCase>
{
};

TEST_P(SampleFile, LoadsWithItsVersionsConversions)
{
    const SampleCase& c = GetParam();
    ParameterBlock block = DefaultBlock();
    const ParameterFileResult result = LoadParameterFile(SamplePath(c.file), block);
    EXPECT_EQ(result.version, c.version);
    EXPECT_EQ(result.status, c.version == 109 ? ParameterFileStatus::Current : ParameterFileStatus::Older);
    for (const auto& [index, value] : c.bytes)
        EXPECT_EQ(block[index], value) << "byte " << index;

    // Every old file leaves set B's soft limiter on the hard limiter.
    if (c.version <= 92) {
        EXPECT_EQ(block[kSoftLimiterB], block[kHardLimiterB]);
    }
    // Up to version 67 set B is a copy of set A with curve B retarded.
    if (c.version <= 67) {
        for (const auto& [a, b] : { std::pair { kPointCountA, kPointCountB },
                 { kStartLimiterA, kStartLimiterB }, { kHardLimiterA, kHardLimiterB },
                 { kShiftLightA, kShiftLightB }, { kClutchTimeA, kClutchTimeB },
                 { kClutchPauseA, kClutchPauseB }, { kSoftLimiterA, kSoftLimiterB } })
            EXPECT_EQ(block[a], block[b]) << "B byte " << b;
        for (int k = 0; k < 15; ++k)
            EXPECT_EQ(block[kSpeedsB + k], block[kSpeedsA + k]);
        EXPECT_EQ(block[kActiveSet], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleFile,
    testing::Values(
        SampleCase { "Version19", "velmor_v19.ign", 19,
            { { kPointCountA, 8 }, { kSpeedsA, 8 }, { kSpeedsA + 14, 130 }, { kAdvancesA + 3, 12 },
                { kAdvancesB + 3, 12 }, { kBaseAdvance, 8 }, { kHardLimiterA, 95 }, { kStartLimiterA, 95 },
                { kSoftLimiterA, 95 }, { kPolarity, 1 }, { kShiftLightA, 105 }, { kClutchTimeA, 12 },
                { kClutchPauseA, 3 } } },
        SampleCase { "Version27", "velmor_v27.ign", 27,
            { { kPointCountA, 10 }, { kHardLimiterA, 120 }, { kStartLimiterA, 100 }, { kIgnitionsPerRev, 2 },
                { kInput1, 2 }, { kInput2, 4 }, { kAdvancesB, 3 } } },
        SampleCase { "Version33", "velmor_v33.ign", 33,
            { { kStartLimiterA, 90 }, { kHardLimiterA, 110 }, { kShiftLightPwm, 7 }, { kAdvancesB, 0 },
                { kAdvancesB + 1, 2 }, { kAdvancesB + 14, 21 } } },
        SampleCase { "Version41", "velmor_v41.ign", 41,
            { { kBike, kBikeHondaCbf250 }, { kPointCountA, 12 }, { kStartLimiterA, 100 },
                { kHardLimiterA, 125 }, { kAdvancesB + 3, 10 }, { kPolarity, 2 }, { kTachoPulses, 2 },
                { kTachoCorrection, 90 }, { kInput2, 2 } } },
        SampleCase { "Version46", "velmor_v46.ign", 46,
            { { kBike, kBikeStandard }, { kIgnitionsPerRev, 3 }, { kPowerOut, 5 }, { kNoReading, 1 },
                { kClutchTimeA, 15 }, { kClutchPauseB, 8 }, { kAdvancesB + 4, 13 }, { kTachoCorrection, 105 },
                { kInput1, 4 } } },
        SampleCase { "Version67", "velmor_v67.ign", 67,
            { { kBike, kBikeSuzukiDr650 }, { kStartLimiterA, 100 }, { kHardLimiterA, 150 },
                { kSoftLimiterA, 150 }, { kAdvancesB, 0 }, { kAdvancesB + 2, 3 }, { kSparkBeforeLobe, 1 },
                { kStartAdvancePercent, 30 }, { kPowerOut, 0 } } },
        SampleCase { "Version92", "velmor_v92.ign", 92,
            { { kBike, kBikeHusaberg4TSem }, { kActiveSet, 1 }, { kPointCountA, 12 }, { kPointCountB, 10 },
                { kSpeedsB, 10 }, { kAdvancesB + 9, 18 }, { kStartLimiterA, 90 }, { kHardLimiterA, 115 },
                { kStartLimiterB, 85 }, { kHardLimiterB, 105 }, { kSoftLimiterA, 115 }, { kShiftLightB, 90 },
                { kPowerOut, 2 }, { kClutchTimeB, 20 }, { kClutchPauseB, 7 }, { kFourStroke, 1 },
                { kNoLobeCheck, 1 }, { kMaxLobeLength, 80 }, { kSyncPolarity, 1 }, { kTachoPulses, 255 },
                { kTachoCorrection, 120 }, { kTestSpeed, 40 }, { kStartLimiterDelayA, 0 } } },
        SampleCase { "Version109", "velmor_v109.ign", 109, {} }),
    [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(LoadParameterFile, CurrentSampleGivesItsBlock)
{
    ParameterBlock block = DefaultBlock();
    LoadParameterFile(SamplePath("velmor_v109.ign"), block);
    EXPECT_EQ(block, ChangedBlock());
}

TEST(LoadParameterFile, RefusesFilesItCannotReadWholeWithoutChangingTheBlock)
{
    TempFolder folder;
    QByteArray tooLarge = CurrentFile("BASE_ADV 33");
    tooLarge.append(QByteArray(kMaxParameterFileSize - tooLarge.size(), ' '));
    const QString tooLargePath = folder.write("large.ign", tooLarge);
    QDir(folder.path()).mkdir("folder.ign");

    struct Case {
        QString path;
        ParameterFileStatus status;
    };
    for (const Case& c : { Case { folder.file("missing.ign"), ParameterFileStatus::CannotOpen },
             Case { tooLargePath, ParameterFileStatus::TooLarge } }) {
        ParameterBlock block = ChangedBlock();
        const ParameterFileResult result = LoadParameterFile(c.path, block);
        EXPECT_EQ(result.status, c.status) << c.path.toStdString();
        EXPECT_EQ(MessageFor(result), ParameterFileMessage::OpenFileError);
        EXPECT_EQ(block, ChangedBlock());
    }

    ParameterBlock block = ChangedBlock();
    EXPECT_FALSE(LoadParameterFile(folder.file("folder.ign"), block).Accepted());
    EXPECT_EQ(block, ChangedBlock());
}

TEST(LoadParameterFile, ReadsAFileJustBelowTheLimit)
{
    TempFolder folder;
    QByteArray text = CurrentFile("BASE_ADV 33") + ' ';
    text.append(QByteArray(kMaxParameterFileSize - 1 - text.size(), 'x'));
    ParameterBlock block = DefaultBlock();
    EXPECT_EQ(LoadParameterFile(folder.write("big.ign", text), block).status, ParameterFileStatus::Current);
    EXPECT_EQ(block[kBaseAdvance], 33);
}

TEST(SaveParameterFile, WritesTheFileThatLoadsBack)
{
    TempFolder folder;
    const QString path = folder.file("setting.ign");
    ASSERT_TRUE(SaveParameterFile(path, ChangedBlock(), SampleInfo()));
    EXPECT_EQ(folder.read("setting.ign"), ReadSample("velmor_v109.ign"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { "setting.ign" })
        << "no temporary file left";
}

TEST(SaveParameterFile, FailureLeavesThePreviousFileIntact)
{
    TempFolder folder;
    const QByteArray previous = "KORDANEX_KEY     109 previous";
    const QString path = folder.write("setting.ign", previous);
    {
        FileSizeLimit fullDisk(64);
        EXPECT_FALSE(SaveParameterFile(path, ChangedBlock(), SampleInfo()));
    }
    EXPECT_EQ(folder.read("setting.ign"), previous);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { "setting.ign" });

    EXPECT_FALSE(SaveParameterFile(folder.file("no-such-folder/setting.ign"), ChangedBlock(), SampleInfo()));
}

TEST(SaveParameterFile, FolderWithoutWritePermissionFails)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    TempFolder folder;
    const QString path = folder.write("setting.ign", "previous");
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(SaveParameterFile(path, ChangedBlock(), SampleInfo()));
    QFile::setPermissions(
        folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(folder.read("setting.ign"), "previous");
}
