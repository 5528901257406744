// The window's side of the device link: the link and the unit-operation driver are created with the
// window, stepped on every tick, and their results painted into the status slots, the COM label,
// the COM menu, the monitor panel and status panel 4. The unit commands leave requests here.

#include "core/main_form.h"

#include "core/com_menu.h"
#include "core/gauge_value.h"
#include "link/monitor_block.h"
#include "link/monitor_presenter.h"
#include "link/unit_operation_codes.h"
#include "params/bike_presets.h"
#include "platform/port_list_system.h"
#include "platform/serial_port_qt.h"
#include "shell/language.h"
#include "shell/message_table.h"
#include "shell/window_title.h"

#include <QAbstractButton>
#include <QAction>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

void TMainForm::CreateLink()
{
    if (m_options.portList) {
        m_portList = m_options.portList;
    } else {
        auto system = std::make_unique<SystemPortList>();
        m_systemPorts = system.get();
        m_ownPortList = std::move(system);
        m_portList = m_ownPortList.get();
    }
    SerialPortFactory factory = m_options.serialFactory ? m_options.serialFactory : QtSerialPortFactory();
    m_link = std::make_unique<CCOMCOM>(*m_portList, std::move(factory));
    m_link->SetKey(kRsKey);
    m_link->SetStatusSink(this);
    m_transfer = std::make_unique<CUnitTransferEngine>(*m_link);
    m_driver = std::make_unique<CUnitDriver>(
        UnitDriverContext { *m_transfer, m_block, m_blockState, m_statusSlots, m_versionTexts, *m_messages });
}

void TMainForm::ConnectUnitCommands()
{
    auto on = [this](const char* name, auto handler) {
        connect(findChild<QAction*>(name), &QAction::triggered, this, handler);
    };
    on("MenuRead", [this] { MenuReadClick(); });
    on("MenuVerify", [this] { MenuVerifyClick(); });
    on("MenuProgram", [this] { MenuProgramClick(); });
    on("MenuReset", [this] { m_driver->Request(UnitRequest::kReset); });
    connect(m_buttonRead, &QAbstractButton::clicked, this, [this] { MenuReadClick(); });
    connect(m_buttonVerify, &QAbstractButton::clicked, this, [this] { MenuVerifyClick(); });
    connect(m_buttonProgram, &QAbstractButton::clicked, this, [this] { MenuProgramClick(); });

    const std::pair<const char*, int> tests[] = {
        { "ButtonTestIgn1", kTestIgnition },
        { "ButtonTestPilotLight", kTestPowerOut },
        { "ButtonTestRpm", kTestRpm },
    };
    for (const auto& [name, bit] : tests)
        connect(findChild<QAbstractButton*>(name), &QAbstractButton::clicked, this, [this, bit] { m_driver->RequestTest(bit); });
    // The "Rpm" test runs the engine speed of byte 90, in hundreds of RPM.
    connect(findChild<QSpinBox*>("UpDownTestRpm"), &QSpinBox::valueChanged, this,
        [this](int rpm) { m_block[ParamIndex::kTestSpeed] = uint8_t(std::clamp(rpm / 100, 2, 250)); });

    for (int i = 0; i < int(m_comItems.size()); ++i)
        connect(m_comItems[i], &QAction::triggered, this, [this, i] { MenuCom1Click(i); });
}

void TMainForm::MenuReadClick()
{
    m_driver->Request(UnitRequest::kRead);
}

void TMainForm::MenuVerifyClick()
{
    CollectControls();
    NormalizeBlock();
    RefreshControls();
    m_driver->Request(UnitRequest::kVerify);
}

void TMainForm::MenuProgramClick()
{
    if (!m_driver->UnitConnected())
        return;
    if (m_settings.newInstall) {
        MessageRequest box;
        box.caption = MessageText(kMessageAttention);
        box.text = MessageText(kMessageNewInstallation);
        box.icon = MessageIcon::Error;
        box.systemModal = true;
        m_messages->Show(box);
        return;
    }
    CollectControls();
    if (BikeMismatchWarningApplies(m_block, m_blockState)) {
        MessageRequest box;
        box.caption = MessageText(kMessageWarning);
        box.text = MessageText(kMessageDifferentBike);
        box.icon = MessageIcon::Warning;
        box.buttons = MessageButtons::OkCancel;
        box.defaultAnswer = MessageAnswer::Cancel;
        box.systemModal = true;
        if (m_messages->Show(box) != MessageAnswer::Ok)
            return;
    }
    NormalizeBlock();
    RefreshControls();
    m_driver->Request(UnitRequest::kProgramAll);
}

void TMainForm::LinkStep()
{
    m_link->Clock().SetTicks(m_clock.Ticks());
    ApplyDriverEvents(m_driver->Step(m_clock.Ticks(), false));
    findChild<QLabel*>("LabelCom")->setText(m_driver->ComLabel());
}

void TMainForm::ApplyDriverEvents(const UnitDriverEvents& events)
{
    if (events.informationStored) {
        const UnitInfoTexts& unit = m_versionTexts.UnitInfo();
        findChild<QLabel*>("LabelVerze1")->setText(unit.name);
        findChild<QLabel*>("LabelVerze2")->setText(unit.date);
        findChild<QLabel*>("LabelVerze3")->setText(unit.time);
    }
    if (events.parametersRead) {
        ClearNewInstallation();
        RefreshControls();
        CurveEditorTakeLoadedValues();
    }
    if (events.readStarted)
        m_settings.file.clear();
    if (events.applyLanguage)
        ApplyLanguage();
    if (events.monitorBlock || events.linkLost)
        PresentMonitorPanel();
    if (events.congruenceChanged || events.offlineChanged || events.readStarted)
        UpdateWindowTitle();
    PaintStatusSlots();
}

void TMainForm::PresentMonitorPanel()
{
    const MonitorView view = PresentMonitor(m_driver->Monitor(), m_block, m_driver->UnitConnected());
    for (const MonitorLabel& entry : view.labels) {
        QLabel* label = findChild<QLabel*>(QString::fromLatin1(entry.name));
        if (!label)
            continue;
        // Only what changed is set: a new palette or text costs a relayout and a repaint, and most
        // labels keep theirs from one monitor block to the next.
        if (label->text() != entry.text)
            label->setText(entry.text);
        label->setEnabled(entry.enabled);
        static const QColor kColours[] = { QColor(), QColor(0xff, 0xff, 0x00), QColor(0xff, 0x00, 0x00),
            QColor(0xff, 0x00, 0xff), QColor(0x00, 0xff, 0xff), QColor(0x00, 0x80, 0x00) };
        const QColor colour = kColours[int(entry.background)];
        // Red and green are dark enough that black text on them is hard to read at a glance.
        const bool darkBackground = entry.background == MonitorColour::Red || entry.background == MonitorColour::Green;
        QPalette palette = label->palette();
        const QColor window = colour.isValid() ? colour : palette.color(QPalette::Button);
        const QColor text = darkBackground ? QColor(Qt::white) : QGuiApplication::palette().color(QPalette::WindowText);
        if (label->autoFillBackground() != colour.isValid() || palette.color(QPalette::Window) != window
            || palette.color(QPalette::Active, QPalette::WindowText) != text) {
            label->setAutoFillBackground(colour.isValid());
            palette.setColor(QPalette::Window, window);
            // The disabled look (greyed "---") stays the style's.
            palette.setColor(QPalette::Active, QPalette::WindowText, text);
            palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
            label->setPalette(palette);
        }
        // The test labels are shown by test mode alone; the others as the monitor says.
        if (!QString::fromLatin1(entry.name).startsWith(QLatin1String("LabelTest")))
            label->setVisible(entry.visible);
    }
    if (auto* gauge = findChild<QProgressBar*>("CGaugeRpm"))
        SetGaugeValue(*gauge, view.rpmGaugePercent);
    if (view.supplyKind)
        m_unitPowerSource = *view.supplyKind;
    if (view.activeCurve)
        m_unitActiveSet = *view.activeCurve;
}

void TMainForm::BuildMonitorTexts()
{
    // The panel's labels are made once, in the order of the presentation; texts follow the language.
    auto* panel = findChild<QGroupBox*>("GroupBoxMonitor");
    auto* grid = static_cast<QGridLayout*>(panel->layout());
    const MonitorView view = PresentMonitor(m_driver->Monitor(), m_block, false);
    int row = 0;
    for (const MonitorLabel& entry : view.labels) {
        const QString name = QString::fromLatin1(entry.name);
        if (findChild<QLabel*>(name))
            continue;
        auto* label = new QLabel(panel);
        label->setObjectName(name);
        grid->addWidget(label, row / 2, row % 2);
        ++row;
    }
    PresentMonitorPanel();
}

bool TMainForm::UnitConnected() const
{
    return m_driver->UnitConnected();
}

bool TMainForm::PortListChanged()
{
    if (!m_link->PortListChanged())
        return false;
    m_link->ClearPortListChanged();
    return true;
}

void TMainForm::RebuildComMenu()
{
    std::vector<ComMenuPort> ports;
    for (int n = 1; n <= 255; ++n)
        if (m_link->Port(n).Present())
            ports.push_back({ n, m_link->Port(n).DevicePath() });
    const std::vector<ComMenuItem> items = ComMenuModel::Build(ports, m_link->PortSelection(), m_link->ConnectedPort(),
        MessageText(kMessageComOffline), MessageText(kMessageComAuto));
    for (int i = 0; i < int(items.size()); ++i) {
        QAction* action = m_comItems[i];
        const ComMenuItem& item = items[i];
        action->setSeparator(item.separator);
        action->setText(item.caption);
        action->setCheckable(item.checked || item.radio || i < ComMenuModel::kFirstPortItem);
        action->setChecked(item.checked);
        action->setEnabled(item.enabled);
        action->setVisible(item.visible);
    }
}

void TMainForm::MenuCom1Click(int index)
{
    int choice = 0;
    if (!ComMenuModel::ChoiceOfItem(index, m_comItems[index]->text(), choice))
        return;
    m_link->SetPortSelection(choice);
    if (m_driver->Offline())
        ApplyDriverEvents(m_driver->GoOnline());
    if (choice > 0 && m_link->ConnectedPort() != 0 && m_link->ConnectedPort() != choice)
        ApplyDriverEvents(m_driver->Disconnect());
    RebuildComMenu();
}

void TMainForm::ShowLinkStatus(LinkStatusKind kind, const char* text)
{
    if (kind == LinkStatusKind::Connected)
        m_statusSlots.ShowStatus(StatusSlots::kConnection, text, kConnectedStatusDurationMs, StatusColour::Black,
            StatusColour::White, kConnectedStatusPriority, m_clock.Ticks());
    else
        m_statusSlots.ShowStatus(StatusSlots::kConnection, text, kUnmatchedStatusDurationMs, StatusColour::Black,
            StatusColour::Red, kUnmatchedStatusPriority, m_clock.Ticks());
    PaintStatusSlots();
}

void TMainForm::ClosePorts()
{
    m_link->CloseAll();
}

void TMainForm::UpdateWindowTitle()
{
    setWindowTitle(WindowTitle(m_settings.file, m_driver && m_driver->Offline()));
}
