#include "core/main_form.h"

#include "core/command_line.h"
#include "core/qt_message_sink.h"
#include "shell/apply_language.h"
#include "shell/language.h"
#include "platform/paths.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTimer>

TMainForm::TMainForm(const MainFormOptions& options, QWidget* parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_versionTexts(__DATE__)
{
    setObjectName("MainForm");
    if (m_options.messageSink) {
        m_messages = m_options.messageSink;
    } else {
        m_ownMessageSink = std::make_unique<QtMessageSink>(this);
        m_messages = m_ownMessageSink.get();
    }
    SetTextFaultSink(m_messages);
    if (m_options.fileDialogs) {
        m_dialogs = m_options.fileDialogs;
    } else {
        m_ownFileDialogs = std::make_unique<QtFileDialogs>(this);
        m_dialogs = m_ownFileDialogs.get();
    }

    BuildMainMenu();
    BuildControls();
    BuildStatusBar();
    CreateLink();
    ConnectFileCommands();
    ConnectUnitCommands();
    resize(1100, 700);

    m_timer = new QTimer(this);
    m_timer->setObjectName("Timer1");
    m_timer->setInterval(TickClock::kTickIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &TMainForm::Timer1Timer);

    FormCreate();
    StartHandoverListener();
    if (m_options.startTimer)
        m_timer->start();
}

TMainForm::~TMainForm()
{
    SetTextFaultSink(nullptr);
}

void TMainForm::FormCreate()
{
    OpenSettings();
    HideStatusSlots();

    NormalizeBlock();
    CreateCurveEditorAndLists();
    m_upDownRpmPulsu->setMinimum(-1);

    // Hints: the status tip of whatever is under the mouse goes to panel 0 (see event()).

    // Defaults first, so that whatever the settings lack keeps its default.
    m_block[ParamIndex::kBike] = 0;
    SetDefaults(m_block);

    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

    m_exeDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + QDir::separator();

    LoadSettings();

    if (const std::optional<int> language = LanguageFromCommandLine(m_options.arguments))
        SetCurrentLanguage(*language);

    NormalizeBlock();
    ApplyLanguage();
    RefreshControls();
    BuildFileHistoryMenu();
    ResetUndoHistory();
    RefreshControls();

    BuildVersionTexts();

    findChild<QLabel*>("LabelEeDataErr")->hide();
    findChild<QLabel*>("LabelVersion")->hide();
    m_gaugeProgram->hide();
    m_gaugeProgram->setMaximum(100);

    ReadTestMarker();
    for (int i = 1; i <= 8; ++i)
        findChild<QLabel*>(QStringLiteral("LabelTest%1").arg(i))->setVisible(m_testMode);

    RefreshDependentControls();
    if (m_testMode)
        m_link->Log().OpenFile(LinkLogPath());

    findChild<QLabel*>("LabelHourMeter")->show();
    m_groupBoxPlayer->setVisible(m_testMode);

    m_statusPanels[2]->setText(m_versionTexts.PcVersionText());
    BuildMonitorTexts();
    UpdateWindowTitle();

    setAcceptDrops(true);
    InitMonitorPlayer();
    RefreshDependentControls();
    HideUnusedControls();

    m_initialised = true;
    m_link->Log().Event("FORM Initialised");
}

void TMainForm::Timer1Timer()
{
    m_clock.Advance();
    if (!m_initialised)
        return;

    if (!m_firstTickDone) {
        m_firstTickDone = true;
        m_checkBoxZakazCteni->setFocus();
    }

    LinkStep();
    if (PortListChanged())
        RebuildComMenu();
    CommitPendingEdit();
    UpdateCurveEditor();
    ExpireStatusTexts();
    EnableUnitCommands(UnitConnected());
    m_statusPanels[4]->setText(UnitVersionText());
    CheckRpmPulsesPickup();
    ReplayMonitorEvents();
}

void TMainForm::CheckRpmPulsesPickup()
{
    if (m_editRpmPulsu->text() != QLatin1String("-1"))
        return;
    m_upDownRpmPulsu->setValue(-1);
    m_editRpmPulsu->setText(QStringLiteral("pickup"));
    m_block[19] = 255;
}

void TMainForm::EnableUnitCommands(bool connected)
{
    m_buttonRead->setEnabled(connected);
    m_buttonVerify->setEnabled(connected);
    m_buttonProgram->setEnabled(connected);
    for (const char* name : { "MenuRead", "MenuVerify", "MenuProgram", "MenuReset" })
        findChild<QAction*>(name)->setEnabled(connected);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TMainForm::FormClose()
{
    StopMonitorRecorder();
    StopHandoverListener();
    ClosePorts();
    CollectControls();
    NormalizeBlock();
    SaveSettings();
    ReleaseLinkBuffers();
}

bool TMainForm::event(QEvent* event)
{
    // Application-wide hint display: the current hint goes to panel 0, an empty one clears it.
    if (event->type() == QEvent::StatusTip) {
        m_statusPanels[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::SetLanguage(int index)
{
    ::SetLanguage(index, *this, LanguageHooksForWindow());
}

LanguageHooks TMainForm::LanguageHooksForWindow()
{
    LanguageHooks hooks;
    hooks.rebuildMonitorTexts = [this] { BuildMonitorTexts(); };
    hooks.refreshParameters = [this] { RefreshControls(); };
    return hooks;
}
