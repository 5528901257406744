#include "shell/window_title.h"

#include "shell/language.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace
{

struct TitleCase {
    const char* name;
    const char* fileName;
    bool offline;
    int language;
    const char* expected; // UTF-8
};

void PrintTo(const TitleCase& row, std::ostream* out)
{
    *out << row.name;
}

class WindowTitles : public ::testing::TestWithParam<TitleCase>
{
};

TEST_P(WindowTitles, ComposeNameVersionFileAndOfflineNote)
{
    const TitleCase& c = GetParam();
    EXPECT_EQ(
        WindowTitle(QString::fromUtf8(c.fileName), c.offline, c.language), QString::fromUtf8(c.expected));
}

const TitleCase kTitleCases[] = {
    { "NoFile", "", false, kEnglish, "  Velmor (v109)       " },
    { "WithFile", "/home/jan/bikes/enduro.ign", false, kEnglish,
        "  Velmor (v109)       /home/jan/bikes/enduro.ign" },
    { "OfflineEnglish", "a.ign", true, kEnglish,
        "  Velmor (v109)       a.ign   (Disconnected by bootloader)" },
    { "OfflineCzechWithoutFile", "", true, kCzech,
        "  Velmor (v109)          (Dočasně odpojeno bootloaderem)" },
    { "FileNameWithPercentKept", "C:/100%1.ign", false, kEnglish, "  Velmor (v109)       C:/100%1.ign" },
};

INSTANTIATE_TEST_SUITE_P(Cases, WindowTitles, ::testing::ValuesIn(kTitleCases),
    [](const ::testing::TestParamInfo<TitleCase>& row) { return std::string(row.param.name); });

TEST(WindowTitle, OfflineNoteFollowsTheCurrentLanguage)
{
    SetCurrentLanguage(kGerman);
    const QString title = WindowTitle(QString(), true);
    SetCurrentLanguage(kEnglish);
    EXPECT_TRUE(title.endsWith(QStringLiteral("   (Von Bootloader getrennt)"))) << title.toStdString();
}

} // namespace
