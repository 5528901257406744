// The unit-operation driver with the real transfer engine against the simulated unit: connection
// check, Read, Verify and Program as the user sees them in the result label, and what reached the
// unit. Time is stepped tick by tick (see UnitRig), so every run takes the same course.

#include "link/frame_format.h"
#include "link/unit_operation_codes.h"
#include "params/normalize_parameters.h"
#include "params/parameter_layout.h"
#include "shell/language.h"
#include "shell/message_table.h"
#include "shell/status_texts.h"
#include "sim/request_parser.h"
#include "sim/unit_requests.h"
#include "soak/program_soak.h"
#include "soak/unit_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace
{

// Ticks of one frame that never gets a good reply: every attempt waits out the reply time-out.
constexpr int kFrameGiveUpTicks = CCOMCOM::kAttempts * (CCOMCOM::kReplyTimeoutMs / LinkClock::kMsPerTick + 2);
// Hang guards, far above what the operations take: an operation is at most a few jobs of a few
// frames, each job tried up to the driver's limit.
constexpr int kOperationTicks = 8 * CUnitDriver::kFailedJobsLimit * kFrameGiveUpTicks;
constexpr int kConnectTicks = 400;
// The unit saves for this many ticks after a write.
constexpr int kSavingTicks = UnitState::kSavingCountdownStart * UnitState::kSavingStepMs / LinkClock::kMsPerTick;

UnitConfig StillUnit(int protocol)
{
    UnitConfig config;
    config.protocol = protocol;
    config.baudRate = DefaultBaudRate(protocol);
    config.engine.fixedRpm = 0;
    config.engine.input1 = 0;
    config.engine.input2 = 0;
    return config;
}

// Settings that differ from the unit's factory contents in many bytes.
ParameterBlock Settings(int baseAdvance, int hardLimiter, int firstCurvePoint)
{
    ParameterBlock block;
    SetDefaults(block);
    block[ParamIndex::kBaseAdvance] = static_cast<uint8_t>(baseAdvance);
    block[ParamIndex::kHardLimiterA] = static_cast<uint8_t>(hardLimiter);
    block[ParamIndex::kAdvancesA] = static_cast<uint8_t>(firstCurvePoint);
    NormalizeParameters(block);
    return block;
}

// A write request as the unit heard it: the addresses it covers.
struct Write {
    int address;
    int length;
    bool operator==(const Write&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Write& write)
{
    return out << "{at " << write.address << ", " << write.length << " bytes}";
}

// The parameter writes among the frames the PC sent, cut out by the unit's own receiver.
std::vector<Write> WritesIn(const std::vector<uint8_t>& sent, int protocol)
{
    UnitRequestParser parser;
    parser.Reset(protocol, 50);
    std::vector<Write> writes;
    for (uint8_t byte : sent) {
        if (!parser.Push(byte, 0))
            continue;
        const uint8_t* frame = parser.Frame();
        if (IsIgnProtocol(protocol)) {
            const int n = IgnDataSize(protocol);
            if (frame[0] >= IgnRequest::kWriteFirst && frame[0] <= IgnRequest::kWriteLast)
                writes.push_back({ (frame[0] - IgnRequest::kWriteFirst) * n, n });
        } else {
            const WcomFields fields = ReadWcomFields(frame);
            if (fields.command == WcomRequest::kWriteMemory)
                writes.push_back({ fields.address, fields.length });
        }
    }
    return writes;
}

class DriverOnSimulatedUnit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetCurrentLanguage(kEnglish);
        RebuildMessageTable(kEnglish);
    }

    void Start(const UnitConfig& config, bool recordRequests = false)
    {
        UnitRig::Options options;
        options.unit = config;
        options.recordRequests = recordRequests;
        rig = std::make_unique<UnitRig>(options);
    }

    bool Idle() const
    {
        const int state = rig->Driver().State();
        return rig->Driver().UnitConnected() && (state == DriverState::kIdle || state == DriverState::kMonitor);
    }

    // Until the unit has been found and its connection check has ended.
    void ConnectAndCheck()
    {
        ASSERT_TRUE(rig->TickUntil([&] { return Idle(); }, kConnectTicks));
    }

    // Leaves the request and steps until the driver has taken it and is idle again; a program is
    // followed until the unit has saved.
    void RunRequest(int code)
    {
        rig->ClearResults();
        rig->ClearEvents();
        rig->Driver().Request(code);
        ASSERT_TRUE(rig->TickUntil(
            [&] { return rig->Driver().PendingRequest() == UnitRequest::kNone && Idle() && !rig->Driver().ProgramDone(); },
            kOperationTicks));
    }

    bool Saw(const char* text) const { return PositionOf(text) >= 0; }
    int PositionOf(const char* text) const
    {
        const std::vector<QString>& results = rig->Results();
        const auto found = std::find(results.begin(), results.end(), SelectQText(text, kEnglish));
        return found == results.end() ? -1 : static_cast<int>(found - results.begin());
    }
    QString ConnectionText() const
    {
        const StatusSlot* slot = rig->Status().Slot(StatusSlots::kConnection);
        return slot && slot->visible ? slot->text : QString();
    }

    std::unique_ptr<UnitRig> rig;
};

// Every protocol ------------------------------------------------------------------------------------

class DriverPerProtocol : public DriverOnSimulatedUnit, public ::testing::WithParamInterface<int>
{
protected:
    void SetUp() override
    {
        DriverOnSimulatedUnit::SetUp();
        Start(StillUnit(GetParam()), true);
        held = Settings(12, 110, 9);
        rig->SetUnitParameters(held);
    }

    ParameterBlock held; // what the unit holds at the start
};

TEST_P(DriverPerProtocol, CheckAfterConnectingEndsWithCheckingOkAndTheUnitsSettingsAsUnitCopy)
{
    ConnectAndCheck();

    EXPECT_TRUE(Saw(kStatusChecking));
    EXPECT_EQ(rig->ResultText(), QStringLiteral("Checking: OK"));
    EXPECT_TRUE(rig->BlockState().unitCopyValid);
    EXPECT_EQ(rig->BlockState().unitCopy, held);
    EXPECT_EQ(rig->Driver().InformationBlock()[UnitInfoOffset::kVersion], kRsKey);
    EXPECT_EQ(rig->Driver().InformationBlock()[UnitInfoOffset::kReadingAllowed], 1);
    EXPECT_TRUE(rig->Events().informationStored);
    EXPECT_TRUE(rig->Messages().empty());
    EXPECT_EQ(rig->Driver().ComLabel(), QStringLiteral("COM=7"));
    EXPECT_EQ(rig->Status().Gauge().progress, 100);
    EXPECT_NE(rig->Status().Gauge().colour, GaugeColour::Red);
}

TEST_P(DriverPerProtocol, ReadReplacesTheBlockWithTheUnitsSettings)
{
    ConnectAndCheck();
    rig->Block()[40] ^= 0x01;
    rig->BlockState().changed[40] = true;

    RunRequest(UnitRequest::kRead);

    EXPECT_LT(PositionOf(kStatusRead), PositionOf(kStatusVerifyOk));
    EXPECT_EQ(rig->ResultText(), QStringLiteral("Verify: OK"));
    EXPECT_EQ(rig->Block(), held);
    // The window clears the new-installation flag and refreshes its controls on this event.
    EXPECT_TRUE(rig->Events().parametersRead);
    EXPECT_TRUE(rig->Events().readStarted);
    EXPECT_EQ(std::count(rig->BlockState().changed.begin(), rig->BlockState().changed.end(), true), 0);
    EXPECT_TRUE(rig->BlockState().unitCopyValid);
    EXPECT_EQ(rig->BlockState().unitCopy, held);
}

TEST_P(DriverPerProtocol, ProgramAllWritesTheBlockAndEndsWhenTheUnitHasSavedIt)
{
    ConnectAndCheck();
    const ParameterBlock wanted = Settings(20, 125, 14);
    ASSERT_NE(wanted, held);
    const int programmings = rig->Unit().State().Programmings();
    rig->Block() = wanted;
    rig->ClearSentBytes();

    RunRequest(UnitRequest::kProgramAll);

    EXPECT_EQ(rig->UnitParameters(), wanted);
    EXPECT_EQ(rig->Unit().State().Programmings(), programmings + 1) << "written and saved once";
    const int program = PositionOf(kStatusProgram);
    EXPECT_GE(program, 0);
    EXPECT_LT(program, PositionOf(kStatusSaving));
    EXPECT_LT(PositionOf(kStatusSaving), PositionOf(kStatusProgramOk));
    EXPECT_EQ(rig->ResultText(), QStringLiteral("Program device: OK"));
    EXPECT_TRUE(rig->BlockState().unitCopyValid);
    EXPECT_EQ(rig->BlockState().unitCopy, wanted);
    // The whole block went out once: whole IGN frames from address 0, or WCOM frames that end with
    // the block.
    int written = 0;
    for (const Write& write : WritesIn(rig->SentBytes(), GetParam()))
        written += write.length;
    const int ignFrame = IgnDataSize(GetParam());
    EXPECT_EQ(written, IsIgnProtocol(GetParam()) ? std::max(ignFrame, ParameterBlock::kSize) : ParameterBlock::kSize);
}

TEST_P(DriverPerProtocol, ProgramChangesWritesOnlyTheFrameOfTheChangedByteAndComparesOnlyThatByte)
{
    ConnectAndCheck();
    // The PC's block differs from the unit in bytes 60 and 99 too, but only byte 30 was edited.
    rig->Block() = held;
    rig->Block()[30] ^= 0x05;
    rig->Block()[60] ^= 0x03;
    rig->Block()[99] ^= 0x01;
    rig->BlockState().changed[30] = true;
    rig->ClearSentBytes();

    RunRequest(UnitRequest::kProgramChanges);

    EXPECT_TRUE(Saw(kStatusProgramOk)) << "the differences in bytes that were not edited do not count";
    EXPECT_FALSE(Saw(kStatusChecking)) << "a program of changes does not read the information block";
    // IGN frames carry whole blocks: the one holding byte 30 goes out as the PC has it.
    const std::vector<Write> expected = IsIgnProtocol(GetParam())
        ? std::vector<Write> { { 0, IgnDataSize(GetParam()) } }
        : std::vector<Write> { { 30, 1 } };
    const std::vector<Write> writes = WritesIn(rig->SentBytes(), GetParam());
    ASSERT_EQ(writes, expected);
    const ParameterBlock unit = rig->UnitParameters();
    for (int a = 0; a < ParameterBlock::kSize; ++a) {
        const bool written = a >= writes[0].address && a < writes[0].address + writes[0].length;
        EXPECT_EQ(unit[a], written ? rig->Block()[a] : held[a]) << "byte " << a;
    }
    // The unit copy is what the unit holds, whatever the PC's block says of the bytes not written.
    EXPECT_EQ(rig->BlockState().unitCopy, unit);
    EXPECT_TRUE(rig->BlockState().unitCopyValid);
}

INSTANTIATE_TEST_SUITE_P(Protocols, DriverPerProtocol, ::testing::Values(IGN50, IGN100, IGN150, IGN300, WCOM, WCOMS),
    [](const ::testing::TestParamInfo<int>& param) { return std::string(ProtocolName(param.param)); });

// Verify ---------------------------------------------------------------------------------------------

struct VerifyCase {
    const char* name;
    int byte; // the byte in which the PC's block differs from the unit's; -1 none
    const char* result;
};

void PrintTo(const VerifyCase& c, std::ostream* out)
{
    *out << c.name;
}

class DriverVerify : public DriverOnSimulatedUnit, public ::testing::WithParamInterface<VerifyCase>
{
};

TEST_P(DriverVerify, ComparesEveryByteButTheNoReadingLock)
{
    Start(StillUnit(IGN50));
    const ParameterBlock held = Settings(12, 110, 9);
    rig->SetUnitParameters(held);
    ConnectAndCheck();
    rig->Block() = held;
    if (GetParam().byte >= 0)
        rig->Block()[GetParam().byte] ^= 0x01;

    RunRequest(UnitRequest::kVerify);

    EXPECT_EQ(rig->ResultText(), SelectQText(GetParam().result, kEnglish));
    EXPECT_EQ(rig->UnitParameters(), held) << "a verify writes nothing";
}

INSTANTIATE_TEST_SUITE_P(Differences, DriverVerify,
    ::testing::Values(VerifyCase { "None", -1, kStatusVerifyOk },
        VerifyCase { "OnlyTheNoReadingLock", ParamIndex::kNoReading, kStatusVerifyOk },
        VerifyCase { "TheByteBeforeTheLock", ParamIndex::kNoReading - 1, kStatusVerifyError },
        VerifyCase { "TheByteAfterTheLock", ParamIndex::kNoReading + 1, kStatusVerifyError },
        VerifyCase { "TheLastByte", ParameterBlock::kSize - 1, kStatusVerifyError }),
    [](const ::testing::TestParamInfo<VerifyCase>& param) { return std::string(param.param.name); });

// Unit program version -------------------------------------------------------------------------------

TEST_F(DriverOnSimulatedUnit, UnitOfAnotherProgramVersionGetsOneBoxAndStaysConnectedAndIdle)
{
    UnitConfig config = StillUnit(IGN50);
    config.information.version = 108;
    Start(config);
    const ParameterBlock factory = rig->UnitParameters();

    ConnectAndCheck();
    ASSERT_EQ(rig->Messages().size(), 1u);
    EXPECT_EQ(rig->Messages()[0].text, QStringLiteral("Unmatched version of PC and Ignition programs!  PC-109.00, IGN-108.00"));
    EXPECT_EQ(rig->Status().Gauge().colour, GaugeColour::Red);
    EXPECT_FALSE(rig->BlockState().unitCopyValid) << "the check ended before the parameter block";

    // The monitor goes on: the unit stays connected, and no further box comes.
    rig->ClearEvents();
    const uint32_t failedJobs = rig->Link().Counters().failedJobs.load();
    for (int i = 0; i < 5 * (CUnitDriver::kPollTicks + 1); ++i)
        ASSERT_TRUE(rig->Tick());
    EXPECT_TRUE(rig->Driver().UnitConnected());
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(rig->Events().monitorBlock);
    EXPECT_FALSE(rig->Events().linkLost);
    EXPECT_EQ(rig->Link().Counters().failedJobs.load(), failedJobs);
    EXPECT_EQ(rig->Messages().size(), 1u);

    // A program asks again and writes nothing.
    rig->Block() = Settings(20, 125, 14);
    RunRequest(UnitRequest::kProgramAll);
    EXPECT_EQ(rig->Messages().size(), 2u);
    EXPECT_FALSE(Saw(kStatusProgram));
    EXPECT_EQ(rig->UnitParameters(), factory);
}

// Requests and the connection ------------------------------------------------------------------------

TEST_F(DriverOnSimulatedUnit, ReadRequestedDuringTheCheckStartsOnlyAfterTheCheckHasEnded)
{
    Start(StillUnit(IGN50));
    const ParameterBlock held = Settings(12, 110, 9);
    rig->SetUnitParameters(held);
    ASSERT_TRUE(rig->TickUntil([&] { return rig->Driver().State() == DriverState::kCheckInfo2; }, kConnectTicks));
    rig->Driver().Request(UnitRequest::kRead);

    // The check ends and the read starts in the same step ("Read:" takes the label over at once),
    // so the order shows in the states the driver went through.
    std::vector<int> states;
    ASSERT_TRUE(rig->TickUntil(
        [&] {
            states.push_back(rig->Driver().State());
            return rig->Driver().State() == DriverState::kRead1;
        },
        kOperationTicks));
    EXPECT_TRUE(rig->BlockState().unitCopyValid) << "the check had confirmed the unit's settings";
    EXPECT_NE(std::find(states.begin(), states.end(), DriverState::kCheckRead2), states.end())
        << "the check ran to its second parameter read";
    EXPECT_EQ(rig->BlockState().unitCopy, held);

    ASSERT_TRUE(rig->TickUntil([&] { return Saw(kStatusVerifyOk); }, kOperationTicks));
    EXPECT_EQ(rig->Block(), held);
}

TEST_F(DriverOnSimulatedUnit, UnitThatStopsAnsweringIsGivenUpAfterThreeMonitorExchangesAndFoundAgain)
{
    Start(StillUnit(IGN50));
    ConnectAndCheck();
    const uint32_t failedJobs = rig->Link().Counters().failedJobs.load();
    rig->ClearEvents();

    rig->SetUnplugged(true);
    // Each exchange waits out its reply time-out once (monitor exchanges are not repeated), then the
    // next starts after the poll interval.
    constexpr int kExchangeTicks = CUnitDriver::kPollTicks + 2 + CCOMCOM::kReplyTimeoutMs / LinkClock::kMsPerTick + 2;
    ASSERT_TRUE(rig->TickUntil([&] { return !rig->Driver().UnitConnected(); },
        (CUnitDriver::kFailedJobsLimit + 1) * kExchangeTicks));

    EXPECT_EQ(rig->Link().Counters().failedJobs.load() - failedJobs, static_cast<uint32_t>(CUnitDriver::kFailedJobsLimit));
    EXPECT_TRUE(rig->Events().linkLost);
    EXPECT_EQ(ConnectionText(), QStringLiteral("No connection with PC..."));
    EXPECT_FALSE(rig->BlockState().unitCopyValid);
    rig->Tick();
    EXPECT_TRUE(rig->Driver().ComLabel().startsWith(QStringLiteral("COM="))) << rig->Driver().ComLabel().toStdString();
    EXPECT_EQ(rig->Driver().State(), DriverState::kNoUnit);

    rig->ClearResults();
    rig->SetUnplugged(false);
    ConnectAndCheck();
    EXPECT_TRUE(Saw(kStatusCheckingOk)) << "the unit found again is checked again";
}

// An outcome while the unit still saves ---------------------------------------------------------------

struct DuringSavingCase {
    const char* name;
    int request;
    int differingByte; // in the PC's block after the program; -1 none
    const char* outcome;
    // A read starts from what the unit holds, so the program's own end is no longer announced.
    bool programEndFollows;
};

void PrintTo(const DuringSavingCase& c, std::ostream* out)
{
    *out << c.name;
}

class DriverDuringSaving : public DriverOnSimulatedUnit, public ::testing::WithParamInterface<DuringSavingCase>
{
};

TEST_P(DriverDuringSaving, OutcomeOfAnOperationThatEndsWhileTheUnitSavesStaysInView)
{
    const DuringSavingCase& c = GetParam();
    Start(StillUnit(IGN50));
    ConnectAndCheck();
    const ParameterBlock wanted = Settings(20, 125, 14);
    rig->Block() = wanted;
    rig->Driver().Request(UnitRequest::kProgramAll);
    // The program is verified and the unit has reported that it is saving.
    ASSERT_TRUE(rig->TickUntil(
        [&] { return rig->Driver().ProgramDone() && rig->Driver().SavingCountdown() > CUnitDriver::kSavingStart; },
        kOperationTicks));

    rig->ClearResults();
    if (c.differingByte >= 0)
        rig->Block()[c.differingByte] ^= 0x01;
    rig->Driver().Request(c.request);
    ASSERT_TRUE(rig->TickUntil([&] { return Saw(c.outcome); }, kSavingTicks))
        << "last text: " << rig->ResultText().toStdString();
    ASSERT_GT(rig->Driver().SavingCountdown(), 0) << "the operation should end while the unit still saves";

    // It stays for a moment a user can read it; "Saving:" does not take its place.
    const QString outcome = SelectQText(c.outcome, kEnglish);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(rig->Tick());
        ASSERT_TRUE(rig->ResultText() == outcome || rig->ResultText() == QStringLiteral("Program device: OK"))
            << rig->ResultText().toStdString();
    }
    ASSERT_TRUE(rig->TickUntil([&] { return rig->Driver().SavingCountdown() == 0; }, kOperationTicks));
    rig->Tick();
    EXPECT_EQ(Saw(kStatusProgramOk), c.programEndFollows);
    EXPECT_EQ(rig->UnitParameters(), wanted);
}

INSTANTIATE_TEST_SUITE_P(Operations, DriverDuringSaving,
    ::testing::Values(DuringSavingCase { "VerifyOfTheSameBlock", UnitRequest::kVerify, -1, kStatusVerifyOk, true },
        DuringSavingCase { "VerifyOfAnotherBlock", UnitRequest::kVerify, 40, kStatusVerifyError, true },
        DuringSavingCase { "Read", UnitRequest::kRead, -1, kStatusVerifyOk, false }),
    [](const ::testing::TestParamInfo<DuringSavingCase>& param) { return std::string(param.param.name); });

// A damaged line ------------------------------------------------------------------------------------

struct DamageCase {
    const char* name;
    int protocol;
    double corrupt;
    double drop;
    std::uint64_t seed;
};

void PrintTo(const DamageCase& c, std::ostream* out)
{
    *out << c.name;
}

class DriverOnDamagedLine : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(DriverOnDamagedLine, ProgramDeviceOkOnlyWhenTheUnitHoldsTheBlock)
{
    ProgramSoakOptions options;
    options.protocol = GetParam().protocol;
    options.corruptRate = GetParam().corrupt;
    options.dropRate = GetParam().drop;
    options.seed = GetParam().seed;
    options.unplugChance = 0.0;
    options.count = 15;

    const ProgramSoakReport report = RunProgramSoak(options);

    EXPECT_TRUE(report.Clean()) << FormatSoakReport(options, report);
    EXPECT_EQ(report.operations, options.count);
    EXPECT_GT(report.ok, 0) << FormatSoakReport(options, report);
}

INSTANTIATE_TEST_SUITE_P(Damage, DriverOnDamagedLine,
    ::testing::Values(DamageCase { "Ign50BytesCorrupted", IGN50, 0.008, 0.0, 3 },
        DamageCase { "Ign50BytesDropped", IGN50, 0.0, 0.008, 4 },
        DamageCase { "Ign300BytesCorrupted", IGN300, 0.002, 0.0, 5 },
        DamageCase { "WcomBytesCorrupted", WCOM, 0.008, 0.0, 6 },
        DamageCase { "WcomsBytesCorruptedAndDropped", WCOMS, 0.004, 0.004, 7 }),
    [](const ::testing::TestParamInfo<DamageCase>& param) { return std::string(param.param.name); });

} // namespace
