#include "link/frame_format.h"
#include "tests/link/link_test_support.h"

#include <gtest/gtest.h>

#include <array>

namespace
{

Bytes Build(int commandAndFlags, int address, const Bytes& data)
{
    Bytes frame(kFrameBufferSize);
    const int size
        = BuildWcomFrame(frame, commandAndFlags, address, static_cast<int>(data.size()), data.data());
    frame.resize(size);
    return frame;
}

Bytes IdentificationRequest(int protocol, int key)
{
    Bytes frame(kFrameBufferSize);
    frame.resize(BuildIdentificationRequest(frame, protocol, key));
    return frame;
}

TEST(FrameFormat, IdentificationRequestsComeOutByteForByte)
{
    Bytes ign50(52, 0x00);
    ign50[0] = 0x30;
    ign50[50] = 0x6D;
    ign50[51] = 0xA2;
    EXPECT_EQ(IdentificationRequest(IGN50, 109), ign50);

    const Bytes wcom
        = { 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0xBB, 0xEE, 0xFE, 0x00, 0x00, 0x00, 0x00, 0xD8, 0x69 };
    EXPECT_EQ(IdentificationRequest(WCOM, 109), wcom);

    const Bytes wcoms
        = { 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0xFB, 0xEE, 0xFE, 0x00, 0x00, 0x00, 0x00, 0xB3, 0xAA };
    EXPECT_EQ(IdentificationRequest(WCOMS, 109), wcoms);
}

TEST(FrameFormat, ChecksOverThePreambleHaveTheirKnownValues)
{
    EXPECT_EQ(WcomCrc(kWcomPreamble, kWcomPreambleSize), kCrcAfterPreamble);
    EXPECT_EQ(kCrcAfterPreamble, 0xB797);
    EXPECT_EQ(WordSum(kWcomPreamble, kWcomPreambleSize), kSumAfterPreamble);
    EXPECT_EQ(kSumAfterPreamble, 0x5B5E);
}

TEST(FrameFormat, CrcFeedsBitsLeastSignificantFirstIntoBitZero)
{
    // Bit 0 of the byte goes in first and ends up highest; bit 7 goes in last, into bit 0.
    EXPECT_EQ(CrcStep(0x0000, 0x01), 0x0080);
    EXPECT_EQ(CrcStep(0x0000, 0x80), 0x0001);
    EXPECT_EQ(CrcStep(0x0001, 0x00), 0x0100);
    // Bit 15 falling out applies the polynomial after the shift.
    EXPECT_EQ(CrcStep(0x0100, 0x00), 0x1083);
}

TEST(FrameFormat, IgnKeyFieldTakesLowAndHighByteOfTheKey)
{
    struct Case {
        const char* name;
        int protocol;
        int key;
        int lastByte;
        int byteBefore;
    };
    const Case cases[] = {
        { "no key", IGN50, 0, 0x11, 0x22 },
        { "key below 256", IGN100, 109, 0x6D, 0x22 },
        { "key above 255", IGN150, 0x1234, 0x34, 0x12 },
        { "the 300-byte frame has no key field", IGN300, 109, 0x11, 0x22 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int n = IgnDataSize(c.protocol);
        Bytes data(n, 0x00);
        data[n - 1] = 0x11;
        data[n - 2] = 0x22;
        Bytes frame(kFrameBufferSize);
        ASSERT_EQ(BuildIgnFrame(frame, n, 0x30, 2, data.data(), c.key), n + 2);
        EXPECT_EQ(frame[0], 0x32);
        EXPECT_EQ(frame[n], c.lastByte);
        EXPECT_EQ(frame[n - 1], c.byteBefore);
        EXPECT_TRUE(IgnFrameValid(frame.data(), n + 2));
    }
}

TEST(FrameFormat, IgnCommandByteWrapsAt256)
{
    Bytes frame(kFrameBufferSize);
    BuildIgnFrame(frame, 50, 0xC1, 0x40, nullptr, 0);
    EXPECT_EQ(frame[0], 0x01);
}

TEST(FrameFormat, BuildersRefuseBuffersTooSmall)
{
    std::array<std::uint8_t, 51> small {};
    EXPECT_EQ(BuildIgnFrame(small, 50, 0x30, 0, nullptr, 0), 0);
    std::array<std::uint8_t, 20> tiny {};
    EXPECT_EQ(BuildWcomFrame(tiny, 0x7020, 0, 5, nullptr), 0);
}

class WcomLengths : public ::testing::TestWithParam<int>
{
};

// Odd lengths are the awkward case of the sum check: the last data byte and the first check byte
// make one word.
TEST_P(WcomLengths, BothCheckVariantsValidateWholeFrames)
{
    const int n = GetParam();
    Bytes data(n);
    for (int i = 0; i < n; ++i)
        data[i] = static_cast<std::uint8_t>(i * 37 + 5);

    const Bytes summed = Build(0x7020 | kWcomSumFlag, 0x1234, data);
    ASSERT_EQ(static_cast<int>(summed.size()), n + 16);
    EXPECT_EQ(WordSum(summed.data(), static_cast<int>(summed.size())), 0xFFFF);
    EXPECT_TRUE(WcomFrameValid(summed.data(), static_cast<int>(summed.size())));
    EXPECT_EQ(summed[7], 0xFB);

    const Bytes crc = Build(0x7020, 0x1234, data);
    EXPECT_EQ(crc[7], 0xBB);
    EXPECT_TRUE(WcomFrameValid(crc.data(), static_cast<int>(crc.size())));

    const WcomFields fields = ReadWcomFields(crc.data());
    EXPECT_EQ(fields.command, 0x7020);
    EXPECT_EQ(fields.address, 0x1234);
    EXPECT_EQ(fields.length, n);

    for (Bytes broken : { summed, crc }) {
        broken[kWcomDataOffset + n / 2] ^= 0x04;
        EXPECT_FALSE(WcomFrameValid(broken.data(), static_cast<int>(broken.size())));
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, WcomLengths, ::testing::Values(0, 1, 2, 3, 31, 32, 511, 512));

TEST(FrameFormat, WcomLengthIsClampedTo512AndReplyFlagsSetTheKind)
{
    Bytes frame(kFrameBufferSize);
    EXPECT_EQ(BuildWcomFrame(frame, 0x7010, 0, 600, nullptr), 528);
    EXPECT_EQ(ReadWcomFields(frame.data()).length, 512);
    EXPECT_EQ(BuildWcomFrame(frame, 0x7010, 0, -4, nullptr), 16);

    BuildWcomFrame(frame, 0x7010 | kWcomReplyFlag, 0, 0, nullptr);
    EXPECT_EQ(frame[7], 0xBC);
    BuildWcomFrame(frame, 0x7010 | kWcomSumFlag | kWcomOtherReplyFlag, 0, 0, nullptr);
    EXPECT_EQ(frame[7], 0xFD);
}

struct RewriteCase {
    const char* name;
    std::uint16_t command;
    std::uint16_t address;
    Bytes data;
    std::uint8_t kind;
    std::uint16_t newCommand;
    std::uint16_t newAddress;
    std::uint16_t newLength;
};

class ShortReplies : public ::testing::TestWithParam<RewriteCase>
{
};

TEST_P(ShortReplies, AreRewrittenIntoOrdinaryReplies)
{
    const RewriteCase& c = GetParam();
    Bytes frame = Build(c.command | kWcomReplyFlag, c.address, c.data);
    ApplyShortReplyRewrites(frame.data());
    const WcomFields fields = ReadWcomFields(frame.data());
    EXPECT_EQ(fields.type, 0xB0 | c.kind);
    EXPECT_EQ(fields.command, c.newCommand);
    EXPECT_EQ(fields.address, c.newAddress);
    EXPECT_EQ(fields.length, c.newLength);
}

INSTANTIATE_TEST_SUITE_P(Forms, ShortReplies,
    ::testing::Values(RewriteCase { "WordValue", 0xFFFF, 0x7020, { 0x34, 0x12 }, 0x0C, 0x7020, 0x1234, 0 },
        RewriteCase { "ByteValue", 0xFFFF, 0x7020, { 0x56 }, 0x0C, 0x7020, 0x0056, 0 },
        RewriteCase { "NoValue", 0xFFFF, 0x7050, {}, 0x0C, 0x7050, 0, 0 },
        RewriteCase { "LongerDataStays", 0xFFFF, 0x7010, { 1, 2, 3 }, 0x0C, 0x7010, 0, 3 },
        RewriteCase { "OtherForm", 0xFFFE, 0x7020, { 0x34, 0x12 }, 0x0D, 0x7020, 0x1234, 0 },
        // The first rule's result is looked at by the second one.
        RewriteCase { "FirstRuleFeedsTheSecond", 0xFFFF, 0xFFFE, { 0x02 }, 0x0D, 0x0002, 0, 0 },
        RewriteCase { "OrdinaryReplyUntouched", 0x7020, 0x0040, {}, 0x0C, 0x7020, 0x0040, 0 }),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(FrameFormat, IgnReplyCodesNameTheirBlockAddress)
{
    struct Case {
        std::uint8_t code;
        int blockSize;
        bool countsFromOne;
        int address;
    };
    const Case cases[] = {
        { 0xB0, 50, false, 0 }, // monitor block 0
        { 0xB1, 50, false, 50 }, // monitor block 1
        { 0xC0, 50, false, 0 }, // information block
        { 0xC1, 50, true, 0 }, // parameter read, block 0
        { 0xC2, 50, true, 50 }, // parameter read, block 1
        { 0x82, 100, true, 100 }, // parameter write, block 1
        { 0x80, 50, false, 0 }, // unit command
    };
    for (const Case& c : cases)
        EXPECT_EQ(IgnReplyAddress(c.code, c.blockSize, c.countsFromOne), c.address)
            << std::hex << int(c.code);
}

TEST(FrameFormat, IgnIdentificationTakesTheVersionFromTheKeyFieldOrTheFirstWord)
{
    Bytes frame(kFrameBufferSize);
    BuildIgnFrame(frame, 50, 0xB0, 0, nullptr, 109);
    UnitIdentity unit;
    ASSERT_TRUE(ParseIgnIdentification(frame.data(), IGN50, unit));
    EXPECT_EQ(unit.version, 109);
    EXPECT_EQ(unit.frameSize, 52);
    EXPECT_EQ(unit.overhead, 2);
    EXPECT_EQ(unit.hardwareCode, -1);

    Bytes data(300, 0);
    data[1] = 0x01; // offsets 2 and 3 of the frame
    data[2] = 0x2C;
    BuildIgnFrame(frame, 300, 0xB0, 0, data.data(), 109);
    ASSERT_TRUE(ParseIgnIdentification(frame.data(), IGN300, unit));
    EXPECT_EQ(unit.version, 300);
    EXPECT_EQ(unit.frameSize, 302);

    frame[0] = 0xB1;
    EXPECT_FALSE(ParseIgnIdentification(frame.data(), IGN300, unit));
}

TEST(FrameFormat, WcomIdentificationReadsOnlyWordsInsideTheData)
{
    struct Case {
        const char* name;
        Bytes data;
        std::string unitName;
        int frameSize;
        int hardwareCode;
        int version;
    };
    const Case cases[] = {
        { "all three words", { 'T', 'X', 0, 64, 0, 0x12, 0, 109, 0 }, "TX", 64, 0x12, 109 },
        { "no words", { 'T', 'X', 0 }, "TX", 48, -1, -1 },
        { "half a word", { 'T', 'X', 0, 64, 0, 0x12 }, "TX", 64, -1, -1 },
        { "no terminator", { 'A', 'B', 'C' }, "ABC", 48, -1, -1 },
        { "frame size below one data byte", { 'T', 0, 4, 0 }, "T", 17, -1, -1 },
        { "frame size above the largest frame", { 'T', 0, 0xFF, 0x7F }, "T", 528, -1, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes frame = Build(0xFEEE | kWcomReplyFlag, 0, c.data);
        UnitIdentity unit;
        ASSERT_TRUE(ParseWcomIdentification(frame.data(), unit));
        EXPECT_EQ(unit.name, c.unitName);
        EXPECT_EQ(unit.frameSize, c.frameSize);
        EXPECT_EQ(unit.hardwareCode, c.hardwareCode);
        EXPECT_EQ(unit.version, c.version);
        EXPECT_EQ(unit.overhead, 16);
    }

    Bytes longName(40, 'N');
    Bytes frame = Build(0xFEEE | kWcomReplyFlag, 0, longName);
    UnitIdentity unit;
    ASSERT_TRUE(ParseWcomIdentification(frame.data(), unit));
    EXPECT_EQ(unit.name.size(), 31u);

    frame = Build(0xFEEE, 0, { 'T', 0 });
    EXPECT_FALSE(ParseWcomIdentification(frame.data(), unit)) << "a request is no reply";
}

} // namespace
