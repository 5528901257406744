// The window's side of the settings files: where they are, what is taken from them at start-up and
// what is written back on closing, the test-mode marker and the recent-file menu.

#include "core/main_form.h"

#include "params/normalize_parameters.h"
#include "platform/port_list_system.h"
#include "platform/screens.h"
#include "shell/language.h"
#include "shell/settings_test_marker.h"
#include "shell/version_texts.h"

#include <QAction>
#include <QGroupBox>

void TMainForm::OpenSettings()
{
    m_settingsWhere = LocateSettings(kRsKey);
}

void TMainForm::LoadSettings()
{
    // What the files lack stays as it is now: the centred window, the language and the defaults.
    VelmorSettings current;
    current.window = { x(), y(), width(), height() };
    current.language = CurrentLanguage();
    current.block = m_block.bytes;
    m_settings = ::LoadSettings(m_settingsWhere, current, MonitorBounds());

    const WindowPlacement& w = m_settings.window;
    if (w.width > 0 && w.height > 0)
        setGeometry(w.left, w.top, w.width, w.height);
    else
        move(w.left, w.top);
    SetCurrentLanguage(m_settings.language);
    m_link->SetPortSelection(m_settings.comPort);
    m_link->SetNextPort(m_settings.comPortAuto);
    if (m_systemPorts)
        m_systemPorts->SetMappedPorts(m_settings.ports);
    m_block.bytes = m_settings.block;
    NormalizeBlock();
    m_groupBoxPlayer->setVisible(m_settings.monitorPlayer);
    findChild<QAction*>("MenuMonitorPlayer")->setChecked(m_settings.monitorPlayer);
}

void TMainForm::SaveSettings()
{
    m_settings.window = { x(), y(), width(), height() };
    m_settings.language = CurrentLanguage();
    m_settings.comPort = m_link->PortSelection();
    m_settings.comPortAuto = m_link->NextPort();
    m_settings.monitorPlayer = !m_groupBoxPlayer->isHidden();
    m_settings.block = m_block.bytes;
    ::SaveSettings(m_settingsWhere, m_settings);
}

void TMainForm::ReadTestMarker()
{
    m_testMode = ::ReadTestMarker(m_settingsWhere.testMarkerPath);
}

void TMainForm::NormalizeBlock()
{
    NormalizeParameters(m_block);
}

void TMainForm::BuildFileHistoryMenu()
{
    const FileHistory& history = m_settings.history;
    for (int i = 1; i <= FileHistory::kMenuItems; ++i) {
        QAction* item = findChild<QAction*>(QStringLiteral("MenuHistory%1").arg(i));
        // A file name with "&" must not turn into an accelerator.
        item->setText(history.Caption(i).replace('&', QLatin1String("&&")));
        item->setVisible(history.MenuItemVisible(i));
    }
    findChild<QAction*>("MenuHistoryEnd")->setVisible(history.SeparatorVisible());
}

void TMainForm::MenuMonitorPlayerClick()
{
    const bool show = m_groupBoxPlayer->isHidden();
    m_groupBoxPlayer->setVisible(show);
    findChild<QAction*>("MenuMonitorPlayer")->setChecked(show);
    SaveSettings();
}
