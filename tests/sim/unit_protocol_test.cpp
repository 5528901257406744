// The unit answers every operation of the PC in each of the six protocols, as the PC's own codec and
// checks see it.

#include "params/normalize_parameters.h"
#include "tests/sim/pc_jobs.h"

#include <gtest/gtest.h>

namespace {

class UnitProtocol : public ::testing::TestWithParam<int> {
protected:
    UnitProtocol() : m_config(ConfigFor(GetParam())), m_bench(m_config) {}

    // A block unlike the unit's factory contents: every byte different, yet within the limits.
    static Bytes ProgrammedImage()
    {
        ParameterBlock block;
        SetDefaults(block);
        for (int k = 0; k < ParamValue::kCurvePoints; ++k) {
            block[ParamIndex::kAdvancesA + k] = static_cast<std::uint8_t>(20 + k);
            block[ParamIndex::kAdvancesB + k] = static_cast<std::uint8_t>(40 - k);
        }
        block[ParamIndex::kBaseAdvance] = 7;
        block[ParamIndex::kHardLimiterA] = 123;
        NormalizeParameters(block);
        Bytes image(8000, 0);
        std::copy(block.bytes.begin(), block.bytes.end(), image.begin());
        return image;
    }

    MonitorBlock ReadMonitor()
    {
        Bytes request(8000, 0);
        request[49] = kRsKey;
        const PcJobResult result = RunPcJob(m_bench, m_config, PcJob::Monitor, 0, 50, request);
        EXPECT_TRUE(result.ok) << result.failure;
        MonitorBlock block {};
        std::copy_n(result.readBack.begin(), 50, block.begin());
        return block;
    }

    UnitConfig m_config;
    Bench m_bench;
};

TEST_P(UnitProtocol, IdentifiesWithTheKeyThePcAccepts)
{
    Bytes request(kFrameBufferSize);
    request.resize(BuildIdentificationRequest(request, GetParam(), kRsKey));
    const std::optional<Bytes> reply = m_bench.Exchange(request);
    ASSERT_TRUE(reply);

    UnitIdentity identity;
    if (IsIgnProtocol(GetParam())) {
        ASSERT_TRUE(ParseIgnIdentification(reply->data(), GetParam(), identity));
        EXPECT_EQ(identity.frameSize, IgnDataSize(GetParam()) + 2);
    } else {
        ASSERT_TRUE(ParseWcomIdentification(reply->data(), identity));
        EXPECT_EQ(identity.name, "Tarvo-X");
        EXPECT_EQ(identity.frameSize, 48);
        EXPECT_EQ(identity.hardwareCode, 0x0321);
    }
    EXPECT_EQ(identity.version, kRsKey);
}

TEST_P(UnitProtocol, ProgrammedBlockReadsBackAndStaysInMemory)
{
    const Bytes image = ProgrammedImage();
    const PcJobResult write = RunPcJob(m_bench, m_config, PcJob::Write, 0, 100, image);
    ASSERT_TRUE(write.ok) << write.failure;
    // Two frames for 50-byte blocks, one for larger ones, four runs of 32, 32, 32 and 4 for WCOM.
    const int expectedFrames = GetParam() == IGN50 ? 2 : IsIgnProtocol(GetParam()) ? 1 : 4;
    EXPECT_EQ(write.frames, expectedFrames);

    const PcJobResult read = RunPcJob(m_bench, m_config, PcJob::Read, 0, 100);
    ASSERT_TRUE(read.ok) << read.failure;
    EXPECT_EQ(Bytes(read.readBack.begin(), read.readBack.begin() + 100), Bytes(image.begin(), image.begin() + 100));
    EXPECT_EQ(m_bench.Unit().Parameters()[ParamIndex::kHardLimiterA], 123);
}

TEST_P(UnitProtocol, InformationBlockCarriesVersionAndFollowsTheNoReadingByte)
{
    PcJobResult info = RunPcJob(m_bench, m_config, PcJob::Information, 0, 50);
    ASSERT_TRUE(info.ok) << info.failure;
    EXPECT_EQ(info.readBack[InfoIndex::kVersion], kRsKey);
    EXPECT_EQ(info.readBack[InfoIndex::kSubVersion], 0);
    EXPECT_EQ(info.readBack[InfoIndex::kReadingAllowed], 1);

    Bytes image = ProgrammedImage();
    image[ParamIndex::kNoReading] = 1;
    ASSERT_TRUE(RunPcJob(m_bench, m_config, PcJob::Write, 0, 100, image).ok);
    info = RunPcJob(m_bench, m_config, PcJob::Information, 0, 50);
    ASSERT_TRUE(info.ok) << info.failure;
    EXPECT_EQ(info.readBack[InfoIndex::kReadingAllowed], 0);
}

TEST_P(UnitProtocol, SavingCountdownRunsDownOverASecondAndCountsOneProgramming)
{
    MonitorBlock monitor = ReadMonitor();
    EXPECT_EQ(monitor[MonitorIndex::kKey], kRsKey);
    EXPECT_EQ(WordAt(Bytes(monitor.begin(), monitor.end()), MonitorIndex::kSavingCountdown), 0);
    const int before = monitor[MonitorIndex::kProgrammings];

    ASSERT_TRUE(RunPcJob(m_bench, m_config, PcJob::Write, 0, 100, ProgrammedImage()).ok);
    auto countdown = [&] {
        const MonitorBlock block = ReadMonitor();
        return WordAt(Bytes(block.begin(), block.end()), MonitorIndex::kSavingCountdown);
    };
    EXPECT_EQ(countdown(), UnitState::kSavingCountdownStart);
    m_bench.Advance(500);
    EXPECT_EQ(countdown(), UnitState::kSavingCountdownStart / 2);
    m_bench.Advance(499);
    EXPECT_EQ(countdown(), 1);
    m_bench.Advance(1);
    EXPECT_EQ(countdown(), 0);
    EXPECT_EQ(ReadMonitor()[MonitorIndex::kProgrammings], before + 1);
}

TEST_P(UnitProtocol, ResetIsConfirmedThenTheUnitBootsBeforeItHearsAgain)
{
    Bytes image(8000, 0);
    image[IgnRequest::kResetCodeAt] = IgnRequest::kResetCode[0];
    image[IgnRequest::kResetCodeAt + 1] = IgnRequest::kResetCode[1];
    const PcJobResult reset = RunPcJob(m_bench, m_config, PcJob::Command, 0, 1, image);
    ASSERT_TRUE(reset.ok) << reset.failure;
    EXPECT_EQ(m_bench.Unit().LinkCounters().resets, 1u);

    EXPECT_FALSE(RunPcJob(m_bench, m_config, PcJob::Read, 0, 1).ok);
    m_bench.Advance(UnitState::kBootMs);
    EXPECT_TRUE(RunPcJob(m_bench, m_config, PcJob::Read, 0, 1).ok);
}

TEST_P(UnitProtocol, TestBitsOfTheMonitorRequestRunForTheirTime)
{
    const int testSpeed = m_bench.Unit().Parameters()[ParamIndex::kTestSpeed] * 100;
    Bytes request(8000, 0);
    request[kRequestTestBits] = kTestRpm | kTestPowerOut;
    request[49] = kRsKey;
    ASSERT_TRUE(RunPcJob(m_bench, m_config, PcJob::Monitor, 0, 50, request).ok);

    m_bench.Advance(100);
    MonitorBlock monitor = ReadMonitor();
    EXPECT_EQ(WordAt(Bytes(monitor.begin(), monitor.end()), MonitorIndex::kRpm), testSpeed);
    EXPECT_EQ(monitor[MonitorIndex::kPowerOutput], 1);

    m_bench.Advance(VirtualEngine::kTestDurationMs);
    monitor = ReadMonitor();
    EXPECT_EQ(WordAt(Bytes(monitor.begin(), monitor.end()), MonitorIndex::kRpm), 0);
    EXPECT_EQ(monitor[MonitorIndex::kPowerOutput], 0);
}

INSTANTIATE_TEST_SUITE_P(AllProtocols, UnitProtocol, ::testing::ValuesIn(kAllProtocols),
    [](const ::testing::TestParamInfo<int>& param) { return std::string(ProtocolName(param.param)); });

// Byte-exact replies: each is the frame our builders make from what the unit holds.

TEST(UnitReplies, Ign50IdentificationIsTheMonitorBlockWithTheKeyLast)
{
    Bench bench(ConfigFor(IGN50));
    const MonitorBlock monitor = bench.Unit().Monitor();
    const std::vector<Bytes> frames = bench.Send(IgnRequestFrame(IGN50, 0x30, {}, kRsKey));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], IgnRequestFrame(IGN50, 0xB0, Bytes(monitor.begin(), monitor.end()), kRsKey));
    EXPECT_EQ(frames[0][50], kRsKey);
}

TEST(UnitReplies, Ign300IdentifiesWithABigEndianWordButMonitorsWithTheBlock)
{
    UnitConfig config = ConfigFor(IGN300);
    config.engine.fixedRpm = 4321;
    Bench bench(config);
    bench.Advance(20);
    Bytes identification(300, 0);
    identification[1] = 0;
    identification[2] = kRsKey;
    EXPECT_EQ(bench.Exchange(IgnRequestFrame(IGN300, 0x30)), IgnRequestFrame(IGN300, 0xB0, identification));

    Bytes request(300, 0);
    request[49] = kRsKey;
    const std::optional<Bytes> monitor = bench.Exchange(IgnRequestFrame(IGN300, 0x30, request));
    ASSERT_TRUE(monitor);
    EXPECT_EQ(WordAt(*monitor, 1 + MonitorIndex::kRpm), 4321);
    EXPECT_EQ((*monitor)[1 + MonitorIndex::kKey], kRsKey);
}

TEST(UnitReplies, WcomIdentificationCarriesNameFrameSizeHardwareAndKey)
{
    UnitConfig config = ConfigFor(WCOMS);
    config.wcomFrameSize = 80;
    config.hardwareCode = 0x1234;
    Bench bench(config);
    Bytes data = { 'T', 'a', 'r', 'v', 'o', '-', 'X', 0, 80, 0, 0x34, 0x12, kRsKey, 0 };
    Bytes expected(kFrameBufferSize);
    expected.resize(BuildWcomFrame(expected, kWcomIdentify | kWcomReplyFlag | kWcomSumFlag, 0, static_cast<int>(data.size()), data.data()));
    EXPECT_EQ(bench.Exchange(WcomRequestFrame(WCOMS, kWcomIdentify, 0)), expected);
}

struct ConfirmCase {
    const char* name;
    bool shortReplies;
    int address;
    Bytes raw; // the reply's type, command, address and length fields as sent
};

class WcomWriteConfirmation : public ::testing::TestWithParam<ConfirmCase> {};

TEST_P(WcomWriteConfirmation, ParsesToTheWriteCommandAndItsAddress)
{
    UnitConfig config = ConfigFor(WCOM);
    config.wcomShortReplies = GetParam().shortReplies;
    Bench bench(config);
    bench.Engine().Receive(WcomRequestFrame(WCOM, WcomRequest::kWriteMemory, GetParam().address, { 9 }), 0);
    const Bytes raw = bench.Raw();
    ASSERT_GE(raw.size(), 14u);
    EXPECT_EQ(Bytes(raw.begin() + 7, raw.begin() + 14), GetParam().raw);

    const std::vector<Bytes> frames = PcReceiver(WCOM).Frames(raw);
    ASSERT_EQ(frames.size(), 1u);
    const WcomFields fields = ReadWcomFields(frames[0].data());
    EXPECT_EQ(fields.type, kWcomTypeCrc | kWcomKindReply);
    EXPECT_EQ(fields.command, WcomRequest::kWriteMemory);
    EXPECT_EQ(fields.address, GetParam().address);
    EXPECT_EQ(fields.length, 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, WcomWriteConfirmation,
    ::testing::Values(ConfirmCase { "ShortAtZero", true, 0, { 0xBC, 0xFF, 0xFF, 0x20, 0x70, 0, 0 } },
        ConfirmCase { "ShortAtAddress", true, 0x1234, { 0xBC, 0xFF, 0xFF, 0x20, 0x70, 2, 0 } },
        ConfirmCase { "Full", false, 0x1234, { 0xBC, 0x20, 0x70, 0x34, 0x12, 0, 0 } }),
    [](const ::testing::TestParamInfo<ConfirmCase>& param) { return std::string(param.param.name); });

} // namespace
