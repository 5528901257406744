#include "shell/message_table.h"

#include "shell/language.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{

class LanguageMessageTable : public ::testing::Test
{
protected:
    void TearDown() override { RebuildMessageTable(kEnglish); }
};

TEST_F(LanguageMessageTable, EntriesAreFoundByNameOrWholeEnglishText)
{
    RebuildMessageTable(kCzech);
    EXPECT_EQ(MessageText(kMessageOpenFileError), QStringLiteral("Chyba při otevírání souboru!"));
    EXPECT_EQ(MessageText("Open file error!"), QStringLiteral("Chyba při otevírání souboru!"));
    EXPECT_EQ(MessageText(kMessageHourMeterUnit), QStringLiteral("[h:mm]"));

    const QString older = MessageText(kMessageOlderFileVersion);
    EXPECT_TRUE(older.startsWith(QStringLiteral("Starší verze souboru *.ign!\n\nNěkteré parametry")))
        << older.toStdString();
    EXPECT_TRUE(older.endsWith(QStringLiteral("obsaženy nebo měly jinou strukturu."))) << older.toStdString();

    RebuildMessageTable(kGerman);
    EXPECT_EQ(MessageText(kMessageNewInstallation), QString::fromUtf8(kMessageNewInstallation));
    EXPECT_EQ(MessageText(kMessageHourMeterUnit), QStringLiteral("[s:mm]"));
}

TEST_F(LanguageMessageTable, UnknownNameComesBackAsItIs)
{
    RebuildMessageTable(kGerman);
    EXPECT_EQ(MessageText("No such message"), QStringLiteral("No such message"));
    EXPECT_TRUE(MessageText(nullptr).isEmpty());
}

TEST_F(LanguageMessageTable, LanguageOutsideRangeGivesEnglish)
{
    RebuildMessageTable(5);
    EXPECT_EQ(MessageText(kMessageWarning), QStringLiteral("Warning"));
    RebuildMessageTable(kCzech);
    EXPECT_EQ(MessageText(kMessageWarning), QStringLiteral("Varování"));
}

TEST(LanguageMessageEntries, NamesAreUniqueAndEveryLanguageHasText)
{
    std::set<std::string> names;
    for (const MessageEntry& entry : MessageEntries()) {
        EXPECT_TRUE(names.insert(entry.key).second) << entry.key;
        for (const char* text : entry.text)
            EXPECT_TRUE(text && *text) << entry.key;
    }
}

} // namespace
