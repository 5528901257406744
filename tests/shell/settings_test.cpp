#include "tests/support/file_size_limit.h"
#include "shell/settings.h"

#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace
{

constexpr int kVersion = 109;
const std::vector<PixelRect> kOneMonitor { { 0, 0, 1920, 1080 } };

// The state the window has when it loads its settings: centred, English, the block at its defaults.
VelmorSettings Current()
{
    VelmorSettings current;
    current.window = { 560, 240, 800, 600 };
    current.comPortAuto = 4;
    current.block.fill(7);
    return current;
}

// A settings folder in a fresh temporary folder.
class SettingsTest : public testing::Test
{
protected:
    SettingsLocation Where() const { return LocateSettingsIn(m_base.path(), kVersion); }
    void WriteIni(const QByteArray& text) const { WriteFile(Where().iniPath, text); }
    static void WriteFile(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    VelmorSettings Load() const { return LoadSettings(Where(), Current(), kOneMonitor); }

    TempFolder m_base;
};

TEST_F(SettingsTest, FirstStartWithoutFolderGivesDefaultsAndSavingWritesBothFiles)
{
    const QString base = m_base.file("fresh");
    const SettingsLocation where = LocateSettingsIn(base, kVersion);
    EXPECT_EQ(where.folder, base + "/Kordanex/Velmor/109/");
    EXPECT_TRUE(QDir(where.folder).exists());

    const VelmorSettings loaded = LoadSettings(where, Current(), kOneMonitor);

    EXPECT_EQ(loaded.window, Current().window);
    EXPECT_EQ(loaded.comPort, 0);
    EXPECT_EQ(loaded.comPortAuto, 4);
    EXPECT_EQ(loaded.language, 0);
    EXPECT_EQ(loaded.updateNumber, -1);
    EXPECT_EQ(loaded.newInstall, 1);
    EXPECT_FALSE(loaded.monitorPlayer);
    EXPECT_TRUE(loaded.file.isEmpty());
    EXPECT_EQ(loaded.history.Entries(), QStringList { QString() });
    EXPECT_FALSE(loaded.history.MenuItemVisible(1));
    EXPECT_FALSE(loaded.history.SeparatorVisible());
    EXPECT_EQ(loaded.block, Current().block);

    ASSERT_TRUE(SaveSettings(where, loaded));

    EXPECT_EQ(ReadFile(where.iniPath),
        "[BASIC]\nLeft=560\nTop=240\nHeight=600\nWidth=800\nComPort=0\nComPortAuto=4\nLanguage=0\n"
        "UpdateNumber=-1\nFile=\nIniFileDir=\nNEWINSTAL=1\nMONITORPLAYER=0\nMenuHistory00=\n");
    EXPECT_EQ(ReadFile(where.blockPath), FormatBlockFile(loaded.block));
}

TEST_F(SettingsTest, EverySavedValueReadsBackEqual)
{
    VelmorSettings saved = Current();
    saved.window = { 10, 20, 1024, 700 };
    saved.comPort = 7;
    saved.comPortAuto = 9;
    saved.language = 2;
    saved.updateNumber = 1234;
    saved.file = QString::fromUtf8("/home/jiří/Díly/ŠKODA.ign");
    saved.dialogPath = saved.file;
    saved.newInstall = 0;
    saved.monitorPlayer = true;
    saved.history.Assign({ saved.file, "C:\\Bikes\\old.ign", "\\\\server\\share\\x.ign" });
    saved.block[5] = 200;
    ASSERT_TRUE(SaveSettings(Where(), saved));

    const QByteArray text = ReadFile(Where().iniPath);
    EXPECT_TRUE(text.contains("File=/home/ji\\x0159\xED/D\xEDly/\\x0160KODA.ign\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Language=3\n"));

    const VelmorSettings loaded = Load();
    EXPECT_EQ(loaded.window, saved.window);
    EXPECT_EQ(loaded.comPort, 7);
    EXPECT_EQ(loaded.comPortAuto, 9);
    EXPECT_EQ(loaded.language, 2);
    EXPECT_EQ(loaded.updateNumber, 1234);
    EXPECT_EQ(loaded.file, saved.file);
    EXPECT_EQ(loaded.newInstall, 0);
    EXPECT_TRUE(loaded.monitorPlayer);
    EXPECT_EQ(loaded.history.Entries(), saved.history.Entries());
    EXPECT_EQ(loaded.block, saved.block);
}

struct LanguageCase {
    const char* name;
    const char* stored; // null: no Language key
    int current;
    int loaded;
};

class StoredLanguageTest : public SettingsTest, public testing::WithParamInterface<LanguageCase>
{
};

TEST_P(StoredLanguageTest, CzechIsStoredAsThreeAndOtherCodesKeepTheCurrentLanguage)
{
    WriteIni(GetParam().stored ? QByteArray("[BASIC]\nLanguage=") + GetParam().stored + "\n" : QByteArray());
    VelmorSettings current = Current();
    current.language = GetParam().current;
    EXPECT_EQ(LoadSettings(Where(), current, kOneMonitor).language, GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredLanguageTest,
    testing::Values(LanguageCase { "ZeroIsEnglish", "0", 1, 0 }, LanguageCase { "OneIsGerman", "1", 0, 1 },
        LanguageCase { "ThreeIsCzech", "3", 0, 2 }, LanguageCase { "TwoKeepsEnglish", "2", 0, 0 },
        LanguageCase { "TwoKeepsGerman", "2", 1, 1 }, LanguageCase { "GarbageKeepsCurrent", "cz", 1, 1 },
        LanguageCase { "AbsentKeepsCurrent", nullptr, 2, 2 }),
    [](const testing::TestParamInfo<LanguageCase>& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(SettingsTest, StoredWindowIsFittedOntoTheMonitor)
{
    WriteIni("[BASIC]\nLeft=1500\nTop=-100\nHeight=600\nWidth=800\n");
    EXPECT_EQ(Load().window, (WindowPlacement { 1120, 0, 800, 600 }));

    WriteIni("[BASIC]\nLeft=10\nTop=10\nHeight=3000\nWidth=4000\n");
    EXPECT_EQ(Load().window, (WindowPlacement { 0, 0, 1920, 1080 }));
}

TEST_F(SettingsTest, HandWrittenPathsReadUnchangedAndTheDialogStartsFromFile)
{
    WriteIni("[BASIC]\nFile=C:\\Bikes\\x0159.ign\n");
    const VelmorSettings plain = Load();
    EXPECT_EQ(plain.file, "C:\\Bikes\\x0159.ign");
    EXPECT_EQ(plain.dialogPath, plain.file);

    WriteIni("[BASIC]\nFile=C:\\\\a.ign\nIniDir=\\\\server\\share\\\n");
    const VelmorSettings withDir = Load();
    EXPECT_EQ(withDir.file, "C:\\a.ign");
    EXPECT_EQ(withDir.dialogPath, "\\\\server\\share\\");
}

TEST_F(SettingsTest, HistoryIsReadUpToTheFirstEmptyKeyButAnEmptyFirstEntryCounts)
{
    WriteIni("[BASIC]\nMenuHistory00=\nMenuHistory01=/a.ign\nMenuHistory02=\nMenuHistory03=/lost.ign\n");
    EXPECT_EQ(Load().history.Entries(), QStringList({ "", "/a.ign" }));

    WriteIni("[BASIC]\nMenuHistory00=/cur.ign\nMenuHistory02=/b.ign\n");
    EXPECT_EQ(Load().history.Entries(), QStringList({ "/cur.ign" }));
}

TEST_F(SettingsTest, ShortenedHistoryDoesNotComeBackAfterARestart)
{
    WriteIni("[BASIC]\nMenuHistory00=/a.ign\nMenuHistory01=/b.ign\nMenuHistory02=/c.ign\n");
    VelmorSettings settings = Load();
    settings.history.RemoveRecentFile("/b.ign");
    ASSERT_TRUE(SaveSettings(Where(), settings));

    EXPECT_EQ(Load().history.Entries(), QStringList({ "/a.ign", "/c.ign" }));
}

TEST_F(SettingsTest, KeysTheProgramDoesNotWriteStayInTheFile)
{
    WriteIni(
        "; "
        "notes\n[BASIC]\nIniDir=/start/here\nSomething=else\n\n[PORTS]\nCOM7=/dev/pts/3\nCOM300=/too/high\n");
    VelmorSettings settings = Load();
    EXPECT_EQ(settings.ports, (std::map<int, QString> { { 7, "/dev/pts/3" } }));

    // The port map is the user's (or a running simulator's): saving never rewrites it.
    settings.ports = { { 9, "/dev/pts/5" } };
    ASSERT_TRUE(SaveSettings(Where(), settings));

    const QByteArray text = ReadFile(Where().iniPath);
    for (const char* kept : { "; notes\n", "IniDir=/start/here\n", "Something=else\n", "COM300=/too/high\n",
             "COM7=/dev/pts/3\n" })
        EXPECT_TRUE(text.contains(kept)) << kept;
    EXPECT_FALSE(text.contains("COM9="));
}

TEST_F(SettingsTest, BlockFileValuesAreTakenModulo256AndAShortFileKeepsTheRest)
{
    WriteFile(Where().blockPath, "1 300 3");
    const VelmorSettings loaded = Load();
    EXPECT_EQ(loaded.block[0], 1);
    EXPECT_EQ(loaded.block[1], 44);
    EXPECT_EQ(loaded.block[2], 3);
    EXPECT_EQ(loaded.block[3], 7);
    EXPECT_EQ(loaded.block[99], 7);
}

TEST_F(SettingsTest, FolderThatCannotBeMadeGivesDefaultsAndAFailedSave)
{
    m_base.write("taken", "a file where the folder should be");
    const SettingsLocation where = LocateSettingsIn(m_base.file("taken"), kVersion);

    const VelmorSettings loaded = LoadSettings(where, Current(), kOneMonitor);
    EXPECT_EQ(loaded.newInstall, 1);
    EXPECT_EQ(loaded.block, Current().block);

    EXPECT_FALSE(SaveSettings(where, loaded));
    EXPECT_EQ(m_base.read("taken"), "a file where the folder should be");
}


TEST_F(SettingsTest, FailedSaveLeavesTheFilesThatWereThere)
{
    VelmorSettings before = Current();
    before.file = "/kept.ign";
    ASSERT_TRUE(SaveSettings(Where(), before));
    const QByteArray ini = ReadFile(Where().iniPath);
    const QByteArray block = ReadFile(Where().blockPath);

    VelmorSettings after = Current();
    after.file = "/" + QString(250, u'n');
    after.block.fill(1);
    bool saved = true;
    {
        FileSizeLimit full(100);
        saved = SaveSettings(Where(), after);
    }

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(Where().iniPath), ini);
    EXPECT_EQ(ReadFile(Where().blockPath), block);
    EXPECT_EQ(QDir(Where().folder).entryList(QDir::Files | QDir::Hidden),
        QStringList({ "application.ini", "default.ini" }));
}

TEST(LocateSettings, UsesTheConfigurationFolderOfTheEnvironment)
{
    const SettingsLocation where = LocateSettings(kVersion);
    EXPECT_EQ(where.folder, qEnvironmentVariable("XDG_CONFIG_HOME") + "/Kordanex/Velmor/109/");
    EXPECT_EQ(where.testMarkerPath, where.folder + "test_zorvik.txt");
}

} // namespace
