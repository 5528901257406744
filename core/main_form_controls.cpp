// The widgets of the main window outside the menu: tool buttons, unit command buttons, the status
// labels, the test group and the status bar. The settings screen's own controls are placed in the
// settings area as they are built.

#include "core/main_form.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* StatusLabel(QWidget* parent, const char* name)
{
    auto* label = Named(new QLabel(parent), name);
    label->setAutoFillBackground(true);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(180);
    label->hide();
    return label;
}

// A speed button whose hint has a short part (tooltip) and a long part (status panel 0).
QToolButton* SpeedButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const char* hint)
{
    auto* button = Named(new QToolButton(parent), name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setAutoRaise(true);
    const QString text = QString::fromUtf8(hint);
    button->setToolTip(text.section('|', 0, 0));
    button->setStatusTip(text.section('|', -1));
    return button;
}

} // namespace

void TMainForm::BuildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName("MainPanel");
    auto* top = new QVBoxLayout(central);

    // Tool bar: files, undo, and the unit commands.
    auto* toolBar = Named(new QFrame(central), "GroupBoxToolBar");
    auto* toolRow = new QHBoxLayout(toolBar);
    toolRow->setContentsMargins(2, 2, 2, 2);
    toolRow->addWidget(SpeedButton(toolBar, "SpeedButtonOpen", QStyle::SP_DialogOpenButton, "Open|Open file with parametrs"));
    toolRow->addWidget(SpeedButton(toolBar, "SpeedButtonNew", QStyle::SP_FileIcon, "New|Set default parametrs"));
    toolRow->addWidget(SpeedButton(toolBar, "SpeedButtonSave", QStyle::SP_DialogSaveButton, "Save|Save parametrs to file"));
    toolRow->addWidget(SpeedButton(toolBar, "SpeedButtonPrint", QStyle::SP_FileDialogDetailedView, "Print|Print parametrs"));
    toolRow->addSpacing(8);
    toolRow->addWidget(SpeedButton(toolBar, "SpeedButtonZpet", QStyle::SP_ArrowBack, "Undo"));
    toolRow->addWidget(SpeedButton(toolBar, "SpeedButtonZnovu", QStyle::SP_ArrowForward, "Redo"));
    toolRow->addSpacing(8);
    toolRow->addWidget(Named(new QCheckBox(QStringLiteral("Programming after change"), toolBar), "CheckBoxProgHned"));
    toolRow->addStretch(1);
    m_buttonRead = Named(new QPushButton(QStringLiteral("&Read"), toolBar), "ButtonRead");
    m_buttonVerify = Named(new QPushButton(QStringLiteral("&Verify"), toolBar), "ButtonVerify");
    m_buttonProgram = Named(new QPushButton(QStringLiteral("&Program"), toolBar), "ButtonProgram");
    for (QPushButton* button : { m_buttonRead, m_buttonVerify, m_buttonProgram }) {
        button->setEnabled(false);
        toolRow->addWidget(button);
    }
    top->addWidget(toolBar);

    // Status slots of the unit link, with the programming gauge.
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(StatusLabel(central, "LabelConnection"));
    statusRow->addWidget(StatusLabel(central, "LabelResult"));
    statusRow->addWidget(StatusLabel(central, "LabelCongruence"));
    m_gaugeProgram = Named(new QProgressBar(central), "CGaugeProgram");
    m_gaugeProgram->setTextVisible(false);
    m_gaugeProgram->setMaximumWidth(160);
    statusRow->addWidget(m_gaugeProgram);
    statusRow->addWidget(Named(new QLabel(QStringLiteral("Programmed data error"), central), "LabelEeDataErr"));
    statusRow->addWidget(Named(new QLabel(central), "LabelCom"));
    statusRow->addStretch(1);
    top->addLayout(statusRow);

    // Settings area on the left, curve editor in the middle, unit information and tests on the right.
    auto* body = new QHBoxLayout;
    auto* settings = Named(new QGroupBox(central), "PanelSettings");
    auto* settingsGrid = new QGridLayout(settings);
    m_checkBoxZakazCteni = Named(new QCheckBox(QStringLiteral("No Reading"), settings), "CheckBoxZakazCteni");
    settingsGrid->addWidget(m_checkBoxZakazCteni, 0, 0, 1, 2);
    auto* rpmGroup = Named(new QGroupBox(QStringLiteral("Tachometer output"), settings), "GroupBoxRpm");
    auto* rpmGrid = new QGridLayout(rpmGroup);
    rpmGrid->addWidget(Named(new QLabel(QStringLiteral("Pulses per revolution"), rpmGroup), "LabelRpmPulsu"), 0, 0);
    m_editRpmPulsu = Named(new QLineEdit(QStringLiteral("1"), rpmGroup), "EditRpmPulsu");
    m_editRpmPulsu->setMaximumWidth(70);
    rpmGrid->addWidget(m_editRpmPulsu, 0, 1);
    m_upDownRpmPulsu = Named(new QSpinBox(rpmGroup), "UpDownRpmPulsu");
    m_upDownRpmPulsu->setRange(0, 6);
    m_upDownRpmPulsu->setValue(1);
    rpmGrid->addWidget(m_upDownRpmPulsu, 0, 2);
    connect(m_upDownRpmPulsu, &QSpinBox::valueChanged, this, [this](int value) {
        m_editRpmPulsu->setText(value < 0 ? QStringLiteral("pickup") : QString::number(value));
    });
    settingsGrid->addWidget(rpmGroup, 1, 0, 1, 2);
    settingsGrid->setRowStretch(2, 1);
    body->addWidget(settings);

    auto* curveHost = Named(new QFrame(central), "CurveEditorHost");
    curveHost->setFrameShape(QFrame::StyledPanel);
    curveHost->setMinimumSize(520, 320);
    body->addWidget(curveHost, 1);

    auto* right = new QVBoxLayout;
    auto* unitBox = Named(new QGroupBox(QStringLiteral("Ignition"), central), "GroupBoxUnit");
    auto* unitGrid = new QVBoxLayout(unitBox);
    for (const char* name : { "LabelVerze1", "LabelVerze2", "LabelVerze3" })
        unitGrid->addWidget(Named(new QLabel(QStringLiteral("-"), unitBox), name));
    unitGrid->addWidget(Named(new QLabel(unitBox), "LabelVersion"));
    unitGrid->addWidget(Named(new QLabel(unitBox), "LabelHourMeter"));
    right->addWidget(unitBox);

    auto* testBox = Named(new QGroupBox(QStringLiteral("Test"), central), "GroupBoxTest");
    auto* testGrid = new QGridLayout(testBox);
    testGrid->addWidget(Named(new QPushButton(QStringLiteral("Ignition"), testBox), "ButtonTestIgn1"), 0, 0);
    testGrid->addWidget(Named(new QPushButton(QStringLiteral("Power out"), testBox), "ButtonTestPilotLight"), 0, 1);
    testGrid->addWidget(Named(new QPushButton(QStringLiteral("Rpm"), testBox), "ButtonTestRpm"), 1, 0);
    auto* testRpm = Named(new QSpinBox(testBox), "UpDownTestRpm");
    testRpm->setRange(200, 25000);
    testRpm->setSingleStep(100);
    testRpm->setValue(5000);
    testGrid->addWidget(testRpm, 1, 1);
    right->addWidget(testBox);

    auto* monitor = Named(new QGroupBox(QStringLiteral("Monitor"), central), "GroupBoxMonitor");
    auto* monitorGrid = new QGridLayout(monitor);
    monitorGrid->setVerticalSpacing(2);
    auto* rpmGauge = Named(new QProgressBar(monitor), "CGaugeRpm");
    rpmGauge->setTextVisible(false);
    rpmGauge->setMaximumHeight(10);
    monitorGrid->addWidget(rpmGauge, 100, 0, 1, 2);
    right->addWidget(monitor);

    auto* testLabels = new QGridLayout;
    for (int i = 1; i <= 8; ++i) {
        const QByteArray name = "LabelTest" + QByteArray::number(i);
        auto* label = Named(new QLabel(QStringLiteral("Test %1").arg(i), central), name.constData());
        testLabels->addWidget(label, (i - 1) / 4, (i - 1) % 4);
    }
    right->addLayout(testLabels);

    m_groupBoxPlayer = Named(new QGroupBox(QStringLiteral("Monitor player"), central), "GroupBoxPlayer");
    m_groupBoxPlayer->setMinimumHeight(40);
    right->addWidget(m_groupBoxPlayer);
    right->addStretch(1);
    body->addLayout(right);

    top->addLayout(body, 1);
    setCentralWidget(central);
}

void TMainForm::BuildStatusBar()
{
    // Panel 0 shows hints; 2 the PC program version; 4 the unit version. Panel 0 takes the free width.
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    const int widths[] = { 0, 90, 200, 90, 260 };
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        if (widths[i])
            panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel, i == 0 ? 1 : 0);
        m_statusPanels[i] = panel;
    }
}
