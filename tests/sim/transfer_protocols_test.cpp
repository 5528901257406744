// The transfer engine against the simulated unit of every protocol: how a range is cut into frames,
// what travels in them, and what ends up in the unit and in the read-back image.

#include "tests/sim/transfer_bench.h"

#include <gtest/gtest.h>

namespace
{

// One request as the unit saw it: IGN command byte, or WCOM address and block length (the length
// word of a read, the data length of a write).
struct Request {
    int code = 0;
    int address = 0;
    int length = 0;
    int size = 0;
    bool operator==(const Request&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Request& request)
{
    return out << "{code 0x" << std::hex << request.code << std::dec << ", at " << request.address << ", "
               << request.length << " bytes, frame " << request.size << "}";
}

std::vector<Request> Requests(const std::vector<Bytes>& pieces, int protocol, bool lengthInData)
{
    std::vector<Request> requests;
    for (const Bytes& piece : pieces) {
        if (IsIgnProtocol(protocol)) {
            requests.push_back({ piece[0], 0, 0, static_cast<int>(piece.size()) });
            continue;
        }
        const int length = lengthInData ? WordAt(piece, kWcomDataOffset) : WordAt(piece, kWcomLengthOffset);
        requests.push_back({ WordAt(piece, kWcomCommandOffset), WordAt(piece, kWcomAddressOffset), length,
            static_cast<int>(piece.size()) });
    }
    return requests;
}

struct ProtocolCase {
    const char* name;
    int protocol;
    std::vector<Request> reads; // a read of addresses 0 to 99
    std::vector<Request> writes; // a write of addresses 0 to 99
    int bytesRead; // bytes that come back into the read-back image
};

void PrintTo(const ProtocolCase& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<Request> IgnFrames(std::initializer_list<int> codes, int size)
{
    std::vector<Request> frames;
    for (int code : codes)
        frames.push_back({ code, 0, 0, size });
    return frames;
}

std::vector<Request> WcomFrames(int command, bool write)
{
    std::vector<Request> frames;
    for (const auto& [address, length] : { std::pair { 0, 32 }, { 32, 32 }, { 64, 32 }, { 96, 4 } })
        frames.push_back({ command, address, length, kWcomOverhead + (write ? length : 2) });
    return frames;
}

const ProtocolCase kProtocolCases[] = {
    { "IGN50", IGN50, IgnFrames({ 0x41, 0x42 }, 52), IgnFrames({ 0x01, 0x02 }, 52), 100 },
    { "IGN100", IGN100, IgnFrames({ 0x41 }, 102), IgnFrames({ 0x01 }, 102), 100 },
    { "IGN150", IGN150, IgnFrames({ 0x41 }, 152), IgnFrames({ 0x01 }, 152), 150 },
    { "IGN300", IGN300, IgnFrames({ 0x41 }, 302), IgnFrames({ 0x01 }, 302), 300 },
    { "WCOM", WCOM, WcomFrames(0x7010, false), WcomFrames(0x7020, true), 100 },
    { "WCOMS", WCOMS, WcomFrames(0x7010, false), WcomFrames(0x7020, true), 100 },
};

class TransferPerProtocol : public ::testing::TestWithParam<ProtocolCase>
{
protected:
    void SetUp() override
    {
        m_bench.AddUnit(7, ConfigFor(GetParam().protocol));
        ASSERT_TRUE(m_bench.ConnectAndStart());
        m_bench.Log().Clear();
    }

    std::vector<Request> Sent(bool lengthInData) const
    {
        return Requests(m_bench.Log().SentPieces(), GetParam().protocol, lengthInData);
    }

    SimBench m_bench;
};

TEST_P(TransferPerProtocol, ParameterBlockIsReadAndWrittenInTheProtocolsFrames)
{
    const ProtocolCase& c = GetParam();
    const Bytes held = Pattern(300, 11);
    m_bench.SetUnitMemory(7, 0, held);

    ASSERT_EQ(m_bench.RunJob(JOB_READ, 0, 100, kJobMarkSendFlags | kJobClearPcImage), JOB_DONE);
    EXPECT_EQ(m_bench.Link().LastJob(), JOB_READ);
    EXPECT_EQ(Sent(true), c.reads);
    EXPECT_EQ(m_bench.ReadBack(0, c.bytesRead), Bytes(held.begin(), held.begin() + c.bytesRead));

    m_bench.Log().Clear();
    const Bytes block = Pattern(100, 200);
    m_bench.SetPcImage(0, block);
    ASSERT_EQ(m_bench.RunJob(JOB_WRITE, 0, 100, kJobMarkSendFlags), JOB_DONE);
    EXPECT_EQ(m_bench.Link().LastJob(), JOB_WRITE);
    EXPECT_EQ(Sent(false), c.writes);
    EXPECT_EQ(m_bench.UnitMemory(7, 0, 100), block);
    EXPECT_EQ(m_bench.Link().Counters().failedAttempts.load(), 0u);
}

TEST_P(TransferPerProtocol, InformationBlockIsReadAndTheResetCommandIsConfirmed)
{
    const InformationBlock information
        = m_bench.Unit(7).With([](UnitEngine& engine) { return engine.State().Information(); });
    ASSERT_EQ(m_bench.RunJob(JOB_INFO, 0, 50, kJobMarkSendFlags | kJobClearPcImage), JOB_DONE);
    EXPECT_EQ(m_bench.ReadBack(0, 50), Bytes(information.begin(), information.end()));

    // The reset as the unit operations send it: request block cleared, its code at bytes 12 and 13.
    std::fill_n(m_bench.Link().PcImage(), 50, 0);
    m_bench.Link().PcImage()[12] = 0xA5;
    m_bench.Link().PcImage()[13] = 0x10;
    m_bench.Link().SetCommand(0xF000, 0x0640, 0);
    ASSERT_EQ(m_bench.RunJob(JOB_COMMAND, 0, 1, kJobMarkSendFlags), JOB_DONE);
    EXPECT_EQ(
        m_bench.Unit(7).With([](UnitEngine& engine) { return engine.State().LinkCounters().resets; }), 1u);
}

INSTANTIATE_TEST_SUITE_P(Protocols, TransferPerProtocol, ::testing::ValuesIn(kProtocolCases),
    [](const ::testing::TestParamInfo<ProtocolCase>& param) { return std::string(param.param.name); });

class Transfer : public ::testing::Test
{
protected:
    void Connect(const UnitConfig& config)
    {
        m_bench.AddUnit(7, config);
        ASSERT_TRUE(m_bench.ConnectAndStart());
        m_bench.Log().Clear();
    }

    SimBench m_bench;
};

// Only the flagged bytes are meant, but the bytes between flagged ones that share a frame go out as
// the PC image holds them.
TEST_F(Transfer, ScatteredSendFlagsOverWcomShareAFrameOnlyWhenCloseTogether)
{
    Connect(ConfigFor(WCOM));
    const Bytes before(100, 0xEE);
    m_bench.SetUnitMemory(7, 0, before);
    const Bytes image = Pattern(100, 3);
    m_bench.SetPcImage(0, image);

    std::uint8_t* flags = m_bench.Link().SendFlags();
    std::fill_n(flags, 100, 0);
    flags[3] = flags[20] = 1;
    ASSERT_EQ(m_bench.RunJob(JOB_WRITE, 0, 100, 0), JOB_DONE);
    EXPECT_EQ(
        Requests(m_bench.Log().SentPieces(), WCOM, false), (std::vector<Request> { { 0x7020, 3, 18, 34 } }));
    Bytes expected = before;
    std::copy(image.begin() + 3, image.begin() + 21, expected.begin() + 3);
    EXPECT_EQ(m_bench.UnitMemory(7, 0, 100), expected);

    m_bench.Log().Clear();
    std::fill_n(flags, 100, 0);
    flags[3] = flags[40] = 1;
    ASSERT_EQ(m_bench.RunJob(JOB_WRITE, 0, 100, 0), JOB_DONE);
    EXPECT_EQ(Requests(m_bench.Log().SentPieces(), WCOM, false),
        (std::vector<Request> { { 0x7020, 3, 1, 17 }, { 0x7020, 40, 1, 17 } }));
}

TEST_F(Transfer, JobOfNoBytesAtABlockBoundaryEndsAtOnceWithoutAFrame)
{
    Connect(ConfigFor(IGN50));
    ASSERT_EQ(m_bench.RunJob(JOB_READ, 50, 0, kJobMarkSendFlags), JOB_DONE);
    EXPECT_EQ(m_bench.Log().Count("Frame send"), 0);
    EXPECT_TRUE(m_bench.Log().SentPieces().empty());
}

TEST_F(Transfer, StartJobIsIgnoredWhileAResultWaitsToBeTaken)
{
    Connect(ConfigFor(IGN50));
    m_bench.Link().StartJob(JOB_INFO, 0, 50, kJobMarkSendFlags);
    ASSERT_TRUE(WaitUntil([&] {
        m_bench.PumpUnits();
        return m_bench.Link().Job() == JOB_DONE;
    }));

    m_bench.Link().StartJob(JOB_READ, 0, 100, kJobMarkSendFlags);
    EXPECT_EQ(m_bench.Link().Job(), JOB_DONE);
    EXPECT_EQ(m_bench.Link().LastJob(), JOB_INFO);
    m_bench.Link().TakeResult();
    EXPECT_EQ(m_bench.Link().Job(), JOB_NONE);
    EXPECT_EQ(m_bench.RunJob(JOB_READ, 0, 100, kJobMarkSendFlags), JOB_DONE);
    EXPECT_EQ(m_bench.Log().Count("Frame send"), 3) << "one information frame, two read frames";
}

// Ticks from the start of an exchange until its reply time-out has fired: TMR must pass the time
// the frame was built by more than the time-out.
constexpr int kTicksPerTimeout = CCOMCOM::kReplyTimeoutMs / LinkClock::kMsPerTick + 1;

TEST_F(Transfer, UnpluggedUnitGetsEachFrameThreeTimesThenTheJobFails)
{
    Connect(ConfigFor(IGN50));
    m_bench.Unit(7).With([](UnitEngine& engine) {
        engine.SetUnplugged(true);
        return 0;
    });

    const auto timed = m_bench.RunJobTicking(JOB_READ, 0, 100, kJobMarkSendFlags | kJobClearPcImage);
    EXPECT_EQ(timed.result, JOB_FAILED);
    EXPECT_EQ(m_bench.Link().LastJob(), JOB_READ);
    EXPECT_EQ(timed.ticks, CCOMCOM::kAttempts * kTicksPerTimeout);
    EXPECT_EQ(Requests(m_bench.Log().SentPieces(), IGN50, false), IgnFrames({ 0x41, 0x41, 0x41 }, 52));
    for (const char* line : { "COM timeout or redirection (0)...", "COM timeout or redirection (1)...",
             "COM timeout or redirection (2)..." })
        EXPECT_EQ(m_bench.Log().Count(line), 1) << line;
    EXPECT_EQ(m_bench.Link().Counters().failedJobs.load(), 1u);
}

TEST_F(Transfer, MonitorExchangeStartedForOneAttemptFailsAfterOneTimeout)
{
    UnitConfig config = ConfigFor(WCOMS);
    Connect(config);
    m_bench.Unit(7).SetFaults([] {
        UnitFaults faults;
        faults.silent = true;
        return faults;
    }());

    const auto timed = m_bench.RunJobTicking(JOB_MONITOR, 0, 50, kJobMarkSendFlags | kJobSingleAttempt);
    EXPECT_EQ(timed.result, JOB_FAILED);
    EXPECT_EQ(timed.ticks, kTicksPerTimeout);
    EXPECT_EQ(m_bench.Log().SentPieces().size(), 1u) << "the first of two frames fails, and with it the job";
}

TEST_F(Transfer, RequestLostOnTheWayIsRepeatedAfterTheTimeoutAndTheJobSucceeds)
{
    UnitConfig config = ConfigFor(IGN50);
    config.faults.loseFirstAttempt = true;
    Connect(config);
    const Bytes block = Pattern(100, 77);
    m_bench.SetPcImage(0, block);

    const auto timed = m_bench.RunJobTicking(JOB_WRITE, 0, 100, kJobMarkSendFlags);
    EXPECT_EQ(timed.result, JOB_DONE);
    EXPECT_EQ(timed.ticks, 2 * kTicksPerTimeout);
    EXPECT_EQ(Requests(m_bench.Log().SentPieces(), IGN50, false), IgnFrames({ 0x01, 0x01, 0x02, 0x02 }, 52));
    EXPECT_EQ(m_bench.UnitMemory(7, 0, 100), block);
    EXPECT_EQ(m_bench.Link().Counters().failedAttempts.load(), 2u);
}

} // namespace
