// Replays every committed fuzz input (the seed corpora and the inputs of past findings) through the
// same property checks as the fuzz targets, so that the normal build catches a regression without
// clang or libFuzzer.

#include "fuzz/properties.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct ReplayCase {
    std::string name; // "<target>_<folder>"
    FuzzCheck check;
    QString folder;
};

std::vector<ReplayCase> ReplayCases()
{
    std::vector<ReplayCase> cases;
    for (const FuzzTarget& target : FuzzTargets()) {
        for (const char* kind : { "corpus", "regressions" }) {
            cases.push_back({ std::string(target.name) + '_' + kind, target.check,
                QStringLiteral(VELMOR_FUZZ_DIR "/%1/%2")
                    .arg(QString::fromLatin1(kind), QString::fromLatin1(target.name)) });
        }
    }
    return cases;
}

class FuzzInputReplay : public testing::TestWithParam<ReplayCase>
{
};

TEST_P(FuzzInputReplay, EveryCommittedInputKeepsItsProperty)
{
    const ReplayCase& replay = GetParam();
    const QStringList files = QDir(replay.folder).entryList(QDir::Files, QDir::Name);
    // The seed corpora are never empty; a target may not have had a finding yet.
    if (replay.name.ends_with("_corpus")) {
        EXPECT_FALSE(files.isEmpty()) << replay.folder.toStdString();
    }
    for (const QString& name : files) {
        QFile file(replay.folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QByteArray bytes = file.readAll();
        const FuzzInput input(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
        EXPECT_EQ(replay.check(input), "") << name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputReplay, testing::ValuesIn(ReplayCases()),
    [](const testing::TestParamInfo<ReplayCase>& tested) { return tested.param.name; });

} // namespace
