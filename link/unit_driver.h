#pragma once

#include "link/monitor_block.h"
#include "link/transfer_engine_interface.h"
#include "link/unit_operation_codes.h"
#include "params/parameter_block.h"
#include "params/parameter_layout.h"
#include "shell/message_sink.h"
#include "shell/status_slots.h"
#include "shell/version_texts.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Operation states of the driver. Each state starts one transfer job; a job that ended well leads
// to the next state.
namespace DriverState
{
inline constexpr int kNoUnit = 0;
inline constexpr int kIdle = 1;
inline constexpr int kMonitor = 2;
// Connection check: the information block twice, a monitor pause, the parameter block twice.
inline constexpr int kCheckPause = 29;
inline constexpr int kCheckRead1 = 30;
inline constexpr int kCheckRead2 = 31;
inline constexpr int kCheckInfo1 = 32;
inline constexpr int kCheckInfo2 = 33;
// Check by parts after the two parameter reads disagreed: part p (0 to 3) is read first in
// kPartRead1 + p and again in kPartRead2 + p, with a monitor pause before each read.
inline constexpr int kPartRead1 = 48;
inline constexpr int kPartPause1 = 52;
inline constexpr int kPartRead2 = 56;
inline constexpr int kPartPause2 = 60;
inline constexpr int kParts = 4;
inline constexpr int kRead1 = 64;
inline constexpr int kRead2 = 65;
inline constexpr int kVerify = 80;
inline constexpr int kProgramInfo1 = 96;
inline constexpr int kProgramInfo2 = 97;
inline constexpr int kProgramWrite = 98;
inline constexpr int kProgramReadBack = 99;
inline constexpr int kReset = 128;
inline constexpr int kResetThenOffline = 129;
} // namespace DriverState

// Information block bytes the driver itself looks at.
namespace UnitInfoOffset
{
inline constexpr int kReadingAllowed = 9; // 1: the unit may be read
inline constexpr int kVersion = 10; // the unit program's version; must be kRsKey
inline constexpr int kSubVersion = 11; // must be 0
} // namespace UnitInfoOffset

// Everything the driver works on. All of it belongs to the main window for the whole run; the
// driver reads and writes it only on the window thread, during its own calls.
struct UnitDriverContext {
    ITransferEngine& engine;
    ParameterBlock& block;
    ParameterState& blockState;
    StatusSlots& status;
    VersionTexts& versions;
    IMessageSink& messages;
};

// What the window has to bring up to date after a driver call. The driver has already shown its
// status texts, the congruence label and the version texts; these are the parts it cannot reach.
struct UnitDriverEvents {
    // The unit copy or its validity changed: the saved flag and the title (the congruence label
    // itself is already shown).
    bool congruenceChanged = false;
    // A new information block was stored: parameter limits, controls and the unit-program labels.
    bool informationStored = false;
    // Read replaced the block with the unit's settings: clear the new-installation flag (saving the
    // settings when it was set), refresh the controls, let the curve editor take the loaded values.
    bool parametersRead = false;
    // A read starts: the block will no longer be the current file's, so the title drops its name.
    bool readStarted = false;
    // The link went offline or online: rebuild the title.
    bool offlineChanged = false;
    // The port was released to or taken back from the bootloader tool: re-run ApplyLanguage.
    bool applyLanguage = false;
    // A live monitor block arrived (never during playback): record it and present Monitor().
    bool monitorBlock = false;
    // The unit's connection was closed: the monitor falls back to dashes.
    bool linkLost = false;

    // Gathers the events of several steps, for callers that look at them less often than they step.
    UnitDriverEvents& operator|=(const UnitDriverEvents& other)
    {
        congruenceChanged |= other.congruenceChanged;
        informationStored |= other.informationStored;
        parametersRead |= other.parametersRead;
        readStarted |= other.readStarted;
        offlineChanged |= other.offlineChanged;
        applyLanguage |= other.applyLanguage;
        monitorBlock |= other.monitorBlock;
        linkLost |= other.linkLost;
        return *this;
    }
};

// The unit-operation driver. Advanced once per main timer tick on the window thread; it runs the
// connection check of every newly found unit, the monitor exchange every seven idle ticks and the
// requested operations Read, Verify, Program and Reset, always through transfer jobs, and reports
// through the status slots.
//
// Per tick the window calls Step() with its tick count, then applies the returned events and paints
// the status slots, ComLabel() and the monitor. Commands call Request(); the test buttons call
// RequestTest(); the bootloader message goes to BootloaderMessage(); the COM menu calls GoOnline()
// and Disconnect().
class CUnitDriver
{
public:
    // Saving countdown value right after a program, until the unit reports its own.
    static constexpr int kSavingStart = 1;
    // Scale of the saving countdown the unit reports; the gauge shows (kSavingScale - countdown) / 2 %.
    static constexpr int kSavingScale = 200;
    // Ticks between two monitor exchanges while idle: more than this many since the last one.
    static constexpr int kPollTicks = 6;
    // Failed jobs in a row that end an operation, or the connection when they are monitor exchanges.
    static constexpr int kFailedJobsLimit = 3;

    explicit CUnitDriver(const UnitDriverContext& context);
    CUnitDriver(const CUnitDriver&) = delete;
    CUnitDriver& operator=(const CUnitDriver&) = delete;

    // One step, every main timer tick. `playback`: the monitor player is playing or paused in
    // playback, so live monitor blocks are not presented.
    UnitDriverEvents Step(int32_t nowTick, bool playback);

    // Commands -----------------------------------------------------------------------------------

    // Leaves a request (UnitRequest codes; others are ignored). It waits until the driver is idle;
    // a newer request replaces an older one, except that programming the changed bytes does not
    // replace a pending program of all bytes, which writes them too.
    void Request(int code);
    // Test commands (kTestIgnition, kTestPowerOut, kTestRpm) for the next monitor exchange.
    void RequestTest(int bits);

    // The bootloader tool's message: the port number and its code (BootloaderCode).
    UnitDriverEvents BootloaderMessage(int port, uint32_t code);
    // Lets the link use the serial ports again (the COM menu does this after a choice).
    UnitDriverEvents GoOnline();
    // Gives the connected unit's port up; the search starts again while online.
    UnitDriverEvents Disconnect();

    // State for the window -----------------------------------------------------------------------

    int State() const { return m_state; }
    bool UnitConnected() const { return m_engine.ConnectedPort() != 0; }
    bool Offline() const { return !m_engine.Enabled(); }
    int ReleasedPort() const { return m_releasedPort; }
    const QString& ComLabel() const { return m_comLabel; }
    int PendingRequest() const { return m_request; }
    bool ProgramAllRequested() const { return m_requestProgramAll; }
    int PendingTests() const { return m_testBits; }
    int Attempts() const { return m_attempts; }
    int FailedJobs() const { return m_failedJobs; }
    bool ProgramDone() const { return m_programDone; }
    int SavingCountdown() const { return m_savingCountdown; }
    // The information block as last checked.
    const std::array<uint8_t, kUnitInfoSize>& InformationBlock() const { return m_info; }
    // The last live monitor block and what its key said.
    const MonitorRecord& Monitor() const { return m_monitor; }
    const MonitorKey& Key() const { return m_key; }

private:
    // Steps of Step(), in their order.
    void StepConnected();
    void UpdateComLabelWithoutUnit();
    void BeginConnection();
    void ShowJobProgress();
    void HandleFailedJob();
    void HandleFinishedJob();
    void TakeRequestOrPoll();
    void StartJobOfState();
    void ShowSaving();

    // Starting jobs.
    void StartMonitorExchange();
    void StartJob(int job, int start, int count, int flags);
    void StartProgramWrite();
    void StartProgramReadBack();
    void StartReset();
    bool ReadingAllowed() const;
    void ShowStartText();

    // What a finished job means for each state (unit_driver_results.cpp).
    void MonitorBlockArrived();
    void KeepFirstRead();
    void CompareParameterReads();
    void CompareInformationReads();
    void AcceptInformationBlock();
    void CompareReadReads();
    void CompareVerify();
    void CompareProgramReadBack();

    // Results and errors in the result label. ShowInfo also shows the start texts; an operation's
    // outcome goes through ShowOutcome or ShowError, which keep it in view (see m_outcomeShownUntil).
    void ShowInfo(const char* text);
    void ShowOutcome(const char* text);
    void ShowError(const char* text);
    void KeepOutcomeInView();
    bool OutcomeInView() const;
    void FailOperation(const char* text, bool asError);
    void RefreshCongruence();

    // Connection.
    void DisconnectUnit();
    void GoOffline();
    void GoOnlineNow();
    void ShowPendingMessage();

    std::span<const uint8_t> ReadBytes() const;
    bool InCheck() const;
    static int PartStart(int part);
    static int PartEnd(int part);

    ITransferEngine& m_engine;
    ParameterBlock& m_block;
    ParameterState& m_blockState;
    StatusSlots& m_status;
    VersionTexts& m_versions;
    IMessageSink& m_messages;

    UnitDriverEvents m_events;
    int32_t m_now = 0;
    bool m_firstStepDone = false;
    bool m_playback = false;

    int m_state = DriverState::kNoUnit;
    int m_request = UnitRequest::kNone;
    bool m_requestProgramAll = false;
    // Program all or changes for the operation that runs, fixed when it was taken: an edit that
    // requests the changed bytes meanwhile must not change what the read-back proves.
    bool m_programAll = false;
    int m_testBits = 0;
    int m_rangeStart = 0; // E: first address of the running step
    int m_rangeEnd = 0; // F: one past its last address
    int m_attempts = 0;
    int m_failedJobs = 0;
    int32_t m_lastPoll = 0;
    bool m_programDone = false;
    int m_savingCountdown = 0;
    // The unit may still be saving while another operation ends, or after a program failed. Until
    // this tick the "Saving:" progress text leaves the result label to that operation's outcome,
    // which would otherwise be replaced in the very step it is shown.
    std::optional<int32_t> m_outcomeShownUntil;
    int m_releasedPort = -1;
    QString m_comLabel;

    std::array<uint8_t, ParameterBlock::kSize> m_firstRead {}; // the first of two reads, by address
    std::array<uint8_t, kUnitInfoSize> m_info {};
    MonitorRecord m_monitor;
    MonitorKey m_key;

    // The version box is shown at the end of the step, once the state is settled: the box runs its
    // own event loop, in which further ticks may step the driver.
    std::optional<MessageRequest> m_pendingMessage;
    bool m_showingMessage = false;
};
