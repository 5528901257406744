// convert and show on the sample settings files of every format version.

#include "params/normalize_parameters.h"
#include "params/parameter_file.h"
#include "params/parameter_layout.h"
#include "tests/cli/cli_run.h"
#include "tests/support/temp_folder.h"

#include <QDir>

namespace {

QString Sample(const char* name)
{
    return QStringLiteral(VELMOR_SAMPLES_DIR "/") + QLatin1String(name);
}

// What the program makes of a file: loaded over the defaults, then normalised.
ParameterBlock Loaded(const QString& path)
{
    ParameterBlock block;
    SetDefaults(block);
    EXPECT_TRUE(LoadParameterFile(path, block).Accepted()) << path.toStdString();
    NormalizeParameters(block);
    return block;
}

constexpr const char* kOlderSamples[] = { "velmor_v19.ign", "velmor_v27.ign", "velmor_v33.ign", "velmor_v41.ign",
    "velmor_v46.ign", "velmor_v67.ign", "velmor_v92.ign" };

TEST(CliConvert, EveryOlderVersionBecomesACurrentFileWithTheSameSettings)
{
    TempFolder folder;
    for (const char* name : kOlderSamples) {
        SCOPED_TRACE(name);
        const QString out = folder.file(QString::fromLatin1(name));
        const CliRun run = RunCli({ "convert", Sample(name), "-o", out });
        ASSERT_EQ(run.code, CliExit::kOk) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());

        ParameterBlock converted;
        const ParameterFileResult result = LoadParameterFile(out, converted);
        EXPECT_EQ(result.status, ParameterFileStatus::Current);
        EXPECT_EQ(converted, Loaded(Sample(name)));

        // Without -o the file goes to standard output, byte for byte the same settings.
        const CliRun toStdout = RunCli({ "convert", Sample(name) });
        ASSERT_EQ(toStdout.code, CliExit::kOk);
        ParameterBlock fromText;
        EXPECT_EQ(ReadParameterFile(toStdout.out, fromText).status, ParameterFileStatus::Current);
        EXPECT_EQ(fromText, converted);
    }
}

TEST(CliFiles, UnusableFilesGiveTheFileErrorCodeAndWriteNothing)
{
    TempFolder folder;
    const QString unmatched = folder.write("future.ign", "KORDANEX_KEY     250 VELMOR/Velmor\r\nBIKE 8\r\n");
    const QString notAFile = folder.write("notes.ign", "shopping list\r\n");
    const QString out = folder.file("out.ign");
    const QString inputs[] = { folder.file("missing.ign"), unmatched, notAFile, folder.path() };
    for (const QString& input : inputs) {
        SCOPED_TRACE(input.toStdString());
        for (const char* command : { "convert", "show" }) {
            QStringList arguments { QString::fromLatin1(command), input };
            if (QLatin1String(command) == QLatin1String("convert"))
                arguments << "-o" << out;
            const CliRun run = RunCli(arguments);
            EXPECT_EQ(run.code, CliExit::kFileError);
            EXPECT_TRUE(run.out.isEmpty());
            EXPECT_FALSE(run.err.isEmpty());
        }
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST(CliFiles, ConvertReportsAnOutputThatCannotBeWritten)
{
    const CliRun run = RunCli({ "convert", Sample("velmor_v92.ign"), "-o", "/nonexistent-folder/out.ign" });
    EXPECT_EQ(run.code, CliExit::kFailed);
    EXPECT_TRUE(run.err.contains("could not be written"));
}

TEST(CliShow, ListsSettingsInTheirUnitsAndTheRawBytes)
{
    const ParameterBlock block = Loaded(Sample("velmor_v109.ign"));
    const CliRun run = RunCli({ "show", Sample("velmor_v109.ign") });
    ASSERT_EQ(run.code, CliExit::kOk) << run.err.toStdString();
    const QString text = QString::fromUtf8(run.out);

    EXPECT_TRUE(text.contains(QStringLiteral("base advance: %1 deg\n").arg(block[ParamIndex::kBaseAdvance])));
    EXPECT_TRUE(text.contains(QStringLiteral("hard limiter A: %1 rpm\n").arg(block[ParamIndex::kHardLimiterA] * 100)));
    EXPECT_TRUE(text.contains(QStringLiteral("clutch time B: %1 ms\n").arg(block[ParamIndex::kClutchTimeB] * 5)));
    EXPECT_TRUE(text.contains(QStringLiteral("curve A point 1: %1 rpm -> %2 deg\n")
                                  .arg(block[ParamIndex::kSpeedsA] * 100)
                                  .arg(block[ParamIndex::kAdvancesA])));

    // The raw bytes: ten rows of ten, each row led by its first index, giving back the block.
    const QString raw = text.mid(text.indexOf(QLatin1String("raw bytes:\n")) + 11);
    const QStringList rows = raw.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 10);
    ParameterBlock parsed;
    for (int row = 0; row < 10; ++row) {
        const QStringList parts = rows[row].split(QLatin1Char(':'));
        ASSERT_EQ(parts.size(), 2);
        EXPECT_EQ(parts[0].trimmed().toInt(), row * 10);
        const QStringList bytes = parts[1].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_EQ(bytes.size(), 10);
        for (int i = 0; i < 10; ++i)
            parsed[row * 10 + i] = uint8_t(bytes[i].toInt());
    }
    EXPECT_EQ(parsed, block);
}

} // namespace
