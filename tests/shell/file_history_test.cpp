#include "shell/file_history.h"

#include <gtest/gtest.h>

namespace
{

QStringList Paths(int count, const char* prefix = "/f")
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(QStringLiteral("%1%2.ign").arg(QLatin1String(prefix)).arg(i));
    return paths;
}

TEST(FileHistory, AddingAListedPathMovesItToTheFront)
{
    FileHistory history;
    history.Assign(Paths(8));

    history.AddRecentFile("/f5.ign");

    EXPECT_EQ(history.Entries(),
        QStringList(
            { "/f5.ign", "/f0.ign", "/f1.ign", "/f2.ign", "/f3.ign", "/f4.ign", "/f6.ign", "/f7.ign" }));
}

TEST(FileHistory, AddingANewPathToAFullListDropsTheLast)
{
    FileHistory history;
    history.Assign(Paths(10));

    history.AddRecentFile("/new.ign");

    ASSERT_EQ(history.Count(), FileHistory::kMaxEntries);
    EXPECT_EQ(history.Entry(0), "/new.ign");
    EXPECT_EQ(history.Entry(9), "/f8.ign");
}

TEST(FileHistory, ComparisonIsExactAndCaseSensitive)
{
    FileHistory history;
    history.Assign({ "/a/B.ign" });

    history.AddRecentFile("/a/b.ign");
    history.AddRecentFile("/a/b.ign");

    EXPECT_EQ(history.Entries(), QStringList({ "/a/b.ign", "/a/B.ign" }));
}

TEST(FileHistory, EmptyEntriesGoWhenARealPathIsAdded)
{
    FileHistory history;
    history.Assign({ "", "/a.ign" });

    // New puts an empty name in front; the previous file becomes entry 1.
    history.AddRecentFile("/b.ign");
    history.AddRecentFile("");

    EXPECT_EQ(history.Entries(), QStringList({ "", "/b.ign", "/a.ign" }));

    history.AddRecentFile("/a.ign");
    EXPECT_EQ(history.Entries(), QStringList({ "/a.ign", "/b.ign" }));
}

TEST(FileHistory, RemovingTakesTheFirstEqualEntryOut)
{
    FileHistory history;
    history.Assign({ "/a.ign", "/b.ign", "/c.ign" });

    EXPECT_TRUE(history.RemoveRecentFile("/b.ign"));
    EXPECT_FALSE(history.RemoveRecentFile("/missing.ign"));

    EXPECT_EQ(history.Entries(), QStringList({ "/a.ign", "/c.ign" }));
}

TEST(FileHistory, CaptionsShowIndexAndNameWithoutFolderOrExtension)
{
    FileHistory history;
    history.Assign({ "", "C:\\Bikes\\race.v2.ign", "/home/rider/plain", "noFolder.ign",
        "/x/" + QString(200, u'n') + ".ign" });

    EXPECT_EQ(history.Caption(1), "1 race.v2");
    EXPECT_EQ(history.Caption(2), "2 plain");
    EXPECT_EQ(history.Caption(3), "3 noFolder");
    // Cut to 127 characters first, so the extension is already gone and no "." is left to cut at.
    EXPECT_EQ(history.Caption(4), "4 " + QString(125, u'n'));
}

TEST(FileHistory, MenuShowsEntriesOneToNineAndTheSeparatorWithTwoOrMore)
{
    FileHistory history;
    history.Assign({ "" });
    EXPECT_FALSE(history.MenuItemVisible(1));
    EXPECT_FALSE(history.SeparatorVisible());

    history.Assign(Paths(3));
    EXPECT_TRUE(history.MenuItemVisible(1));
    EXPECT_TRUE(history.MenuItemVisible(2));
    EXPECT_FALSE(history.MenuItemVisible(3));
    EXPECT_TRUE(history.SeparatorVisible());

    history.Assign(Paths(10));
    EXPECT_TRUE(history.MenuItemVisible(9));
    EXPECT_FALSE(history.MenuItemVisible(0));
}

} // namespace
