#include "shell/language_hint.h"

#include <gtest/gtest.h>

namespace
{

TEST(LanguageHint, StatusPanelShowsTheLongPart)
{
    const struct {
        const char* hint;
        const char* shown;
    } cases[] = {
        { "Open|Open file with parametrs", "Open file with parametrs" },
        { "Set English menu", "Set English menu" },
        { "", "" },
        { "a|b|c", "b|c" },
        { "short|", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(LongHint(QString::fromUtf8(c.hint)), QString::fromUtf8(c.shown)) << c.hint;
}

} // namespace
