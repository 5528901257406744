// The information block reads, through the PC's own version texts, as the unit was set up.

#include "sim/information_block.h"

#include <gtest/gtest.h>

namespace {

UnitInfoTexts Texts(const InformationBlock& block)
{
    return FormatUnitInfoTexts(UnitInfoBlock(block.data(), kInformationBlockSize), QTimeZone::utc());
}

TEST(InformationBlock, DefaultUnitReadsAsItsSettings)
{
    const InformationBlock block = BuildInformationBlock(InformationSettings(), true);
    const UnitInfoTexts texts = Texts(block);
    EXPECT_EQ(texts.name, "TVX03");
    EXPECT_EQ(texts.date, "14. 3.2024");
    EXPECT_EQ(texts.time, "10:42");
    EXPECT_EQ(texts.updateCode, "240314B_TVX03");
    EXPECT_EQ(texts.serialNumber, "240314-000001-00723");
    EXPECT_EQ(texts.lastUpdate, "(last update: 14.03.2024-10:42:00)");
    EXPECT_EQ(texts.options, "S");
    EXPECT_EQ(block[InfoIndex::kReadingAllowed], 1);
    EXPECT_EQ(block[InfoIndex::kVersion], kRsKey);
    EXPECT_EQ(block[InfoIndex::kSubVersion], 0);
}

TEST(InformationBlock, LongNameReplacesTheShortOneAndLeavesTheSerialNumber)
{
    InformationSettings settings;
    settings.longName = "Tarvo-X Racing";
    settings.updateFlag = true;
    settings.options = "ABCD";
    const InformationBlock block = BuildInformationBlock(settings, false);
    const UnitInfoTexts texts = Texts(block);
    EXPECT_EQ(texts.name, "Tarvo-X Racing");
    EXPECT_EQ(texts.updateCode, "240314B+Tarvo-X Racing");
    EXPECT_EQ(texts.serialNumber, "240314-000001-00723");
    EXPECT_EQ(texts.options, "ABC");
    EXPECT_EQ(block[InfoIndex::kReadingAllowed], 0);
}

TEST(InformationBlock, AbsentFieldsGiveEmptyTexts)
{
    InformationSettings settings;
    settings.updateLetter = 0;
    settings.lastUpdate = 0;
    settings.serial = {};
    settings.options.clear();
    const UnitInfoTexts texts = Texts(BuildInformationBlock(settings, true));
    EXPECT_TRUE(texts.updateCode.isEmpty());
    EXPECT_TRUE(texts.lastUpdate.isEmpty());
    EXPECT_TRUE(texts.serialNumber.isEmpty());
    EXPECT_TRUE(texts.options.isEmpty());
}

TEST(InformationBlock, EveryBuildMonthDecodesToItsNumber)
{
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(MonthText(static_cast<std::uint8_t>(BuildMonthCode(month))), QString::asprintf("%2d", month)) << month;
    EXPECT_EQ(BuildMonthCode(0), 0);
    EXPECT_EQ(BuildMonthCode(13), 0);
}

TEST(SerialNumberText, ReadsBackAsThePcShowsIt)
{
    InformationSettings settings;
    ASSERT_TRUE(ParseSerialNumber("080706-050403-2551a", settings.serial));
    EXPECT_EQ(Texts(BuildInformationBlock(settings, true)).serialNumber, "080706-050403-2551a");

    std::array<std::uint8_t, kSerialBytes> serial = settings.serial;
    for (const char* bad : { "", "080706-050403-2561a", "080706-050403-0121g", "0807060-50403-0121a",
             "080706-050403-0121a0", "08O706-050403-0121a" }) {
        EXPECT_FALSE(ParseSerialNumber(bad, serial)) << bad;
        EXPECT_EQ(serial, settings.serial) << bad;
    }
}

} // namespace
