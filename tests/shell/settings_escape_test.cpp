#include "shell/settings_escape.h"

#include <gtest/gtest.h>

namespace
{

TEST(EscapePath, WideCharactersBecomeSixCharacterEscapesAndBackslashesDouble)
{
    EXPECT_EQ(
        EscapePath(QString::fromUtf8("C:\\Díly\\ř.ign")), QString::fromUtf8("C:\\\\Díly\\\\\\x0159.ign"));
    EXPECT_EQ(EscapePath(QStringLiteral("/home/a b/c.ign")), QStringLiteral("/home/a b/c.ign"));
    // A line break must not split the settings line.
    EXPECT_EQ(EscapePath(QStringLiteral("/tmp/a\nb")), QStringLiteral("/tmp/a\\x000Ab"));
}

struct UnescapeCase {
    const char* name;
    QString stored;
    QString path;
};

class UnescapePathTest : public testing::TestWithParam<UnescapeCase>
{
};

TEST_P(UnescapePathTest, ReadsTheStoredValue)
{
    EXPECT_EQ(UnescapePath(GetParam().stored), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnescapePathTest,
    testing::Values(UnescapeCase { "HandWrittenDrivePath", QStringLiteral("C:\\Bikes\\x0159.ign"),
                        QStringLiteral("C:\\Bikes\\x0159.ign") },
        UnescapeCase { "HandWrittenNetworkPath", QStringLiteral("\\\\server\\share\\a.ign"),
            QStringLiteral("\\\\server\\share\\a.ign") },
        UnescapeCase { "EscapedDrivePath", QStringLiteral("C:\\\\Bikes\\\\\\x0159.ign"),
            QString::fromUtf8("C:\\Bikes\\ř.ign") },
        UnescapeCase {
            "LowerCaseHexAndUncheckedLetter", QStringLiteral("\\y015a\\x00e9"), QString::fromUtf8("Śé") },
        UnescapeCase { "EscapeCutShortIsKeptAsText", QStringLiteral("/a\\x01"), QStringLiteral("/a\\x01") },
        UnescapeCase {
            "EscapeWithNonHexIsKeptAsText", QStringLiteral("/a\\xZZZZb"), QStringLiteral("/a\\xZZZZb") },
        UnescapeCase { "EscapedNulIsDropped", QStringLiteral("/a\\x0000b"), QStringLiteral("/ab") },
        UnescapeCase { "LongPathIsCut", QString(300, u'a'), QString(kMaxStoredPathLength, u'a') },
        UnescapeCase { "LongDrivePathIsCut", QStringLiteral("C:\\") + QString(300, u'a'),
            (QStringLiteral("C:\\") + QString(300, u'a')).left(kMaxStoredPathLength) }),
    [](const testing::TestParamInfo<UnescapeCase>& caseInfo) { return std::string(caseInfo.param.name); });

TEST(UnescapePath, ReadsBackEveryEscapedPath)
{
    const QString paths[] = {
        QString::fromUtf8("C:\\Users\\Jiří\\Dokumenty\\ŠKODA.ign"),
        QStringLiteral("\\\\server\\share\\a.ign"),
        QString::fromUtf8("/home/rider/モーター/😀.ign"),
        QStringLiteral("C:\\\\odd\\\\doubled"),
        QStringLiteral("/tmp/tab\there"),
    };
    for (const QString& path : paths)
        EXPECT_EQ(UnescapePath(EscapePath(path)), path) << path.toStdString();
}

} // namespace
