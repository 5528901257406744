#include "shell/settings_test_marker.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace
{

struct MarkerCase {
    const char* name;
    QByteArray text;
    bool testMode;
};

class TestMarkerTest : public testing::TestWithParam<MarkerCase>
{
};

TEST_P(TestMarkerTest, OnlyTheWholeWordSwitchesTestModeOn)
{
    TempFolder folder;
    const QString path = folder.write("test_zorvik.txt", GetParam().text);
    EXPECT_EQ(ReadTestMarker(path), GetParam().testMode);
}

INSTANTIATE_TEST_SUITE_P(Cases, TestMarkerTest,
    testing::Values(MarkerCase { "WordAmongOthers", "SOMETHING else\n\tDIAG_ACTIVE more", true },
        MarkerCase { "WordAtTheEndWithoutLineBreak", "DIAG_ACTIVE", true },
        MarkerCase { "OtherCaseIsNotTheWord", "diag_active", false },
        MarkerCase { "PartOfALongerWord", "DIAG_ACTIVE2 XDIAG_ACTIVE", false },
        MarkerCase { "EmptyFile", "", false },
        // A word is cut at 255 characters; its tail is not a word of its own.
        MarkerCase { "TailOfAnOverlongWord", QByteArray(255, 'x') + "DIAG_ACTIVE", false },
        MarkerCase { "AfterAnOverlongWord", QByteArray(100000, 'x') + " DIAG_ACTIVE", true }),
    [](const testing::TestParamInfo<MarkerCase>& caseInfo) { return std::string(caseInfo.param.name); });

TEST(TestMarker, MissingFileMeansNoTestMode)
{
    TempFolder folder;
    EXPECT_FALSE(ReadTestMarker(folder.file("test_zorvik.txt")));
}

} // namespace
