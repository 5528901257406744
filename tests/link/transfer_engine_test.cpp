// The transfer engine against a scripted unit: replies that a healthy unit never gives (a wrong
// code, a wrong echo, a broken check, a late answer) and the hand-over between the main thread and
// the worker when the link goes away under a job.

#include "shell/rskey.h"
#include "tests/link/link_bench.h"
#include "tests/link/link_test_support.h"
#include "tests/link/scripted_unit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include <sys/resource.h>

namespace
{

constexpr int kTicksPerTimeout = CCOMCOM::kReplyTimeoutMs / LinkClock::kMsPerTick + 1;

// The speed each unit listens at, as the search finds it.
int BaudRate(int protocol)
{
    return protocol == IGN300 ? 115200 : 57600;
}

// A unit with a memory that answers every request well, unless the test tampers with a reply.
class ScriptedTransfer : public ::testing::Test
{
protected:
    // May change or drop (empty) the reply to a request; the count says how many requests of the
    // job came before.
    using Tamper = std::function<void(Bytes& reply, const Bytes& request, int count)>;

    void Connect(int protocol)
    {
        m_protocol = protocol;
        m_unit.emplace(
            m_bench.AddPort(7), protocol, [this](const Bytes& request) { return Answer(request); },
            BaudRate(protocol));
        m_bench.SetPump(7, [this] { m_unit->Pump(); });
        ASSERT_TRUE(m_bench.ConnectAndStart());
        m_bench.Log().Clear();
        m_unit->requests.clear();
        m_dataRequests = 0;
    }

    Bytes Answer(const Bytes& request)
    {
        if (!m_bench.Link().ConnectedPort())
            return Identification(request);
        Bytes reply = IsIgnProtocol(m_protocol) ? IgnAnswer(request) : WcomAnswer(request);
        if (m_tamper)
            m_tamper(reply, request, m_dataRequests);
        ++m_dataRequests;
        return reply;
    }

    Bytes Identification(const Bytes& request)
    {
        if (IsIgnProtocol(m_protocol) && request[0] == kIgnIdentify) {
            // IGN300 gives its version big-endian at the start of the data, the others as their key.
            return m_protocol == IGN300 ? IgnReply(m_protocol, kIgnIdentifyReply, { 0, 0, kRsKey })
                                        : IgnReply(m_protocol, kIgnIdentifyReply, {}, kRsKey);
        }
        if (IsWcomProtocol(m_protocol) && ReadWcomFields(request.data()).command == kWcomIdentify)
            return WcomReply(m_protocol, kWcomIdentify, 0, { 'T', 0, 48, 0, 1, 0, kRsKey, 0 });
        return {};
    }

    Bytes IgnAnswer(const Bytes& request)
    {
        const int n = IgnDataSize(m_protocol);
        const int code = request[0];
        const Bytes data(request.begin() + 1, request.begin() + 1 + n);
        if (code >= 0x01 && code <= 0x2F) {
            std::copy(data.begin(), data.end(), m_memory.begin() + (code - 0x01) * n);
            return IgnReply(m_protocol, code | 0x80, data);
        }
        if (code >= 0x41 && code <= 0x7F) {
            const int at = (code - 0x41) * n;
            return IgnReply(m_protocol, code | 0x80, Bytes(m_memory.begin() + at, m_memory.begin() + at + n));
        }
        if (code >= 0x30 && code <= 0x3F)
            return IgnReply(m_protocol, code | 0x80, m_monitor, kRsKey);
        return {};
    }

    Bytes WcomAnswer(const Bytes& request)
    {
        const WcomFields fields = ReadWcomFields(request.data());
        const int length = request[kWcomDataOffset] | request[kWcomDataOffset + 1] << 8;
        if (fields.command == 0x7010)
            return WcomReply(m_protocol, 0x7010, fields.address,
                Bytes(m_memory.begin() + fields.address, m_memory.begin() + fields.address + length));
        if (fields.command == 0x7020) {
            std::copy_n(request.begin() + kWcomDataOffset, fields.length, m_memory.begin() + fields.address);
            return WcomReply(m_protocol, 0x7020, fields.address, {});
        }
        return {};
    }

    std::vector<int> IgnCodesHeard() const
    {
        std::vector<int> codes;
        for (const Bytes& request : m_unit->requests)
            codes.push_back(request[0]);
        return codes;
    }

    LinkBench m_bench;
    std::optional<ScriptedUnit> m_unit;
    int m_protocol = IGN50;
    Bytes m_memory = Bytes(8000 + 300, 0);
    Bytes m_monitor = Bytes(50, 0);
    Tamper m_tamper;
    int m_dataRequests = 0;
};

struct BadReplyCase {
    const char* name;
    int protocol;
    int job;
    std::function<void(Bytes& reply)> spoil;
    const char* logLine;
    int ticks; // ticks the repeat waits for: 0 when the reply itself is refused
};

const BadReplyCase kBadReplyCases[] = {
    { "IgnWrongCode", IGN50, JOB_READ,
        [](Bytes& reply) {
            reply[0] = 0xC2;
            reply[51] = IgnXor(reply.data(), 51);
        },
        "COM not expected answer 0xc2!=0xc1 (0)...", 0 },
    { "IgnWriteEchoDiffers", IGN50, JOB_WRITE,
        [](Bytes& reply) {
            reply[5] ^= 0x10;
            reply[51] ^= 0x10;
        },
        "COM verify fail, 1 errors (0)...", 0 },
    { "IgnBrokenCheck", IGN50, JOB_READ, [](Bytes& reply) { reply[51] ^= 0x01; },
        "COM timeout or redirection (0)...", kTicksPerTimeout },
    { "WcomReadOfAnotherLength", WCOM, JOB_READ,
        [](Bytes& reply) { reply = WcomReply(WCOM, 0x7010, 0, Bytes(31, 0)); },
        "len or address is not equal 0!=0 (0)...", 0 },
    { "WcomReplyToAnotherCommand", WCOM, JOB_READ,
        [](Bytes& reply) { reply = WcomReply(WCOM, 0x7050, 0, Bytes(32, 0)); },
        "COM timeout or redirection (0)...", kTicksPerTimeout },
};

class BadReply : public ScriptedTransfer, public ::testing::WithParamInterface<int>
{
};

TEST_P(BadReply, IsAFailedAttemptAndTheFrameIsRepeated)
{
    const BadReplyCase& c = kBadReplyCases[GetParam()];
    Connect(c.protocol);
    m_memory.assign(m_memory.size(), 0x5A);
    std::fill_n(m_bench.Link().PcImage(), 32, 0x33);
    m_tamper = [&](Bytes& reply, const Bytes&, int count) {
        if (count == 0)
            c.spoil(reply);
    };

    const auto timed = m_bench.RunJobTicking(c.job, 0, 32, kJobMarkSendFlags);
    EXPECT_EQ(timed.result, JOB_DONE);
    EXPECT_EQ(timed.ticks, c.ticks);
    EXPECT_EQ(m_bench.Log().Count(c.logLine), 1) << m_bench.Log().Text();
    EXPECT_EQ(m_bench.Link().Counters().failedAttempts.load(), 1u);
    EXPECT_EQ(m_unit->requests.size(), 2u) << "the frame and its repeat";
    if (c.job == JOB_READ)
        EXPECT_EQ(Bytes(m_bench.Link().ReadBack(), m_bench.Link().ReadBack() + 32), Bytes(32, 0x5A));
    else
        EXPECT_EQ(Bytes(m_memory.begin(), m_memory.begin() + 32), Bytes(32, 0x33));
}

INSTANTIATE_TEST_SUITE_P(Replies, BadReply, ::testing::Range(0, static_cast<int>(std::size(kBadReplyCases))),
    [](const ::testing::TestParamInfo<int>& param) { return std::string(kBadReplyCases[param.param].name); });

class Transfer : public ScriptedTransfer
{
};

// An answer that comes after its frame was given up is not the answer to the next frame.
TEST_F(Transfer, LateReplyIsNotTakenForTheNextFramesAnswer)
{
    Connect(IGN50);
    Bytes late;
    m_tamper = [&](Bytes& reply, const Bytes&, int count) {
        if (count == 0) {
            late = reply;
            reply.clear();
        }
    };
    m_monitor[0] = 1;
    const auto first = m_bench.RunJobTicking(JOB_MONITOR, 0, 50, kJobMarkSendFlags | kJobSingleAttempt);
    ASSERT_EQ(first.result, JOB_FAILED);
    ASSERT_EQ(first.ticks, kTicksPerTimeout);

    m_bench.LineOf(7)->SendToPc(ToQByteArray(late));
    ASSERT_TRUE(WaitUntil([&] { return m_bench.LineOf(7)->PendingToPc() == 0; }));
    m_monitor[0] = 2;
    ASSERT_EQ(m_bench.RunJob(JOB_MONITOR, 0, 50, kJobMarkSendFlags | kJobSingleAttempt), JOB_DONE);
    EXPECT_EQ(m_bench.Link().ReadBack()[0], 2);
}

TEST_F(Transfer, LostLinkAbandonsARunningJobWithoutAResult)
{
    for (const bool disconnect : { true, false }) {
        SCOPED_TRACE(disconnect ? "disconnected" : "link disabled");
        LinkBench bench;
        // The unit identifies itself once and then falls silent, so it is not found again.
        bool identified = false;
        ScriptedUnit unit(bench.AddPort(7), IGN50, [&](const Bytes&) {
            if (identified)
                return Bytes();
            identified = true;
            return IgnReply(IGN50, kIgnIdentifyReply, {}, kRsKey);
        });
        bench.SetPump(7, [&] { unit.Pump(); });
        ASSERT_TRUE(bench.ConnectAndStart());
        CCOMCOM& link = bench.Link();
        link.StartJob(JOB_READ, 0, 100, kJobMarkSendFlags);
        ASSERT_TRUE(WaitUntil([&] { return link.State() == kWorkerWaiting; }));

        if (disconnect) {
            link.Disconnect();
        } else {
            link.SetEnabled(false);
            bench.Tick();
        }
        EXPECT_EQ(link.State(), kWorkerIdle);
        EXPECT_EQ(link.Job(), JOB_NONE);
        EXPECT_EQ(link.ConnectedPort(), disconnect ? 0 : 7);
        for (int tick = 0; tick < 2 * kTicksPerTimeout; ++tick)
            bench.Tick();
        EXPECT_EQ(link.Job(), JOB_NONE) << "no result comes for an abandoned job";
        EXPECT_EQ(link.State(), kWorkerIdle);
    }
}

// A block that reaches past the image travels padded with zeros and comes back only as far as the
// image goes; a block whose number no request code can carry is never sent.
TEST_F(Transfer, JobsStayInsideTheUnitImage)
{
    Connect(IGN300);
    for (int i = 0; i < 300; ++i)
        m_memory[7800 + i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(m_bench.RunJob(JOB_READ, 7900, 500, kJobMarkSendFlags), JOB_DONE);
    EXPECT_EQ(IgnCodesHeard(), std::vector<int> { 0x41 + 26 });
    EXPECT_EQ(m_bench.Link().EndAddress(), CCOMCOM::kImageSize);
    EXPECT_EQ(Bytes(m_bench.Link().ReadBack() + 7800, m_bench.Link().ReadBack() + 8000),
        Bytes(m_memory.begin() + 7800, m_memory.begin() + 8000));

    m_unit->requests.clear();
    // Block 26 of a write would need code 0x1B, which exists; a monitor block 26 would not (0x30 + 26
    // is a read code).
    ASSERT_EQ(m_bench.RunJob(JOB_MONITOR, 7800, 50, kJobMarkSendFlags), JOB_FAILED);
    EXPECT_TRUE(m_unit->requests.empty());
    EXPECT_EQ(m_bench.Log().Count("block 26 out of reach"), 1);
}

double ProcessCpuMs()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3
        + usage.ru_stime.tv_usec / 1e3;
}

// With a unit connected and no job, the worker sleeps between its looks at the job code instead of
// polling: over a stretch of wall time the process uses only a small part of one core.
TEST_F(Transfer, IdleWorkerDoesNotKeepACoreBusy)
{
    Connect(IGN50);
    const double cpuBefore = ProcessCpuMs();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const double wallMs
        = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallBefore).count();
    EXPECT_LT(ProcessCpuMs() - cpuBefore, wallMs * 0.25);
    EXPECT_EQ(m_bench.RunJob(JOB_READ, 0, 50, kJobMarkSendFlags), JOB_DONE) << "and wakes for the next job";
}

} // namespace
