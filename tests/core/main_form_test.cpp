#include "core/command_line.h"
#include "core/main_form.h"
#include "tests/core/main_form_fixture.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "shell/language.h"
#include "tests/support/message_sink_capture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QApplication>

#include <gtest/gtest.h>

namespace {

struct LanguageArgumentCase {
    const char* name;
    QStringList arguments;
    std::optional<int> language;
};

class LanguageArgument : public ::testing::TestWithParam<LanguageArgumentCase> {};

TEST_P(LanguageArgument, OnlyTheExactFirstWordCounts)
{
    EXPECT_EQ(LanguageFromCommandLine(GetParam().arguments), GetParam().language);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, LanguageArgument,
    ::testing::Values(
        LanguageArgumentCase { "None", {}, std::nullopt },
        LanguageArgumentCase { "English", { "ENGLISH" }, 0 },
        LanguageArgumentCase { "German", { "DEUTSCH" }, 1 },
        LanguageArgumentCase { "Czech", { "CESKY" }, 2 },
        LanguageArgumentCase { "LowerCaseIgnored", { "english" }, std::nullopt },
        LanguageArgumentCase { "PrefixIgnored", { "CESKYX" }, std::nullopt },
        LanguageArgumentCase { "OnlyFirstArgumentRead", { "CESKY", "ENGLISH" }, 2 },
        LanguageArgumentCase { "SecondArgumentNeverRead", { "foo", "DEUTSCH" }, std::nullopt }),
    [](const auto& c) { return std::string(c.param.name); });

using MainFormTest = MainFormFixture;

TEST_F(MainFormTest, TicksAdvanceTheLinkClockByFiftyMilliseconds)
{
    TMainForm* form = &Form();
    ASSERT_TRUE(form->Initialised());
    for (int i = 0; i < 7; ++i)
        form->Timer1Timer();
    EXPECT_EQ(form->Clock().Ticks(), 7);
    EXPECT_EQ(form->Clock().Tmr(), 350);
}

TEST_F(MainFormTest, MenuHasEveryCommandWithItsShortcut)
{
    TMainForm* form = &Form();
    const std::pair<const char*, QKeySequence> items[] = {
        { "MenuNew", QKeySequence("Ctrl+N") }, { "MenuOpen", QKeySequence("F3") },
        { "MenuOpenExeDir", QKeySequence("Ctrl+F3") }, { "MenuSave", QKeySequence("F2") },
        { "MenuSaveExeDir", QKeySequence("Ctrl+F2") }, { "MenuPrint", QKeySequence("Ctrl+P") },
        { "MenuRead", QKeySequence("F7") }, { "MenuVerify", QKeySequence("F8") },
        { "MenuProgram", QKeySequence("F9") }, { "MenuAdvanceMinus", QKeySequence("F4") },
        { "MenuAdvancePlus", QKeySequence("F5") }, { "MenuZpet", QKeySequence("Ctrl+Z") },
        { "MenuZnovu", QKeySequence("Ctrl+Shift+Z") }, { "MenuMonitorPlayer", QKeySequence("Ctrl+M") },
        { "MenuContens", QKeySequence("F1") }, { "MenuExit", QKeySequence() }, { "MenuReset", QKeySequence() },
        { "MenuUpdate", QKeySequence() }, { "MenuAbout", QKeySequence() },
    };
    for (const auto& [name, shortcut] : items) {
        const QAction* action = form->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->shortcut(), shortcut) << name;
    }
    const auto comItems = form->findChildren<QAction*>(QRegularExpression("^MenuComItem\\d+$"));
    EXPECT_EQ(comItems.size(), 30);
}

TEST_F(MainFormTest, UnitCommandsStayDisabledWithoutAUnit)
{
    TMainForm* form = &Form();
    form->Timer1Timer();
    for (const char* name : { "MenuRead", "MenuVerify", "MenuProgram", "MenuReset" })
        EXPECT_FALSE(form->findChild<QAction*>(name)->isEnabled()) << name;
}

TEST_F(MainFormTest, MinusOneInTachometerPulsesBecomesPickupWithinOneTick)
{
    TMainForm* form = &Form();
    auto* edit = form->findChild<QLineEdit*>("EditRpmPulsu");
    edit->setText("-1");
    form->Timer1Timer();
    EXPECT_EQ(edit->text(), "pickup");
    EXPECT_EQ(form->findChild<QSpinBox*>("UpDownRpmPulsu")->value(), -1);
}

TEST_F(MainFormTest, HintGoesToStatusPanelZeroAndAnEmptyHintClearsIt)
{
    TMainForm* form = &Form();
    QStatusTipEvent tip("Open file with parametrs");
    QApplication::sendEvent(form, &tip);
    EXPECT_EQ(form->StatusPanel(0)->text(), "Open file with parametrs");
    QStatusTipEvent none(QString {});
    QApplication::sendEvent(form, &none);
    EXPECT_EQ(form->StatusPanel(0)->text(), "");
}

TEST_F(MainFormTest, TestLabelsAndPlayerHiddenOutsideTestMode)
{
    TMainForm* form = &Form();
    form->show();
    EXPECT_FALSE(form->TestMode());
    EXPECT_FALSE(form->findChild<QLabel*>("LabelTest1")->isVisible());
    EXPECT_FALSE(form->findChild<QWidget*>("GroupBoxPlayer")->isVisible());
}

} // namespace

namespace {

using MainFormLanguageTest = MainFormFixture;

TEST_F(MainFormLanguageTest, FirstArgumentChoosesTheLanguageAtStartUp)
{
    TMainForm* form = &Form({ "CESKY", "ENGLISH" });
    EXPECT_EQ(CurrentLanguage(), kCzech);
    EXPECT_EQ(form->findChild<QPushButton*>("ButtonRead")->text(), QString::fromUtf8("&Číst"));
    EXPECT_TRUE(form->findChild<QAction*>("MenuCzech")->isChecked());
}

TEST_F(MainFormLanguageTest, LowerCaseArgumentKeepsTheLanguage)
{
    SetCurrentLanguage(kGerman);
    TMainForm* form = &Form({ "english" });
    EXPECT_EQ(CurrentLanguage(), kGerman);
    EXPECT_EQ(form->findChild<QAction*>("MenuFile")->text(), "&Datei");
}

TEST_F(MainFormLanguageTest, LanguageMenuRetitlesMenusButtonsAndHints)
{
    TMainForm* form = &Form({ "ENGLISH" });
    form->findChild<QAction*>("MenuGerman")->trigger();
    EXPECT_EQ(CurrentLanguage(), kGerman);
    EXPECT_EQ(form->findChild<QPushButton*>("ButtonRead")->text(), "&Lesen");
    EXPECT_EQ(form->findChild<QAction*>("MenuRead")->text(), "&Lesen");
    EXPECT_FALSE(form->findChild<QAction*>("MenuEnglish")->isChecked());
    EXPECT_TRUE(form->findChild<QAction*>("MenuGerman")->isChecked());
    EXPECT_EQ(form->findChild<QAction*>("MenuEnglish")->statusTip(), "Set English menu");
    EXPECT_EQ(form->findChild<QWidget*>("SpeedButtonSave")->statusTip(), "Kenndaten in Datei speichern");
}

} // namespace
