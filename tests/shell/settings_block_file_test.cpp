#include "shell/settings_block_file.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <numeric>

namespace
{

StoredBlock Filled(uint8_t value)
{
    StoredBlock block;
    block.fill(value);
    return block;
}

TEST(BlockFile, IsTenLinesOfTenRightAlignedValuesAndAnEmptyLine)
{
    StoredBlock block;
    std::iota(block.begin(), block.end(), uint8_t(0));
    block[99] = 255;

    const QByteArray text = FormatBlockFile(block);

    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 12); // ten lines, the empty line, and nothing after its line break
    EXPECT_EQ(lines[0], "    0     1     2     3     4     5     6     7     8     9 ");
    EXPECT_EQ(lines[9], "   90    91    92    93    94    95    96    97    98   255 ");
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[11], "");

    StoredBlock back = Filled(7);
    EXPECT_EQ(ParseBlockFile(text, back), 100);
    EXPECT_EQ(back, block);
}

struct ParseCase {
    const char* name;
    QByteArray text;
    int count;
    std::vector<uint8_t> leading; // the first bytes afterwards; the rest must still be 7
};

class ParseBlockFileTest : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseBlockFileTest, SetsOnlyTheLeadingBytesItReads)
{
    StoredBlock block = Filled(7);
    EXPECT_EQ(ParseBlockFile(GetParam().text, block), GetParam().count);
    const std::vector<uint8_t>& leading = GetParam().leading;
    for (size_t i = 0; i < block.size(); ++i)
        EXPECT_EQ(block[i], i < leading.size() ? leading[i] : 7) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseBlockFileTest,
    testing::Values(ParseCase { "ValuesAreStoredModulo256", "300 1\n256", 3, { 44, 1, 0 } },
        ParseCase { "ShortFileChangesOnlyLeadingBytes", "  1\t2\r\n3", 3, { 1, 2, 3 } },
        ParseCase { "WordThatIsNotANumberEndsReading", "1 2 x3 4", 2, { 1, 2 } },
        ParseCase { "NumberWithTrailingLettersEndsReading", "1 12abc 4", 1, { 1 } },
        ParseCase { "SignedNumberEndsReading", "1 -1 4", 1, { 1 } },
        ParseCase { "HugeNumberIsExactModulo256", "100000000000000000000257", 1, { 1 } },
        ParseCase { "EmptyFileSetsNothing", "", 0, {} },
        ParseCase { "BinaryGarbageSetsNothing", QByteArray("\x01\xff\x00 5", 5), 0, {} }),
    [](const testing::TestParamInfo<ParseCase>& caseInfo) { return std::string(caseInfo.param.name); });

TEST(BlockFile, ReadingStopsAfterHundredValues)
{
    QByteArray text;
    for (int i = 0; i < 150; ++i)
        text += "9 ";
    StoredBlock block = Filled(7);
    EXPECT_EQ(ParseBlockFile(text, block), 100);
}

TEST(BlockFile, MissingFileLeavesTheBlock)
{
    TempFolder folder;
    StoredBlock block = Filled(7);
    EXPECT_EQ(ReadBlockFile(folder.file("default.ini"), block), 0);
    EXPECT_EQ(block, Filled(7));
}

} // namespace
