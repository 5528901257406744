#pragma once

#include "core/file_dialogs.h"
#include "link/ccomcom.h"
#include "link/search_status.h"
#include "link/unit_driver.h"
#include "link/unit_transfer_engine.h"
#include "core/tick_clock.h"
#include "params/parameter_file.h"
#include "platform/handover_socket.h"
#include "shell/apply_language.h"
#include "shell/message_sink.h"
#include "shell/settings.h"
#include "shell/status_slots.h"
#include "shell/version_texts.h"
#include "params/parameter_block.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

class QAction;
class SystemPortList;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolButton;

// What the window is created with. The defaults are those of the real program; tests replace the
// message sink and keep the timer stopped so they can step ticks themselves.
struct MainFormOptions {
    QStringList arguments;               // command-line arguments without the program name
    IMessageSink* messageSink = nullptr; // null: real message boxes
    IFileDialogs* fileDialogs = nullptr; // null: real file dialogs
    IPortListProvider* portList = nullptr; // null: the system's ports and the [PORTS] map
    SerialPortFactory serialFactory;       // empty: real serial ports
    bool startTimer = true;
    // The local socket on which the bootloader tool borrows the port: empty, this user's name
    // (HandoverSocketName); handoverListen false, no socket at all.
    QString handoverSocket;
    bool handoverListen = true;
};

// The main window: owns the parameter block, the device link, the curve editor and every control of
// the settings screen. Start-up, the 55 ms tick and closing run in a fixed order; each step that
// belongs to another subsystem is a named member function below.
class TMainForm : public QMainWindow, private ILinkStatusSink {
    Q_OBJECT
public:
    explicit TMainForm(const MainFormOptions& options = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // One tick of Timer1 (public so tests can step the program without waiting for the timer).
    void Timer1Timer();

    const TickClock& Clock() const { return m_clock; }
    bool Initialised() const { return m_initialised; }
    bool TestMode() const { return m_testMode; }
    QString ExeDir() const { return m_exeDir; }
    const ParameterBlock& Block() const { return m_block; }
    const VelmorSettings& Settings() const { return m_settings; }
    const StatusSlots& Status() const { return m_statusSlots; }
    CCOMCOM& Link() { return *m_link; }
    CUnitDriver& Driver() { return *m_driver; }

    // Unit commands and the COM menu.
    void MenuReadClick();
    void MenuVerifyClick();
    void MenuProgramClick();
    void MenuCom1Click(int index);
    QLabel* StatusPanel(int index) const { return m_statusPanels.at(index); }

    // The bootloader tool's message (a COM port number and a BootloaderCode): releases the port to
    // it, resets the unit and releases, or takes the port back. Runs on the window thread between
    // ticks; the hand-over socket delivers here.
    void BootloaderMessage(int port, uint32_t code);
#ifdef Q_OS_WIN
    // The bootloader tool's window message (WM_APP + 0x309: port number, code) on Windows.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif
    // The hand-over socket while this window listens on it; null otherwise.
    const HandoverListener* Handover() const { return m_handover.get(); }

    // Language menu commands.
    void SetLanguage(int index);

    // File commands.
    void MenuNewClick();
    void MenuOpenClick(bool fromExeDir);
    void MenuSaveClick(bool toExeDir);
    void MenuHistoryClick(int index);
    void OpenParameterFile(const QString& path);
    void OpenDroppedFiles(const QStringList& names);
    const ParameterState& BlockState() const { return m_blockState; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Window construction, split by area.
    void BuildMainMenu();
    void BuildComMenu();
    void BuildControls();
    void BuildStatusBar();
    QAction* AddAction(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut = {});
    QAction* AddSeparator(QMenu* menu, const char* name = nullptr);

    // Start-up and closing sequences.
    void FormCreate();
    void FormClose();

    // Steps owned by other subsystems, called at their places in start-up, the tick and closing.
    void OpenSettings();
    void HideStatusSlots();
    void CreateCurveEditorAndLists();
    void LoadSettings();
    void ApplyLanguage();
    LanguageHooks LanguageHooksForWindow();
    void RefreshControls();
    void BuildFileHistoryMenu();
    void ResetUndoHistory();
    void BuildVersionTexts();
    void ReadTestMarker();
    void RefreshDependentControls();
    void BuildMonitorTexts();
    void UpdateWindowTitle();
    void InitMonitorPlayer();
    void HideUnusedControls();
    void LinkStep();
    bool PortListChanged();
    void CommitPendingEdit();
    void UpdateCurveEditor();
    void ExpireStatusTexts();
    bool UnitConnected() const;
    QString UnitVersionText() const;
    void ReplayMonitorEvents();
    void StopMonitorRecorder();
    void ClosePorts();
    void CollectControls();
    void NormalizeBlock();
    void SaveSettings();
    void ReleaseLinkBuffers();

    void MenuMonitorPlayerClick();
    void CreateLink();
    void ConnectUnitCommands();
    void ApplyDriverEvents(const UnitDriverEvents& events);
    void StartHandoverListener();
    void StopHandoverListener();
    void PresentMonitorPanel();
    void RebuildComMenu();
    void ShowLinkStatus(LinkStatusKind kind, const char* text) override;
    void ConnectFileCommands();
    void RememberCurrentFile(const QString& path);
    void ClearNewInstallation();
    ParameterFileInfo ParameterFileInfoNow() const;
    void ShowOpenFileError();
    void ShowParameterFileMessage(ParameterFileMessage message);
    void Commit();
    void RecordUndoEntry();
    void CurveEditorTakeLoadedValues();

    // Tick step: the tachometer pulses edit accepts "-1" as a request for "pickup".
    void CheckRpmPulsesPickup();
    void EnableUnitCommands(bool connected);
    // Shows the status slots and the gauge as their model says.
    void PaintStatusSlots();

    MainFormOptions m_options;
    std::unique_ptr<IMessageSink> m_ownMessageSink;
    IMessageSink* m_messages = nullptr;
    std::unique_ptr<IFileDialogs> m_ownFileDialogs;
    IFileDialogs* m_dialogs = nullptr;
    QString m_dialogFileName; // the file name both file dialogs start with

    std::unique_ptr<IPortListProvider> m_ownPortList;
    IPortListProvider* m_portList = nullptr;
    SystemPortList* m_systemPorts = nullptr; // the own port list when it is the system's
    std::unique_ptr<CCOMCOM> m_link;
    std::unique_ptr<CUnitTransferEngine> m_transfer;
    std::unique_ptr<CUnitDriver> m_driver;
    // Declared after the driver so that it goes first: no message can reach a destroyed driver.
    std::unique_ptr<HandoverListener> m_handover;

    TickClock m_clock;
    QTimer* m_timer = nullptr;
    bool m_initialised = false;
    bool m_firstTickDone = false;
    bool m_testMode = false;
    QString m_exeDir;
    int m_unitActiveSet = -1;   // 0 A, 1 B, -1 unknown
    int m_unitPowerSource = -1; // 0 DC, 1 AC, -1 unknown

    ParameterBlock m_block;
    ParameterState m_blockState;
    SettingsLocation m_settingsWhere;
    VelmorSettings m_settings;
    StatusSlots m_statusSlots;
    VersionTexts m_versionTexts;

    std::array<QLabel*, 5> m_statusPanels {};
    std::array<QAction*, 30> m_comItems {};
    QMenu* m_comMenu = nullptr;

    QCheckBox* m_checkBoxZakazCteni = nullptr;
    QLineEdit* m_editRpmPulsu = nullptr;
    QSpinBox* m_upDownRpmPulsu = nullptr;
    QPushButton* m_buttonRead = nullptr;
    QPushButton* m_buttonVerify = nullptr;
    QPushButton* m_buttonProgram = nullptr;
    QProgressBar* m_gaugeProgram = nullptr;
    QGroupBox* m_groupBoxPlayer = nullptr;
};
