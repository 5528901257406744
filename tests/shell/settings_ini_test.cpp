#include "shell/settings_ini.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace
{

TEST(IniDocument, NamesCompareWithoutCaseAndTheFirstEqualKeyCounts)
{
    IniDocument ini;
    ini.Parse("[basic]\r\n  language = 3 \r\nLANGUAGE=1\r\n[Other]\r\nLanguage=0\r\n");

    EXPECT_EQ(ini.Integer("BASIC", "Language", -5), 3);
    EXPECT_EQ(ini.Integer("OTHER", "language", -5), 0);
    EXPECT_EQ(ini.Integer("Missing", "Language", -5), -5);
}

TEST(IniDocument, IntegersThatAreNotWholeNumbersGiveTheFallback)
{
    IniDocument ini;
    ini.Parse("[B]\nA=-1\nB=12abc\nC=\nD=99999999999\nE=+7\n");

    EXPECT_EQ(ini.Integer("B", "A", 5), -1);
    EXPECT_EQ(ini.Integer("B", "B", 5), 5);
    EXPECT_EQ(ini.Integer("B", "C", 5), 5);
    EXPECT_EQ(ini.Integer("B", "D", 5), 5);
    EXPECT_EQ(ini.Integer("B", "E", 5), 7);
}

TEST(IniDocument, WritingBackKeepsCommentsUnknownKeysAndOrder)
{
    IniDocument ini;
    ini.Parse("; made by hand\n[BASIC]\nLeft=10\nMine=keep me\n\n[PORTS]\nCOM7=/dev/pts/3\n");

    ini.SetInteger("basic", "Left", 20);
    ini.SetInteger("BASIC", "Top", 30);
    ini.SetString("NEW", "Key", "v");
    ini.Remove("ports", "com7");

    EXPECT_EQ(ini.Serialize(),
        "; made by hand\n[BASIC]\nLeft=20\nMine=keep me\nTop=30\n\n[PORTS]\n\n[NEW]\nKey=v\n");
}

TEST(IniDocument, OversizedFileIsNotRead)
{
    TempFolder folder;
    folder.write("big.ini", "[BASIC]\nLeft=1\n" + QByteArray(IniDocument::kMaxFileSize, ';'));

    IniDocument ini;
    EXPECT_FALSE(ini.Load(folder.file("big.ini")));
    EXPECT_FALSE(ini.Value("BASIC", "Left").has_value());
}

} // namespace
