#include "shell/retitle_tables.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstring>
#include <set>
#include <string>

namespace
{

TEST(RetitleTables, EveryRowHasThreeTextsAndNoTargetRepeatsWithinItsKind)
{
    for (const auto& table : { ControlCaptionRows(), MenuCaptionRows(), HintRows() }) {
        std::set<std::pair<std::string, RetitleKind>> seen;
        for (const RetitleRow& row : table) {
            EXPECT_TRUE(seen.insert({ row.target, row.kind }).second) << row.target;
            for (const char* text : row.text)
                EXPECT_TRUE(text && *text) << row.target;
        }
    }
}

TEST(RetitleTables, RadioItemListsHaveFiveItemsInEveryLanguage)
{
    int lists = 0;
    for (const RetitleRow& row : ControlCaptionRows()) {
        if (row.kind != RetitleKind::RadioItems)
            continue;
        ++lists;
        for (const char* text : row.text)
            EXPECT_EQ(QString::fromUtf8(text).split('\n').size(), 5) << row.target;
    }
    EXPECT_EQ(lists, 2);
}

TEST(RetitleTables, LobeListAnchorIsACaptionRow)
{
    bool found = false;
    for (const RetitleRow& row : ControlCaptionRows())
        found |= row.kind == RetitleKind::ControlCaption && std::strcmp(row.target, kLobeListsAfter) == 0;
    EXPECT_TRUE(found);
}

} // namespace
