// The main menu: items, English design captions, short-cuts and separators. Captions are retitled by
// language when the language is applied; the handlers are connected in the command files.

#include "core/main_form.h"

#include <QAction>
#include <QMenuBar>

QAction* TMainForm::AddAction(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QAction* TMainForm::AddSeparator(QMenu* menu, const char* name)
{
    QAction* separator = menu->addSeparator();
    if (name)
        separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

void TMainForm::BuildMainMenu()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->menuAction()->setObjectName("MenuFile");
    AddAction(file, "MenuNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N));
    AddSeparator(file);
    AddAction(file, "MenuOpen", "&Open", QKeySequence(Qt::Key_F3));
    AddAction(file, "MenuOpenExeDir", "Open from exe dir", QKeySequence(Qt::CTRL | Qt::Key_F3));
    AddSeparator(file);
    AddAction(file, "MenuSave", "&Save", QKeySequence(Qt::Key_F2));
    AddAction(file, "MenuSaveExeDir", "Save to exe dir", QKeySequence(Qt::CTRL | Qt::Key_F2));
    AddSeparator(file);
    for (int i = 1; i <= 9; ++i) {
        const QByteArray name = "MenuHistory" + QByteArray::number(i);
        AddAction(file, name.constData(), "")->setVisible(false);
    }
    AddSeparator(file, "MenuHistoryEnd")->setVisible(false);
    AddAction(file, "MenuPrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P));
    AddSeparator(file);
    AddAction(file, "MenuExit", "E&xit");

    m_comMenu = bar->addMenu(QStringLiteral("&Com"));
    m_comMenu->menuAction()->setObjectName("MenuCom");
    BuildComMenu();

    QMenu* device = bar->addMenu(QStringLiteral("&Ignition"));
    device->menuAction()->setObjectName("MenuDevice");
    AddAction(device, "MenuRead", "&Read", QKeySequence(Qt::Key_F7));
    AddAction(device, "MenuVerify", "&Verify", QKeySequence(Qt::Key_F8));
    AddAction(device, "MenuProgram", "&Program", QKeySequence(Qt::Key_F9));
    AddSeparator(device);
    AddAction(device, "MenuReset", "&Reset");
    AddAction(device, "MenuUpdate", "&Update");

    QMenu* tools = bar->addMenu(QStringLiteral("Tools"));
    tools->menuAction()->setObjectName("MenuTools");
    AddAction(tools, "MenuAdvanceMinus", "Advance -", QKeySequence(Qt::Key_F4));
    AddAction(tools, "MenuAdvancePlus", "Advance +", QKeySequence(Qt::Key_F5));
    AddAction(tools, "MenuZpet", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
    AddAction(tools, "MenuZnovu", "Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    AddAction(tools, "MenuMonitorPlayer", "Monitor player", QKeySequence(Qt::CTRL | Qt::Key_M))->setCheckable(true);

    QMenu* language = bar->addMenu(QStringLiteral("&Language"));
    language->menuAction()->setObjectName("MenuLanguage");
    const char* names[] = { "MenuEnglish", "MenuGerman", "MenuCzech" };
    const char* captions[] = { "&English", "&German - Deutsch", "&Czech - česky" };
    for (int i = 0; i < 3; ++i) {
        QAction* item = AddAction(language, names[i], captions[i]);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { SetLanguage(i); });
    }

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->menuAction()->setObjectName("MenuHelp");
    AddAction(help, "MenuContens", "&Contents...", QKeySequence(Qt::Key_F1));
    AddAction(help, "MenuAbout", "&About...");

    connect(findChild<QAction*>("MenuExit"), &QAction::triggered, this, &QWidget::close);
    connect(findChild<QAction*>("MenuMonitorPlayer"), &QAction::triggered, this, &TMainForm::MenuMonitorPlayerClick);
}

void TMainForm::BuildComMenu()
{
    // Thirty items, all hidden until the port list is known; the COM menu logic shows and labels them.
    for (int i = 0; i < int(m_comItems.size()); ++i) {
        QAction* item = m_comMenu->addAction(QString());
        item->setObjectName(QStringLiteral("MenuComItem%1").arg(i));
        item->setVisible(false);
        m_comItems[i] = item;
    }
}
