#include "shell/apply_language.h"
#include "shell/language.h"
#include "shell/message_table.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

// A cut-down main window: a few menu items, unit buttons, labels and both multifunction groups
// (the second with fewer buttons than items). Every other target of the tables is missing.
class LanguageApply : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetCurrentLanguage(kEnglish);

        QMenu* file = m_window.menuBar()->addMenu(QStringLiteral("&File"));
        file->menuAction()->setObjectName("MenuFile");
        file->addAction(QStringLiteral("&Open"))->setObjectName("MenuOpen");
        QMenu* language = m_window.menuBar()->addMenu(QStringLiteral("&Language"));
        language->menuAction()->setObjectName("MenuLanguage");
        for (const char* name : { "MenuEnglish", "MenuGerman", "MenuCzech" })
            language->addAction(QString::fromLatin1(name))->setObjectName(QString::fromLatin1(name));

        auto* central = new QWidget(&m_window);
        auto* layout = new QVBoxLayout(central);
        Add<QPushButton>(layout, "ButtonRead");
        Add<QCheckBox>(layout, "CheckBoxProgHned");
        Add<QLabel>(layout, "LabelMaxLenLobe");
        Add<QLabel>(layout, "LabelLedRazeni");
        m_input1 = RadioGroup(layout, "RadioGroupInput1", 5);
        m_input2 = RadioGroup(layout, "RadioGroupInput2", 2);
        m_input1->findChildren<QRadioButton*>().at(2)->setChecked(true);
        m_window.setCentralWidget(central);
    }
    void TearDown() override { SetCurrentLanguage(kEnglish); }

    template <typename W> void Add(QVBoxLayout* layout, const char* name)
    {
        auto* widget = new W(QStringLiteral("design"));
        widget->setObjectName(QString::fromLatin1(name));
        layout->addWidget(widget);
    }

    QGroupBox* RadioGroup(QVBoxLayout* layout, const char* name, int buttons)
    {
        auto* group = new QGroupBox;
        group->setObjectName(QString::fromLatin1(name));
        auto* inner = new QVBoxLayout(group);
        for (int i = 0; i < buttons; ++i)
            inner->addWidget(new QRadioButton(QStringLiteral("item")));
        layout->addWidget(group);
        return group;
    }

    QAction* Action(const char* name) { return m_window.findChild<QAction*>(QString::fromLatin1(name)); }
    QString Caption(const char* name)
    {
        QObject* target = m_window.findChild<QObject*>(QString::fromLatin1(name));
        if (auto* button = qobject_cast<QAbstractButton*>(target))
            return button->text();
        if (auto* label = qobject_cast<QLabel*>(target))
            return label->text();
        return qobject_cast<QAction*>(target)->text();
    }
    static QStringList Items(const QGroupBox* group)
    {
        QStringList items;
        for (const QRadioButton* button : group->findChildren<QRadioButton*>())
            items << button->text();
        return items;
    }
    std::vector<std::string> CheckedLanguageItems()
    {
        std::vector<std::string> checked;
        for (const char* name : { "MenuEnglish", "MenuGerman", "MenuCzech" }) {
            if (Action(name)->isChecked())
                checked.emplace_back(name);
        }
        return checked;
    }

    QMainWindow m_window;
    QGroupBox* m_input1 = nullptr;
    QGroupBox* m_input2 = nullptr;
};

TEST_F(LanguageApply, GermanRetitlesCaptionsListsHintsAndMessages)
{
    int refreshes = 0;
    SetLanguage(kGerman, m_window, { .refreshParameters = [&] { ++refreshes; } });

    EXPECT_EQ(CurrentLanguage(), kGerman);
    EXPECT_EQ(refreshes, 1);

    EXPECT_EQ(Caption("ButtonRead"), QStringLiteral("&Lesen"));
    EXPECT_EQ(Action("MenuFile")->text(), QStringLiteral("&Datei"));
    EXPECT_EQ(Action("MenuOpen")->text(), QStringLiteral("&Öffnen"));
    EXPECT_EQ(Action("MenuEnglish")->text(), QStringLiteral("&Englisch - English"));
    EXPECT_EQ(Caption("CheckBoxProgHned"), QStringLiteral("Programmierung nach Änderung"));

    EXPECT_EQ(m_input1->title(), QStringLiteral("Multifunktionseingang 1 - grün"));
    EXPECT_EQ(
        Items(m_input1), QStringList({ "Aus", "Not Aus", "Schaltautomat", "Kurve B", "Startbegrenzer" }));
    EXPECT_TRUE(m_input1->findChildren<QRadioButton*>().at(2)->isChecked());
    EXPECT_EQ(Items(m_input2), QStringList({ "Aus", "Blockierung" }));

    EXPECT_EQ(CheckedLanguageItems(), std::vector<std::string> { "MenuGerman" });

    // Hints go to both the tooltip and the status tip (status panel 0).
    const auto* read = m_window.findChild<QPushButton*>("ButtonRead");
    EXPECT_EQ(read->toolTip(), QStringLiteral("Kenndaten aus Zündung lesen"));
    EXPECT_EQ(read->statusTip(), QStringLiteral("Kenndaten aus Zündung lesen"));
    EXPECT_EQ(Action("MenuOpen")->statusTip(), QStringLiteral("Kenndatendatei öffnen"));
    EXPECT_EQ(Action("MenuLanguage")->statusTip(),
        QStringLiteral("wählen sie Englisch, Deutsch oder Tschechisch "));
    EXPECT_EQ(Action("MenuEnglish")->toolTip(), QStringLiteral("Set English menu"));
    EXPECT_EQ(Action("MenuEnglish")->statusTip(), QStringLiteral("Set English menu"));
    EXPECT_EQ(m_window.findChild<QCheckBox*>("CheckBoxProgHned")->statusTip(),
        QStringLiteral("Programmmieren sofort nach dem änderung"));

    EXPECT_EQ(MessageText(kMessageOpenFileError), QStringLiteral("Fehler beim öffnen der Datei!"));
}

TEST_F(LanguageApply, EachLanguageChecksOnlyItsMenuItem)
{
    struct Expected {
        int language;
        const char* read;
        const char* checked;
    };
    const Expected cases[] = {
        { kCzech, "&Číst", "MenuCzech" },
        { kGerman, "&Lesen", "MenuGerman" },
        { kEnglish, "&Read", "MenuEnglish" },
    };
    for (const Expected& c : cases) {
        SetLanguage(c.language, m_window);
        EXPECT_EQ(Caption("ButtonRead"), QString::fromUtf8(c.read)) << c.language;
        EXPECT_EQ(CheckedLanguageItems(), std::vector<std::string> { c.checked }) << c.language;
        EXPECT_EQ(Action("MenuGerman")->statusTip(), QStringLiteral("Deutsches Menü")) << c.language;
    }
}

TEST_F(LanguageApply, ListHooksRunBetweenTheirRows)
{
    std::vector<std::string> calls;
    // What each hook sees: which texts are already in the new language when it runs.
    auto snapshot = [&](const char* hook) {
        return [&, hook] {
            calls.push_back(std::string(hook) + ": lobe=" + Caption("LabelMaxLenLobe").toStdString() + " led="
                + Caption("LabelLedRazeni").toStdString() + " read=" + Caption("ButtonRead").toStdString()
                + " hint=" + Action("MenuOpen")->statusTip().toStdString()
                + " message=" + MessageText(kMessagePositive).toStdString());
        };
    };
    LanguageHooks hooks;
    hooks.rebuildIgnitionsPerRevolution = snapshot("ignitions");
    hooks.rebuildSyncPolarity = snapshot("sync");
    hooks.rebuildBikeList = snapshot("bike");
    hooks.rebuildPickupPolarity = snapshot("pickup");
    hooks.rebuildPowerOutput = snapshot("power");
    hooks.rebuildMonitorTexts = snapshot("monitor");
    hooks.refreshParameters = snapshot("refresh");

    SetLanguage(kGerman, m_window, hooks);

    const std::string lobe = "lobe=Maximale Länge der virtuellen Vorsprung [ms]";
    const std::string midStep2 = lobe + " led=design read=design hint= message=Positiv";
    const std::string endStep2 = lobe + " led=Schaltblitz [rpm] read=design hint= message=Positiv";
    const std::string done
        = lobe + " led=Schaltblitz [rpm] read=&Lesen hint=Kenndatendatei öffnen message=Positiv";
    EXPECT_EQ(calls,
        (std::vector<std::string> {
            "ignitions: " + midStep2,
            "sync: " + midStep2,
            "bike: " + endStep2,
            "pickup: " + endStep2,
            "power: " + endStep2,
            "monitor: " + endStep2,
            "refresh: " + done,
        }));
}

} // namespace
