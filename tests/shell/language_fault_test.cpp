#include "tests/shell/language_fixture.h"
#include "shell/language.h"

#include "tests/support/message_sink_capture.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string Repeat(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

class LanguageFault : public LanguageFixture
{
protected:
    LanguageFault() : LanguageFixture(kGerman) {}
};

struct FaultCase {
    const char* name;
    std::string literal;
    std::string message;
};

class LanguageFaultCases : public LanguageFault, public ::testing::WithParamInterface<FaultCase>
{
};

TEST_P(LanguageFaultCases, IsReportedOnEverySelectionAndYieldsTheLiteralWhole)
{
    const FaultCase& c = GetParam();
    const char* literal = c.literal.c_str();

    EXPECT_EQ(SelectText(literal), literal);
    EXPECT_EQ(SelectText(literal, kCzech), literal);

    ASSERT_EQ(m_faults.shown.size(), 2u);
    for (const MessageRequest& box : m_faults.shown) {
        EXPECT_EQ(box.caption, QStringLiteral("Error"));
        EXPECT_EQ(box.text, QString::fromStdString(c.message));
        EXPECT_EQ(box.icon, MessageIcon::None);
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(CurrentLanguage(), kGerman);
}

const std::string kTooLongEnglish = "###" + Repeat("a", 256) + "##Lang";
const std::string kTooLongBeforeTrimming = "###Read##" + Repeat("b", 250) + "      ##Číst";
const std::string kTooLongInBytes = "###Read##Lesen##" + Repeat("č", 128) + "##";

const FaultCase kFaultCases[] = {
    { "TwoLeadingHashes", "##Read##Lesen", "Chybi ### na zacatku v jazykovem retezci !\n##Read##Lesen" },
    { "HashThenDigitFive", "#5 pieces", "Chybny pocet jazykovych mutaci (53 > 3 || 53==0) !\n " },
    { "SingleHash", "#", "Chybny pocet jazykovych mutaci (0 > 3 || 0==0) !\n " },
    { "HashThenLetterWithUtf8", "#č", "Chybny pocet jazykovych mutaci (196 > 3 || 196==0) !\n " },
    { "VariantOf256Bytes", kTooLongEnglish,
        "Prilis dlouha jazykova mutace (>255 chars) !\n" + kTooLongEnglish },
    { "LengthCountsTrailingBlanks", kTooLongBeforeTrimming,
        "Prilis dlouha jazykova mutace (>255 chars) !\n" + kTooLongBeforeTrimming },
    { "LengthCountsUtf8Bytes", kTooLongInBytes,
        "Prilis dlouha jazykova mutace (>255 chars) !\n" + kTooLongInBytes },
};

INSTANTIATE_TEST_SUITE_P(Malformed, LanguageFaultCases, ::testing::ValuesIn(kFaultCases),
    [](const ::testing::TestParamInfo<FaultCase>& row) { return std::string(row.param.name); });

TEST_F(LanguageFault, VariantsUpToTheLimitAreAccepted)
{
    const std::string english = Repeat("a", 255);
    const std::string czech = Repeat("č", 127) + "x";
    const std::string literal = "###" + english + "##Kurz##" + czech + "##";
    EXPECT_EQ(SelectText(literal.c_str(), kEnglish), english);
    EXPECT_STREQ(SelectText(literal.c_str(), kGerman), "Kurz");
    EXPECT_EQ(SelectText(literal.c_str(), kCzech), czech);

    // The variant that runs to the end of the text is not measured.
    const std::string longLast = "###Short##" + Repeat("z", 400);
    EXPECT_EQ(SelectText(longLast.c_str(), kGerman), Repeat("z", 400));

    EXPECT_TRUE(m_faults.shown.empty());
}

} // namespace
