#pragma once

#include <optional>

#include "link/ccomcom.h"
#include "link/monitor_presenter.h"
#include "link/search_status.h"
#include "link/unit_driver.h"
#include "link/unit_transfer_engine.h"
#include "params/parameter_block.h"
#include "platform/port_list.h"
#include "platform/serial_port.h"
#include "shell/message_sink.h"
#include "shell/status_slots.h"
#include "shell/version_texts.h"

#include <QString>

#include <functional>
#include <memory>

// How an operation on the unit ended.
enum class SessionResult {
    Ok,
    Failed, // the unit was lost, a read failed, or the operation did not end in time
    NoUnit, // no unit answered within the timeout
    UnitMismatch, // a unit answered whose program version does not belong to this program
    VerifyError, // the unit's settings differ from the PC's (verify, or the read-back of a program)
    ReadingRefused, // the unit is locked against reading
};

// The device link and the unit-operation driver without a window: the same CCOMCOM and CUnitDriver
// the window steps, with their status texts, version texts and message boxes turned into progress
// lines. Time passes in ticks: Tick() is one 55 ms step of the window's timer; the waiting
// functions tick and call the pause function between ticks until their operation has ended.
class UnitSession : private ILinkStatusSink, private IMessageSink
{
public:
    struct Options {
        IPortListProvider* portList = nullptr;
        SerialPortFactory serialFactory;
        int port = 0; // 0: automatic search; n: only COM n
        // Called between two ticks; the program sleeps a tick's time and runs its events.
        std::function<void()> pause;
        // Progress and status lines (already in the current language); may be empty.
        std::function<void(const QString&)> progress;
    };

    static constexpr int kTickMs = 55;
    // Longest time an operation may take once it was started, in ticks (about two minutes).
    static constexpr int kOperationTicks = 2200;

    explicit UnitSession(Options options);
    ~UnitSession() override;
    UnitSession(const UnitSession&) = delete;
    UnitSession& operator=(const UnitSession&) = delete;

    // One tick: the link and the driver, then the new status texts as progress lines.
    UnitDriverEvents Tick();
    int Ticks() const { return m_ticks; }

    // Waits until a unit is connected and its connection check has ended.
    SessionResult WaitConnected(int timeoutSeconds);
    // Reads the unit's settings into Block().
    SessionResult Read();
    // Compares the unit's settings with `block`.
    SessionResult Verify(const ParameterBlock& block);
    // Programs all bytes of `block`, compares the read-back and waits until the unit has saved them.
    SessionResult Program(const ParameterBlock& block);
    SessionResult Reset();
    // Calls `each` with the monitor texts after every exchange, for `seconds` (0: until the unit is
    // lost). Ok when it ran the whole time.
    SessionResult Monitor(int seconds, const std::function<void(const MonitorView&)>& each);

    const ParameterBlock& Block() const { return m_block; }
    const CUnitDriver& Driver() const { return *m_driver; }
    const VersionTexts& Versions() const { return m_versions; }
    int ConnectedPort() const { return m_link->ConnectedPort(); }

private:
    void ShowLinkStatus(LinkStatusKind kind, const char* text) override;
    MessageAnswer Show(const MessageRequest& request) override;

    void Say(const QString& text);
    void ReportResultSlot();
    // Leaves the request and ticks until the driver has taken it and is idle again.
    SessionResult RunRequest(int code);
    // Ticks until `finished` gives a result, for at most one operation's time. A lost unit or the
    // time running out gives Failed, with `lost` or `late` said to the user.
    SessionResult TickUntil(const std::function<std::optional<SessionResult>()>& finished, const QString& lost,
        const QString& late);
    bool Idle() const;
    // The unit's information block says it may not be read.
    bool ReadingLocked() const;
    SessionResult ResultOfSlot() const;

    Options m_options;
    ParameterBlock m_block;
    ParameterState m_blockState;
    StatusSlots m_status;
    VersionTexts m_versions;
    std::unique_ptr<CCOMCOM> m_link;
    std::unique_ptr<CUnitTransferEngine> m_transfer;
    std::unique_ptr<CUnitDriver> m_driver;
    int m_ticks = 0;
    bool m_unmatched = false; // a unit answered that does not belong to this program
    QString m_lastResultText;
    QString m_lastLinkText;
    int m_lastGaugeStep = -1;
};
