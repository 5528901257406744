// The protocol table the search works through, and the names units are shown by.

#include "link/protocol_table.h"
#include "link/search_unit_names.h"

#include <gtest/gtest.h>

namespace
{

TEST(ProtocolTable, FreeRowsCarryTheProductsDefaultAndTheTableEndsAtItsMarker)
{
    const ProtocolTable table;
    ASSERT_EQ(table.Count(), 14);
    EXPECT_FALSE(table.Exists(14));
    EXPECT_EQ(table.FirstRow(), 0);
    for (int row : { 0, 3, 5, 7, 9, 12 }) {
        EXPECT_EQ(table.Row(row).protocol, 3050) << row;
        EXPECT_EQ(table.Row(row).baudRate, 57600) << row;
        EXPECT_EQ(table.Row(row).timeoutMs, 125) << row;
    }
    // A port is closed and opened again only where the speed changes from one row to the next.
    std::vector<int> speedChanges;
    for (int row = 0; table.Exists(row + 1); ++row) {
        if (table.Row(row).baudRate != table.Row(row + 1).baudRate)
            speedChanges.push_back(row);
    }
    EXPECT_EQ(speedChanges, (std::vector<int> { 9, 11, 12 }));
    EXPECT_EQ(table.Row(13).protocol, 3300);
    EXPECT_EQ(table.Row(11).timeoutMs, 325);
}

TEST(UnitNames, IgnUnitsAreNamedByVersionOrModel)
{
    EXPECT_EQ(IgnUnitName(109, DefaultUnitModels()), "Kordanex 109");
    EXPECT_EQ(IgnUnitName(-1, DefaultUnitModels()), "Kordanex (unknown)");
    const UnitModel models[] = { { 109, "Arc" }, { 110, "Bolt" }, { 109, "Crest" } };
    EXPECT_EQ(IgnUnitName(109, models), "Crest v109") << "the last matching model wins";
    EXPECT_EQ(IgnUnitName(111, models), "Kordanex 111");
}

TEST(UnitNames, WcomNamesCannotBreakAStatusTextOrALogLine)
{
    EXPECT_EQ(WcomUnitName("Tarvo-X", 109, 0x321), "Tarvo-X v109 (hw:321)");
    EXPECT_EQ(WcomUnitName("Tarvo", -1, -1), "Tarvo v-1 (hw:ffffffff)");
    // '#' separates the languages of a status text; control characters would cut a log line.
    EXPECT_EQ(WcomUnitName("A##B\n\x01", 1, 2), "A??B?? v1 (hw:2)");
    // The unit's 8-bit code page: 0xE8 is 'č'.
    EXPECT_EQ(WcomUnitName("Zapalov\xE8", 3, 4), "Zapalovč v3 (hw:4)");
}

} // namespace
