// The connection side of the driver: the monitor exchange, losing the unit, Reset, and lending the
// port to the bootloader tool.

#include "tests/link/unit_driver_fixture.h"

#include "link/unit_com_label.h"
#include "shell/status_texts.h"

TEST_F(UnitDriverTest, ThirdFailedMonitorExchangeInARowGivesTheUnitUp)
{
    ConnectAndCheck();
    engine.slotPorts = { 3, 0, 0 };

    engine.failNext[JOB_MONITOR] = 2;
    Ticks(30);
    EXPECT_EQ(engine.disconnects, 0) << "two failures are repeated silently";
    EXPECT_EQ(driver.FailedJobs(), 0);

    engine.failNext[JOB_MONITOR] = 3;
    ASSERT_TRUE(RunUntil([&] { return engine.disconnects == 1; }));
    EXPECT_EQ(SlotText(StatusSlots::kConnection), QStringLiteral("No connection with PC..."));
    EXPECT_EQ(status.Slot(StatusSlots::kConnection)->background, StatusColour::Red);
    EXPECT_FALSE(blockState.unitCopyValid);
    EXPECT_TRUE(events.linkLost);
    EXPECT_EQ(versions.State(), UnitVersionState::NotConnected);
    EXPECT_EQ(driver.Key().status, MonitorKey::kUnknown);

    Tick();
    EXPECT_EQ(driver.State(), DriverState::kNoUnit);
    EXPECT_EQ(driver.ComLabel(), QStringLiteral("COM=(auto 3)"));

    // Found again: the check runs again from the start.
    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return blockState.unitCopyValid; }));
    EXPECT_EQ(Result(), QStringLiteral("Checking: OK"));
}

TEST_F(UnitDriverTest, TestCommandsRideOnTheNextMonitorRequestOnce)
{
    ConnectAndCheck();
    driver.RequestTest(kTestIgnition);
    driver.RequestTest(kTestIgnition);
    driver.RequestTest(kTestRpm);
    const std::size_t before = engine.JobsOf(JOB_MONITOR).size();
    ASSERT_TRUE(RunUntil([&] { return engine.JobsOf(JOB_MONITOR).size() == before + 2; }));

    const auto monitors = engine.JobsOf(JOB_MONITOR);
    const auto& request = monitors[before];
    EXPECT_EQ(request.start, 0);
    EXPECT_EQ(request.count, 50);
    EXPECT_EQ(request.flags, kJobMarkSendFlags | kJobSingleAttempt);
    std::array<uint8_t, 50> expected {};
    expected[20] = kTestIgnition | kTestRpm;
    expected[49] = 109;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), request.pcImage.begin()));
    EXPECT_EQ(monitors[before + 1].pcImage[20], 0) << "sent once";
}

TEST_F(UnitDriverTest, MonitorBlockGivesTheKeyAndTakesBackOnlyTheNoConnectionWarning)
{
    engine.monitor[MonitorOffset::kKey] = 108;
    engine.monitor[MonitorOffset::kRpm] = 0x10;
    engine.connectedPort = kPort;
    Tick();
    ASSERT_EQ(SlotText(StatusSlots::kConnection), QStringLiteral("No connection with PC..."));
    ASSERT_TRUE(RunUntil([&] { return events.monitorBlock; }));

    EXPECT_EQ(SlotText(StatusSlots::kConnection), QString());
    EXPECT_EQ(driver.Monitor().Word(MonitorOffset::kRpm), 0x10);
    EXPECT_EQ(driver.Monitor().bytes[0], 0);
    EXPECT_EQ(driver.Key().status, MonitorKey::kUnmatched);
    EXPECT_TRUE(driver.Key().text.endsWith(QStringLiteral("  PC-109, IGN-108")));
    EXPECT_EQ(versions.State(), UnitVersionState::Unmatched);

    // The search's text naming the connected unit outranks the monitor.
    status.ShowStatus(StatusSlots::kConnection, "Unit 109 connected", StatusSlots::kPermanent, StatusColour::Black,
        StatusColour::ButtonFace, 100, tick);
    events = {};
    ASSERT_TRUE(RunUntil([&] { return events.monitorBlock; }));
    EXPECT_EQ(SlotText(StatusSlots::kConnection), QStringLiteral("Unit 109 connected"));
}

TEST_F(UnitDriverTest, DuringPlaybackLiveBlocksAreNotPresentedButTheSavingCountdownIsKept)
{
    ConnectAndCheck();
    engine.monitor[MonitorOffset::kKey] = 108;
    engine.monitor[MonitorOffset::kSavingCountdown] = 30;
    const int monitors = engine.CountOf(JOB_MONITOR);
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(Tick(true).monitorBlock);

    EXPECT_GT(engine.CountOf(JOB_MONITOR), monitors);
    EXPECT_EQ(driver.Monitor().Byte(MonitorOffset::kKey), 109) << "the panel keeps the recording's data";
    EXPECT_EQ(driver.SavingCountdown(), 30);
}

TEST_F(UnitDriverTest, ResetSendsTheResetCommandAndKeepsTheUnit)
{
    ConnectAndCheck();
    engine.PcImage()[3] = 0x77; // left over from an earlier job

    RunRequest(UnitRequest::kReset);

    const auto commands = engine.JobsOf(JOB_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].start, 0);
    EXPECT_EQ(commands[0].count, 1);
    EXPECT_EQ(commands[0].flags, kJobMarkSendFlags);
    std::array<uint8_t, 50> expected {};
    expected[12] = 0xA5;
    expected[13] = 0x10;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), commands[0].pcImage.begin()));
    EXPECT_EQ(engine.commandWord, 0xF000);
    EXPECT_EQ(engine.commandAddress, 0x0640);
    EXPECT_EQ(engine.commandLength, 0);
    EXPECT_FALSE(driver.Offline());
    EXPECT_EQ(engine.disconnects, 0);
}

TEST_F(UnitDriverTest, BootloaderBorrowsTheConnectedPortAndGivesItBack)
{
    ConnectAndCheck();
    status.ShowStatus(StatusSlots::kConnection, "Unit 109 connected", StatusSlots::kPermanent, StatusColour::Black,
        StatusColour::ButtonFace, 100, tick);

    UnitDriverEvents e = driver.BootloaderMessage(kPort + 1, BootloaderCode::kRelease);
    EXPECT_FALSE(e.offlineChanged) << "a message for another port is ignored";
    EXPECT_FALSE(driver.Offline());

    e = driver.BootloaderMessage(kPort, BootloaderCode::kRelease);
    EXPECT_TRUE(e.offlineChanged);
    EXPECT_TRUE(e.applyLanguage);
    EXPECT_TRUE(driver.Offline());
    EXPECT_EQ(driver.ReleasedPort(), kPort);
    EXPECT_EQ(engine.disconnects, 1);
    EXPECT_FALSE(blockState.unitCopyValid);
    EXPECT_EQ(SlotText(StatusSlots::kConnection), QString()) << "no unit is named while the port is lent out";
    Ticks(3);
    EXPECT_EQ(driver.ComLabel(), QStringLiteral("COM=7 (DISCONECTED)"));
    EXPECT_EQ(driver.State(), DriverState::kNoUnit);

    e = driver.BootloaderMessage(kPort + 1, BootloaderCode::kTakeBack);
    EXPECT_TRUE(driver.Offline()) << "only the released port is taken back";

    e = driver.BootloaderMessage(kPort, BootloaderCode::kTakeBack);
    EXPECT_TRUE(e.offlineChanged);
    EXPECT_TRUE(e.applyLanguage);
    EXPECT_FALSE(driver.Offline());
    EXPECT_EQ(driver.ReleasedPort(), -1);
    EXPECT_EQ(SlotText(StatusSlots::kConnection), QStringLiteral("No connection with PC..."));

    engine.connectedPort = kPort;
    ASSERT_TRUE(RunUntil([&] { return blockState.unitCopyValid; }));
}

struct ResetAndReleaseCase {
    const char* name;
    int failedCommands;
};

class UnitDriverResetAndReleaseTest : public UnitDriverTest, public ::testing::WithParamInterface<ResetAndReleaseCase>
{
};

TEST_P(UnitDriverResetAndReleaseTest, PortIsReleasedAfterTheReset)
{
    ConnectAndCheck();
    engine.failNext[JOB_COMMAND] = GetParam().failedCommands;
    const UnitDriverEvents e = driver.BootloaderMessage(kPort, BootloaderCode::kResetAndRelease);
    EXPECT_FALSE(e.offlineChanged) << "the reset goes first";
    EXPECT_EQ(driver.PendingRequest(), UnitRequest::kResetThenOffline);

    ASSERT_TRUE(RunUntil([&] { return driver.Offline(); }));
    EXPECT_EQ(engine.CountOf(JOB_COMMAND), std::max(1, GetParam().failedCommands));
    EXPECT_EQ(driver.ReleasedPort(), kPort);
    EXPECT_TRUE(events.offlineChanged);
    Tick();
    EXPECT_EQ(driver.ComLabel(), QStringLiteral("COM=7 (DISCONECTED)"));
}

INSTANTIATE_TEST_SUITE_P(Reset, UnitDriverResetAndReleaseTest,
    ::testing::Values(ResetAndReleaseCase { "ResetTaken", 0 }, ResetAndReleaseCase { "ResetFailedThreeTimes", 3 }),
    [](const ::testing::TestParamInfo<ResetAndReleaseCase>& param) { return std::string(param.param.name); });

namespace
{

// Stands for the window's message box, whose event loop keeps the timer ticking.
class TickingMessageSink : public IMessageSink
{
public:
    MessageAnswer Show(const MessageRequest&) override
    {
        ++shown;
        if (whileShown)
            whileShown();
        return MessageAnswer::Ok;
    }
    std::function<void()> whileShown;
    int shown = 0;
};

} // namespace

TEST(UnitDriverMessageBoxTest, TicksWhileTheVersionBoxIsUpKeepTheLinkGoingAndShowItOnce)
{
    FakeTransferEngine engine;
    engine.info[UnitInfoOffset::kReadingAllowed] = 1;
    engine.info[UnitInfoOffset::kVersion] = 108;
    engine.monitor[MonitorOffset::kKey] = 109;
    engine.connectedPort = 7;
    ParameterBlock block;
    ParameterState blockState;
    StatusSlots status;
    VersionTexts versions("Apr 24 2025", QTimeZone::utc());
    TickingMessageSink sink;
    CUnitDriver driver(UnitDriverContext { engine, block, blockState, status, versions, sink });
    int32_t tick = 0;
    sink.whileShown = [&] {
        for (int i = 0; i < 30; ++i)
            driver.Step(++tick, false);
    };

    for (int i = 0; i < 40; ++i)
        driver.Step(++tick, false);

    EXPECT_EQ(sink.shown, 1);
    EXPECT_GE(engine.CountOf(JOB_MONITOR), 4) << "the unit was polled while the box was up";
    EXPECT_EQ(engine.disconnects, 0);
}

struct ComLabelCase {
    const char* name;
    bool offline;
    int released;
    int selection;
    std::array<int, 3> ports;
    int language;
    const char* text;
};

class ComLabelTest : public ::testing::TestWithParam<ComLabelCase>
{
};

TEST_P(ComLabelTest, SaysWhatTheLinkDoesWithoutAUnit)
{
    SetCurrentLanguage(GetParam().language);
    const ComLabelCase& c = GetParam();
    EXPECT_EQ(ComLabelWithoutUnit(c.offline, c.released, c.selection, c.ports), QString::fromUtf8(c.text));
    SetCurrentLanguage(kEnglish);
}

INSTANTIATE_TEST_SUITE_P(Labels, ComLabelTest,
    ::testing::Values(ComLabelCase { "Offline", true, 4, 0, { 0, 0, 0 }, kEnglish, "COM=4 (DISCONECTED)" },
        ComLabelCase { "PortsOff", false, -1, -1, { 0, 0, 0 }, kEnglish, "COM=OFF" },
        ComLabelCase { "AutoWithPorts", false, -1, 0, { 3, 0, 12 }, kEnglish, "COM=(auto 3,12)" },
        ComLabelCase { "AutoWithoutPorts", false, -1, 0, { 0, 0, 0 }, kEnglish, "COM=none" },
        ComLabelCase { "AutoWithoutPortsCzech", false, -1, 0, { 0, 0, 0 }, kCzech, "COM=žádný" },
        ComLabelCase { "FixedPort", false, -1, 5, { 5, 0, 0 }, kEnglish, "COM=5" },
        ComLabelCase { "FixedPortNotOpenYet", false, -1, 5, { 0, 0, 0 }, kEnglish, "COM=" }),
    [](const ::testing::TestParamInfo<ComLabelCase>& param) { return std::string(param.param.name); });
