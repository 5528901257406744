#include "tests/shell/language_fixture.h"
#include "shell/language.h"

#include "tests/support/message_sink_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

class LanguageSelect : public LanguageFixture
{
protected:
    LanguageSelect() : LanguageFixture(kEnglish) {}
};

struct SelectCase {
    const char* name;
    const char* literal;
    int language;
    const char* expected;
};

class LanguageSelectCases : public LanguageSelect, public ::testing::WithParamInterface<SelectCase>
{
};

TEST_P(LanguageSelectCases, YieldsTheVariant)
{
    const SelectCase& c = GetParam();
    EXPECT_STREQ(SelectText(c.literal, c.language), c.expected);
    EXPECT_TRUE(m_faults.shown.empty());
}

const SelectCase kSelectCases[] = {
    { "EmptyGermanEnglish", "###Downloading####Stahování", kEnglish, "Downloading" },
    { "EmptyGermanFallsBackToEnglish", "###Downloading####Stahování", kGerman, "Downloading" },
    { "EmptyGermanCzech", "###Downloading####Stahování", kCzech, "Stahování" },
    { "TwoVariantsCzechFallsBackToEnglish", "###Yes##Ja", kCzech, "Yes" },
    { "EnglishOnlyForGerman", "###Read", kGerman, "Read" },
    { "EmptyLiteral", "###", kEnglish, "" },
    { "DotDotFallsBackToEnglish", "###Off##..##Vypnuto", kGerman, "Off" },
    { "DotDotWithTrailingBlankFallsBack", "###Off##.. ##Vypnuto", kGerman, "Off" },
    { "BeginsWithDotDotIsKept", "###Wait##...bitte##Čekejte", kGerman, "...bitte" },
    { "TrailingBlanksAndTabTrimmed", "###Read \t ##Lesen", kEnglish, "Read" },
    { "TrailingLineBreaksTrimmed", "###Read\r\n##Lesen", kEnglish, "Read" },
    { "BlanksOnlyKeepOne", "###   ##Leer", kEnglish, " " },
    { "LastVariantKeptAsWritten", "###Read##Lesen \t", kGerman, "Lesen \t" },
    { "FourVariantsCzechIsThird", "###A##B##C  ##D", kCzech, "C" },
    { "LineBreakInsideVariant", "###Line one\nLine two##Zeile", kEnglish, "Line one\nLine two" },
    { "ThirdHashBelongsToNextVariant", "###A###B", kGerman, "#B" },
    { "LanguageAboveRangeIsEnglish", "###Read##Lesen##Číst", 7, "Read" },
    { "NegativeLanguageIsEnglish", "###Read##Lesen##Číst", -5, "Read" },
};

INSTANTIATE_TEST_SUITE_P(Literals, LanguageSelectCases, ::testing::ValuesIn(kSelectCases),
    [](const ::testing::TestParamInfo<SelectCase>& row) { return std::string(row.param.name); });

TEST_F(LanguageSelect, TextWithoutLeadingHashIsReturnedItself)
{
    for (const char* text : { "Plain text", "", "Read##Lesen", " ###Read##Lesen" }) {
        for (int language : { kUseCurrentLanguage, kEnglish, kGerman, kCzech })
            EXPECT_EQ(SelectText(text, language), text) << text << " / " << language;
    }
    EXPECT_EQ(SelectText(nullptr), nullptr);
    EXPECT_TRUE(SelectQText(nullptr).isNull());
    EXPECT_TRUE(m_faults.shown.empty());
}

TEST_F(LanguageSelect, DefaultLanguageIsTheCurrentOne)
{
    static const char kLiteral[] = "###Verify##Vergleichen##Verifikovat";
    SetCurrentLanguage(kCzech);
    EXPECT_EQ(SelectQText(kLiteral), QString::fromUtf8("Verifikovat"));
    EXPECT_STREQ(SelectText(kLiteral, kGerman), "Vergleichen");
    SetCurrentLanguage(9);
    EXPECT_STREQ(SelectText(kLiteral), "Verify");
}

TEST_F(LanguageSelect, LiteralIsSplitOnceAcrossLanguageChanges)
{
    static const char kLiteral[] = "###Program##Programmieren##Programovat";
    const int splitsBefore = LiteralSplitCount();

    const char* english = SelectText(kLiteral);
    EXPECT_STREQ(english, "Program");
    EXPECT_EQ(LiteralSplitCount(), splitsBefore + 1);

    SetCurrentLanguage(kGerman);
    EXPECT_STREQ(SelectText(kLiteral), "Programmieren");
    SetCurrentLanguage(kCzech);
    EXPECT_STREQ(SelectText(kLiteral), "Programovat");
    SetCurrentLanguage(kEnglish);
    EXPECT_EQ(SelectText(kLiteral), english);
    EXPECT_EQ(LiteralSplitCount(), splitsBefore + 1);
}

TEST_F(LanguageSelect, ReusedBufferWithNewContentIsSplitAgain)
{
    char buffer[32];
    std::strcpy(buffer, "###One##Eins");
    const char* first = SelectText(buffer, kGerman);
    EXPECT_STREQ(first, "Eins");

    std::strcpy(buffer, "###Two##Zwei");
    EXPECT_STREQ(SelectText(buffer, kGerman), "Zwei");
    // Texts handed out before stay valid and unchanged.
    EXPECT_STREQ(first, "Eins");
}

} // namespace
