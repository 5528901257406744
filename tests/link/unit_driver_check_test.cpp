// The connection check that runs whenever a unit has been found.

#include "tests/link/unit_driver_fixture.h"

#include "shell/status_texts.h"

namespace
{

std::vector<std::pair<int, int>> ReadRanges(const FakeTransferEngine& engine)
{
    std::vector<std::pair<int, int>> ranges;
    for (const auto& job : engine.JobsOf(JOB_READ))
        ranges.emplace_back(job.start, job.count);
    return ranges;
}

std::vector<int> JobCodes(const FakeTransferEngine& engine)
{
    std::vector<int> codes;
    for (const auto& job : engine.started)
        codes.push_back(job.job);
    return codes;
}

} // namespace

TEST_F(UnitDriverTest, BeforeAUnitIsFoundTheLabelsSayWhatTheSearchDoes)
{
    engine.slotPorts = { 3, 0, 12 };
    Tick();
    EXPECT_EQ(SlotText(StatusSlots::kConnection), QStringLiteral("No connection with PC..."));
    EXPECT_EQ(driver.ComLabel(), QStringLiteral("COM=(auto 3,12)"));
    EXPECT_EQ(driver.State(), DriverState::kNoUnit);
    EXPECT_TRUE(engine.started.empty());
}

TEST_F(UnitDriverTest, CheckReadsInformationTwiceThenParametersTwiceAndConfirmsTheUnitCopy)
{
    block = ParameterBlock {};
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return blockState.unitCopyValid; }));

    std::vector<int> codes = JobCodes(engine);
    codes.resize(5);
    EXPECT_EQ(codes, (std::vector<int> { JOB_INFO, JOB_INFO, JOB_MONITOR, JOB_READ, JOB_READ }));
    EXPECT_EQ(engine.started[0].start, 0);
    EXPECT_EQ(engine.started[0].count, 50);
    EXPECT_EQ(engine.started[0].flags, 3);
    EXPECT_EQ(engine.started[2].flags, 5) << "a monitor exchange tries each frame once";
    EXPECT_EQ(ReadRanges(engine), (std::vector<std::pair<int, int>> { { 0, 100 }, { 0, 100 } }));

    EXPECT_EQ(Result(), QStringLiteral("Checking: OK"));
    EXPECT_EQ(blockState.unitCopy.bytes, engine.memory);
    EXPECT_EQ(driver.InformationBlock(), engine.info);
    EXPECT_EQ(driver.ComLabel(), QStringLiteral("COM=7"));
    EXPECT_EQ(status.Gauge().progress, 100);
    EXPECT_EQ(SlotText(StatusSlots::kCongruence), QStringLiteral("Unit and PC settings are different"));
    EXPECT_TRUE(events.informationStored);
    EXPECT_EQ(versions.UnitInfo().name.left(1), QStringLiteral("X"));
}

TEST_F(UnitDriverTest, IdleDriverExchangesMonitorBlocksEverySevenTicks)
{
    ConnectAndCheck();
    const int before = engine.CountOf(JOB_MONITOR);
    Ticks(70);
    EXPECT_EQ(engine.CountOf(JOB_MONITOR) - before, 10);
    EXPECT_EQ(engine.CountOf(JOB_READ), 2) << "nothing but monitor exchanges while idle";
}

TEST_F(UnitDriverTest, DisagreeingParameterReadsAreCheckedAgainByParts)
{
    // The second read of the whole block brings a wrong byte; every read after it is right.
    engine.tamper = [](int index, const FakeTransferEngine::StartedJob& job, std::span<uint8_t> readBack) {
        if (job.job == JOB_READ && job.count == 100 && index == 4)
            readBack[70] ^= 0xFF;
    };
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return blockState.unitCopyValid; }));

    const std::vector<std::pair<int, int>> expected = {
        { 0, 100 }, { 0, 100 }, // the whole block, twice, disagreeing
        { 0, 50 }, { 50, 0 }, { 50, 50 }, { 100, 0 }, // first reads of the four parts
        { 0, 50 }, { 50, 0 }, { 50, 50 }, { 100, 0 }, // second reads
    };
    EXPECT_EQ(ReadRanges(engine), expected);
    EXPECT_EQ(Result(), QStringLiteral("Checking: OK"));
    EXPECT_EQ(blockState.unitCopy.bytes, engine.memory);
    EXPECT_GE(engine.CountOf(JOB_MONITOR), 9) << "a monitor pause before every part read";
}

TEST_F(UnitDriverTest, PartsThatKeepDisagreeingEndTheCheckWithAnError)
{
    // Every second read of each range differs from the one before it: no two reads ever agree.
    std::map<std::pair<int, int>, int> reads;
    engine.tamper = [&reads](int, const FakeTransferEngine::StartedJob& job, std::span<uint8_t> readBack) {
        if (job.job == JOB_READ && job.count > 0 && ++reads[{ job.start, job.count }] % 2 == 0)
            readBack[static_cast<std::size_t>(job.start)] ^= 0xFF;
    };
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusCheckingError); }));

    EXPECT_FALSE(blockState.unitCopyValid);
    EXPECT_FALSE(Saw(kStatusCheckingOk));
    EXPECT_EQ(status.Slot(StatusSlots::kResult)->background, StatusColour::ButtonFace)
        << "a disagreement is reported in the information colours";
    EXPECT_EQ(status.Gauge().colour, GaugeColour::Red);
    // The whole block twice; then by parts twice, each time up to the second read of part 0.
    EXPECT_EQ(engine.CountOf(JOB_READ), 2 + 5 + 5);
}

TEST_F(UnitDriverTest, InformationReadsThatDisagreeTwiceEndTheCheckBeforeTheParameters)
{
    int reads = 0;
    engine.tamper = [&reads](int, const FakeTransferEngine::StartedJob& job, std::span<uint8_t> readBack) {
        if (job.job == JOB_INFO)
            readBack[5] = static_cast<uint8_t>(++reads);
    };
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusCheckingError); }));

    EXPECT_EQ(engine.CountOf(JOB_INFO), 4);
    EXPECT_EQ(engine.CountOf(JOB_READ), 0);
    EXPECT_FALSE(events.informationStored);
}

struct UnmatchedVersionCase {
    const char* name;
    int version;
    int subVersion;
    const char* figures;
};

class UnitDriverVersionTest : public UnitDriverTest, public ::testing::WithParamInterface<UnmatchedVersionCase>
{
};

TEST_P(UnitDriverVersionTest, UnmatchedUnitProgramIsReportedAndTheUnitStaysConnectedAndIdle)
{
    engine.info[UnitInfoOffset::kVersion] = static_cast<uint8_t>(GetParam().version);
    engine.info[UnitInfoOffset::kSubVersion] = static_cast<uint8_t>(GetParam().subVersion);
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return !messages.shown.empty(); }));

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
        QStringLiteral("Unmatched version of PC and Ignition programs!") + QString::fromLatin1(GetParam().figures));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(status.Gauge().colour, GaugeColour::Red);

    Ticks(30);
    EXPECT_EQ(messages.shown.size(), 1u) << "shown once, not on every tick";
    EXPECT_EQ(engine.CountOf(JOB_READ), 0) << "the parameters of an unmatched unit are not read";
    EXPECT_GE(engine.CountOf(JOB_MONITOR), 4) << "the unit stays connected and is polled";
    EXPECT_EQ(engine.disconnects, 0);
    EXPECT_FALSE(blockState.unitCopyValid);
}

INSTANTIATE_TEST_SUITE_P(Versions, UnitDriverVersionTest,
    ::testing::Values(UnmatchedVersionCase { "Older", 108, 0, "  PC-109.00, IGN-108.00" },
        UnmatchedVersionCase { "SubVersion", 109, 1, "  PC-109.00, IGN-109.01" }),
    [](const ::testing::TestParamInfo<UnmatchedVersionCase>& param) { return std::string(param.param.name); });

TEST_F(UnitDriverTest, UnitLockedAgainstReadingEndsTheCheckBeforeTheParameters)
{
    engine.info[UnitInfoOffset::kReadingAllowed] = 0;
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusNoReading); }));

    EXPECT_EQ(status.Slot(StatusSlots::kResult)->background, StatusColour::Red);
    EXPECT_EQ(engine.CountOf(JOB_READ), 0);
    EXPECT_FALSE(blockState.unitCopyValid);
}

TEST_F(UnitDriverTest, ReadRequestedDuringTheCheckStartsOnlyAfterIt)
{
    engine.connectedPort = kPort;
    Tick();
    driver.Request(UnitRequest::kRead);
    ASSERT_TRUE(RunUntil([&] { return engine.CountOf(JOB_READ) == 3; }));

    EXPECT_TRUE(blockState.unitCopyValid) << "the check had ended before the Read's first read";
    EXPECT_EQ(engine.CountOf(JOB_INFO), 2);
    EXPECT_EQ(PositionOf(kStatusRead), static_cast<int>(results.size()) - 1);
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusVerifyOk); }));
    EXPECT_EQ(engine.CountOf(JOB_READ), 4);
}

struct FailedJobsCase {
    const char* name;
    int failures;
    bool checkSucceeds;
};

class UnitDriverFailedCheckTest : public UnitDriverTest, public ::testing::WithParamInterface<FailedJobsCase>
{
};

TEST_P(UnitDriverFailedCheckTest, FailedJobsAreRepeatedUntilTheThirdInARow)
{
    engine.failNext[JOB_INFO] = GetParam().failures;
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusCheckingOk) || Saw(kStatusCheckingError); }));

    EXPECT_EQ(Saw(kStatusCheckingOk), GetParam().checkSucceeds);
    if (!GetParam().checkSucceeds) {
        EXPECT_EQ(status.Slot(StatusSlots::kResult)->background, StatusColour::Red);
        EXPECT_EQ(status.Gauge().colour, GaugeColour::Red);
        EXPECT_EQ(status.Gauge().progress, 100);
        EXPECT_EQ(engine.CountOf(JOB_INFO), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, UnitDriverFailedCheckTest,
    ::testing::Values(FailedJobsCase { "TwoFailuresAreAbsorbed", 2, true },
        FailedJobsCase { "ThirdFailureEndsTheCheck", 3, false }),
    [](const ::testing::TestParamInfo<FailedJobsCase>& param) { return std::string(param.param.name); });

TEST_F(UnitDriverTest, GaugeFollowsTheRunningReadOnTheScaleOfTheWholeCheck)
{
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return driver.State() == DriverState::kCheckRead1; }));
    // Hold the first parameter read half way: the check is then at 150 of 300.
    engine.holdSteps = 3;
    engine.heldAddress = 50;
    Ticks(2);
    ASSERT_EQ(engine.Job(), JOB_READ);
    EXPECT_EQ(status.Gauge().progress, 50);
    EXPECT_TRUE(status.Gauge().visible);
    EXPECT_EQ(status.Gauge().colour, GaugeColour::Aqua);
}
