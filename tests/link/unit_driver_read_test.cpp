// Read and Verify: reading the unit's settings twice before they are trusted, and comparing them
// with the PC's.

#include "tests/link/unit_driver_fixture.h"

#include "shell/status_texts.h"

namespace
{

ParameterBlock Pattern(int seed)
{
    ParameterBlock pattern;
    for (int i = 0; i < ParameterBlock::kSize; ++i)
        pattern[i] = static_cast<uint8_t>(seed + 3 * i);
    pattern[ParamIndex::kNoReading] = 0;
    return pattern;
}

} // namespace

TEST_F(UnitDriverTest, ReadTakesTheUnitsSettingsIntoTheBlockAndConfirmsTheUnitCopy)
{
    ConnectAndCheck();
    block = Pattern(40);
    blockState.changed[3] = true;
    blockState.changed[77] = true;

    RunRequest(UnitRequest::kRead);

    EXPECT_EQ(block.bytes, engine.memory);
    EXPECT_EQ(blockState.unitCopy, block);
    EXPECT_TRUE(blockState.unitCopyValid);
    EXPECT_EQ(std::count(blockState.changed.begin(), blockState.changed.end(), true), 0);
    EXPECT_TRUE(events.readStarted);
    EXPECT_TRUE(events.parametersRead);
    EXPECT_EQ(Result(), QStringLiteral("Verify: OK"));
    EXPECT_EQ(SlotText(StatusSlots::kCongruence), QStringLiteral("Unit and PC settings are identical"));
    EXPECT_EQ(status.Slot(StatusSlots::kCongruence)->background, StatusColour::Green);
    EXPECT_EQ(engine.CountOf(JOB_READ), 4);
}

struct ReadDisagreementCase {
    const char* name;
    int disagreeingReads; // of the Read's reads, how many come back altered (in turn)
    bool readSucceeds;
    int readJobs;
};

class UnitDriverReadDisagreementTest : public UnitDriverTest,
                                       public ::testing::WithParamInterface<ReadDisagreementCase>
{
};

TEST_P(UnitDriverReadDisagreementTest, TwoReadsMustAgreeBeforeTheBlockIsReplaced)
{
    ConnectAndCheck();
    const ParameterBlock before = Pattern(40);
    block = before;
    const int checkReads = engine.CountOf(JOB_READ);
    int altered = 0;
    engine.tamper = [&](int, const FakeTransferEngine::StartedJob& job, std::span<uint8_t> readBack) {
        // Every second read of the Read differs, until the number of altered reads is reached.
        const int readIndex = engine.CountOf(JOB_READ) - checkReads;
        if (job.job == JOB_READ && readIndex % 2 == 0 && altered < GetParam().disagreeingReads) {
            ++altered;
            readBack[44] ^= 0x5A;
        }
    };

    RunRequest(UnitRequest::kRead);

    EXPECT_EQ(engine.CountOf(JOB_READ) - checkReads, GetParam().readJobs);
    if (GetParam().readSucceeds) {
        EXPECT_EQ(block.bytes, engine.memory);
        EXPECT_EQ(Result(), QStringLiteral("Verify: OK"));
    } else {
        EXPECT_EQ(block, before) << "settings that were never read alike twice are not taken";
        EXPECT_EQ(Result(), QStringLiteral("Verify error !"));
        EXPECT_EQ(status.Gauge().colour, GaugeColour::Red);
        EXPECT_FALSE(events.parametersRead);
    }
}

INSTANTIATE_TEST_SUITE_P(Reads, UnitDriverReadDisagreementTest,
    ::testing::Values(ReadDisagreementCase { "OnceReadsAgain", 1, true, 4 },
        ReadDisagreementCase { "TwiceGivesUp", 2, false, 4 }),
    [](const ::testing::TestParamInfo<ReadDisagreementCase>& param) { return std::string(param.param.name); });

TEST_F(UnitDriverTest, ReadOfSettingsThatCarryTheNoReadingLockTakesNothing)
{
    ConnectAndCheck();
    const ParameterBlock before = Pattern(40);
    block = before;
    engine.memory[ParamIndex::kNoReading] = 1;

    RunRequest(UnitRequest::kRead);

    EXPECT_EQ(block, before);
    EXPECT_EQ(Result(), QStringLiteral("No reading !"));
    EXPECT_EQ(status.Slot(StatusSlots::kResult)->background, StatusColour::Red);
    EXPECT_FALSE(events.parametersRead);
}

TEST_F(UnitDriverTest, LockedUnitRefusesReadAndVerifyWithoutReadingAnything)
{
    engine.info[UnitInfoOffset::kReadingAllowed] = 0;
    ConnectAndCheck();

    for (int request : { UnitRequest::kRead, UnitRequest::kVerify }) {
        results.clear();
        RunRequest(request);
        EXPECT_EQ(results.back(), QStringLiteral("No reading !")) << request;
        EXPECT_EQ(status.Gauge().colour, GaugeColour::Red) << request;
    }
    EXPECT_EQ(engine.CountOf(JOB_READ), 0);
}

TEST_F(UnitDriverTest, ThirdFailedReadEndsTheReadWithReadError)
{
    ConnectAndCheck();
    const ParameterBlock before = block;
    engine.failNext[JOB_READ] = 3;

    RunRequest(UnitRequest::kRead);

    EXPECT_EQ(Result(), QStringLiteral("Read error !"));
    EXPECT_EQ(status.Slot(StatusSlots::kResult)->background, StatusColour::Red);
    EXPECT_EQ(status.Gauge().colour, GaugeColour::Red);
    EXPECT_EQ(block, before);
    EXPECT_EQ(engine.disconnects, 0) << "a failed operation leaves the unit connected";
}

struct VerifyCase {
    const char* name;
    int differingByte; // -1: none
    const char* result;
    int readJobs;
};

class UnitDriverVerifyTest : public UnitDriverTest, public ::testing::WithParamInterface<VerifyCase>
{
};

TEST_P(UnitDriverVerifyTest, VerifyComparesTheUnitWithTheBlock)
{
    ConnectAndCheck();
    block.bytes = engine.memory;
    if (GetParam().differingByte >= 0)
        block[GetParam().differingByte] ^= 1;
    const int checkReads = engine.CountOf(JOB_READ);

    RunRequest(UnitRequest::kVerify);

    EXPECT_EQ(Result(), QString::fromLatin1(GetParam().result));
    EXPECT_EQ(engine.CountOf(JOB_READ) - checkReads, GetParam().readJobs);
    EXPECT_EQ(blockState.unitCopyValid, true) << "a verify leaves the unit copy alone";
}

INSTANTIATE_TEST_SUITE_P(Verify, UnitDriverVerifyTest,
    ::testing::Values(VerifyCase { "Equal", -1, "Verify: OK", 1 },
        VerifyCase { "NoReadingByteIsIgnored", ParamIndex::kNoReading, "Verify: OK", 1 },
        VerifyCase { "DifferenceIsReadTwiceThenReported", 30, "Verify error !", 2 }),
    [](const ::testing::TestParamInfo<VerifyCase>& param) { return std::string(param.param.name); });
