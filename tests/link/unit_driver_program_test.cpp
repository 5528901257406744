// Program: all bytes or only the changed ones, the read-back that proves the write, and the
// unit's saving that ends it.

#include "tests/link/unit_driver_fixture.h"

#include "shell/status_texts.h"

namespace
{

void SetSavingCountdown(FakeTransferEngine& engine, int countdown)
{
    engine.monitor[MonitorOffset::kSavingCountdown] = static_cast<uint8_t>(countdown & 0xFF);
    engine.monitor[MonitorOffset::kSavingCountdown + 1] = static_cast<uint8_t>(countdown >> 8);
}

std::vector<int> FlaggedAddresses(const FakeTransferEngine::StartedJob& job)
{
    std::vector<int> flagged;
    for (int a = 0; a < FakeTransferEngine::kUnitMemory; ++a)
        if (job.sendFlags[static_cast<std::size_t>(a)])
            flagged.push_back(a);
    return flagged;
}

} // namespace

class UnitDriverProgramTest : public UnitDriverTest
{
protected:
    void SetUp() override
    {
        UnitDriverTest::SetUp();
        ConnectAndCheck();
        m_checkJobs = static_cast<int>(engine.started.size());
    }

    // Jobs of one kind started after the connection check.
    std::vector<FakeTransferEngine::StartedJob> JobsSinceCheck(int job) const
    {
        std::vector<FakeTransferEngine::StartedJob> found;
        for (std::size_t i = static_cast<std::size_t>(m_checkJobs); i < engine.started.size(); ++i)
            if (engine.started[i].job == job)
                found.push_back(engine.started[i]);
        return found;
    }

    int m_checkJobs = 0;
};

TEST_F(UnitDriverProgramTest, ProgramAllWritesEveryByteAndIsDoneWhenTheUnitHasSaved)
{
    for (int i = 0; i < ParameterBlock::kSize; ++i)
        block[i] = static_cast<uint8_t>(200 - i);
    block[ParamIndex::kNoReading] = 0;
    blockState.changed[12] = true;
    SetSavingCountdown(engine, 150);

    driver.Request(UnitRequest::kProgramAll);
    ASSERT_TRUE(RunUntil([&] { return driver.ProgramDone(); }));

    EXPECT_EQ(JobsSinceCheck(JOB_INFO).size(), 2u) << "the unit's version is checked before writing";
    const auto writes = JobsSinceCheck(JOB_WRITE);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].start, 0);
    EXPECT_EQ(writes[0].count, 100);
    EXPECT_EQ(writes[0].flags, kJobMarkSendFlags);
    EXPECT_EQ(FlaggedAddresses(writes[0]).size(), 100u);
    EXPECT_EQ(engine.memory, block.bytes);
    EXPECT_FALSE(blockState.unitCopyValid) << "not confirmed before the unit has saved";

    // The monitor reports the unit's progress; at 0 the program is complete.
    ASSERT_TRUE(RunUntil([&] { return driver.SavingCountdown() == 150; }));
    Tick();
    EXPECT_EQ(status.Gauge().progress, 25);
    EXPECT_EQ(Result(), QStringLiteral("Saving:"));
    SetSavingCountdown(engine, 0);
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusProgramOk); }));

    EXPECT_TRUE(blockState.unitCopyValid);
    EXPECT_EQ(blockState.unitCopy, block);
    EXPECT_EQ(SlotText(StatusSlots::kCongruence), QStringLiteral("Unit and PC settings are identical"));
    EXPECT_EQ(std::count(blockState.changed.begin(), blockState.changed.end(), true), 0);
    EXPECT_EQ(status.Gauge().progress, 100);
}

TEST_F(UnitDriverProgramTest, ProgramChangesWritesOnlyTheMarkedBytesAndChecksOnlyThem)
{
    block.bytes = engine.memory;
    block[30] = 222; // edited and marked
    block[60] = 9; // differs from the unit, but was not edited since the last program
    blockState.changed[30] = true;

    driver.Request(UnitRequest::kProgramChanges);
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusProgramOk) || Saw(kStatusVerifyError); }));

    EXPECT_TRUE(Saw(kStatusProgramOk)) << "a difference in an unmarked byte does not fail the program";
    EXPECT_TRUE(JobsSinceCheck(JOB_INFO).empty());
    const auto writes = JobsSinceCheck(JOB_WRITE);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].flags, 0) << "the caller's send flags are used as they are";
    EXPECT_EQ(FlaggedAddresses(writes[0]), std::vector<int> { 30 });
    EXPECT_EQ(engine.memory[30], 222);
    EXPECT_EQ(engine.memory[60], 61) << "the block holding byte 60 was not written";

    // The unit copy is what the unit holds, so the label does not claim the settings are the same.
    EXPECT_TRUE(blockState.unitCopyValid);
    EXPECT_EQ(blockState.unitCopy.bytes, engine.memory);
    EXPECT_EQ(SlotText(StatusSlots::kCongruence), QStringLiteral("Unit and PC settings are different"));
}

TEST_F(UnitDriverProgramTest, WriteThatTheReadBackDoesNotProveIsNeverReportedAsDone)
{
    engine.acceptsWrites = false;
    block[30] ^= 0x55;
    blockState.changed[30] = true;

    driver.Request(UnitRequest::kProgramAll);
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusVerifyError); }));
    Ticks(60);

    EXPECT_EQ(JobsSinceCheck(JOB_WRITE).size(), 2u) << "written twice, then given up";
    EXPECT_FALSE(Saw(kStatusProgramOk));
    EXPECT_FALSE(Saw(kStatusSaving));
    EXPECT_FALSE(blockState.unitCopyValid);
    EXPECT_TRUE(blockState.changed[30]) << "the change is still to be programmed";
    EXPECT_EQ(status.Gauge().colour, GaugeColour::Red);
}

TEST_F(UnitDriverProgramTest, UnmatchedUnitVersionStopsTheProgramBeforeWriting)
{
    engine.info[UnitInfoOffset::kVersion] = 108;

    RunRequest(UnitRequest::kProgramAll);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.endsWith(QStringLiteral("  PC-109.00, IGN-108.00")));
    EXPECT_TRUE(JobsSinceCheck(JOB_WRITE).empty());
    EXPECT_EQ(engine.disconnects, 0);
}

TEST_F(UnitDriverProgramTest, EditDuringProgramAllDoesNotNarrowWhatIsWrittenAndChecked)
{
    // A program of all bytes waits; an edit asks for the changed bytes: all of them are still written.
    driver.Request(UnitRequest::kProgramAll);
    driver.Request(UnitRequest::kProgramChanges);
    EXPECT_EQ(driver.PendingRequest(), UnitRequest::kProgramAll);
    EXPECT_TRUE(driver.ProgramAllRequested());

    // Once running, an edit leaves its own request for afterwards.
    ASSERT_TRUE(RunUntil([&] { return driver.State() == DriverState::kProgramInfo2; }));
    block[75] ^= 0x0F;
    blockState.changed[75] = true;
    driver.Request(UnitRequest::kProgramChanges);
    ASSERT_TRUE(RunUntil([&] { return JobsSinceCheck(JOB_WRITE).size() == 2; }));

    const auto writes = JobsSinceCheck(JOB_WRITE);
    EXPECT_EQ(writes[0].flags, kJobMarkSendFlags);
    EXPECT_EQ(FlaggedAddresses(writes[0]).size(), 100u);
    EXPECT_EQ(writes[1].flags, 0);
    EXPECT_EQ(engine.memory, block.bytes);
}

TEST_F(UnitDriverProgramTest, FailedProgramDuringAnEarlierSaveIsNotReportedAsDone)
{
    SetSavingCountdown(engine, 120);
    block[30] ^= 0x11;
    driver.Request(UnitRequest::kProgramAll);
    ASSERT_TRUE(RunUntil([&] { return driver.SavingCountdown() == 120; }));

    // While the unit still saves, a second program fails.
    engine.acceptsWrites = false;
    block[31] ^= 0x22;
    blockState.changed[31] = true;
    RunRequest(UnitRequest::kProgramChanges);
    EXPECT_EQ(JobsSinceCheck(JOB_WRITE).size(), 3u) << "one write of the first program, two of the second";

    SetSavingCountdown(engine, 0);
    Ticks(40);
    EXPECT_FALSE(Saw(kStatusProgramOk));
    EXPECT_FALSE(blockState.unitCopyValid);
}

TEST_F(UnitDriverProgramTest, ProgrammingTheNoReadingLockUpdatesWhatTheDriverKnowsOfTheUnit)
{
    block.bytes = engine.memory;
    block[ParamIndex::kNoReading] = 1;

    driver.Request(UnitRequest::kProgramAll);
    ASSERT_TRUE(RunUntil([&] { return Saw(kStatusProgramOk); }));
    EXPECT_EQ(driver.InformationBlock()[UnitInfoOffset::kReadingAllowed], 0);
    EXPECT_EQ(SlotText(StatusSlots::kCongruence), QStringLiteral("No reading !"));

    results.clear();
    RunRequest(UnitRequest::kRead);
    EXPECT_EQ(results.back(), QStringLiteral("No reading !"));
}
