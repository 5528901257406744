#include "params/parameter_layout.h"
#include "shell/settings_block_file.h"
#include "tests/core/main_form_fixture.h"

#include <QAction>
#include <QFile>
#include <QDir>
#include <QGroupBox>

namespace {

using MainFormSettings = MainFormFixture;

TEST_F(MainFormSettings, FirstStartIsANewInstallationAndClosingWritesBothFiles)
{
    TMainForm& form = Form();
    EXPECT_EQ(form.Settings().newInstall, 1);
    EXPECT_FALSE(QFile::exists(SettingsFile("application.ini")));
    form.close();
    EXPECT_TRUE(QFile::exists(SettingsFile("application.ini")));
    StoredBlock stored {};
    EXPECT_EQ(ReadBlockFile(SettingsFile("default.ini"), stored), 100);
    EXPECT_EQ(stored, form.Block().bytes);
}

TEST_F(MainFormSettings, LastBlockAndLanguageComeBackOnTheNextStart)
{
    StoredBlock stored {};
    {
        TMainForm& form = Form({ "DEUTSCH" });
        form.close();
        stored = form.Block().bytes;
        m_form.reset();
    }
    // The stored block is normalised on loading: a hand-edited out-of-range value is brought back.
    stored[ParamIndex::kBaseAdvance] = 200;
    ASSERT_TRUE(WriteBlockFile(SettingsFile("default.ini"), stored));
    SetCurrentLanguage(kEnglish);
    TMainForm& again = Form();
    EXPECT_EQ(CurrentLanguage(), kGerman);
    EXPECT_EQ(again.Block()[ParamIndex::kBaseAdvance], 40);
}

TEST_F(MainFormSettings, MonitorPlayerMenuTogglesThePanelAndSavesAtOnce)
{
    TMainForm& form = Form();
    auto* item = form.findChild<QAction*>("MenuMonitorPlayer");
    item->trigger();
    EXPECT_FALSE(form.findChild<QGroupBox*>("GroupBoxPlayer")->isHidden());
    EXPECT_TRUE(item->isChecked());
    QFile ini(SettingsFile("application.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("MONITORPLAYER=1"));
}

TEST_F(MainFormSettings, TestMarkerShowsTheTestLabelsAndThePlayer)
{
    ASSERT_TRUE(QDir().mkpath(config.path() + "/Kordanex/Velmor/109"));
    config.write("Kordanex/Velmor/109/test_zorvik.txt", "DIAG_ACTIVE\n");
    TMainForm& form = Form();
    EXPECT_TRUE(form.TestMode());
    EXPECT_FALSE(form.findChild<QWidget*>("LabelTest1")->isHidden());
    EXPECT_FALSE(form.findChild<QWidget*>("GroupBoxPlayer")->isHidden());
}

} // namespace
