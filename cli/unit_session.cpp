#include "cli/unit_session.h"

#include "link/unit_operation_codes.h"
#include "shell/language.h"
#include "shell/rskey.h"
#include "shell/status_texts.h"

#include <utility>

UnitSession::UnitSession(Options options)
    : m_options(std::move(options))
    , m_versions(__DATE__)
{
    SetDefaults(m_block);
    m_link = std::make_unique<CCOMCOM>(*m_options.portList, m_options.serialFactory);
    m_link->SetKey(kRsKey);
    m_link->SetPortSelection(m_options.port);
    m_link->SetStatusSink(this);
    m_transfer = std::make_unique<CUnitTransferEngine>(*m_link);
    m_driver = std::make_unique<CUnitDriver>(
        UnitDriverContext { *m_transfer, m_block, m_blockState, m_status, m_versions, *this });
}

UnitSession::~UnitSession()
{
    // The driver and the engine refer to the link: they go first.
    m_driver.reset();
    m_transfer.reset();
    m_link.reset();
}

UnitDriverEvents UnitSession::Tick()
{
    ++m_ticks;
    m_link->Clock().SetTicks(m_ticks);
    const UnitDriverEvents events = m_driver->Step(m_ticks, false);
    m_status.ExpireStatusTexts(m_ticks);
    ReportResultSlot();
    return events;
}

void UnitSession::Say(const QString& text)
{
    if (m_options.progress)
        m_options.progress(text);
}

void UnitSession::ReportResultSlot()
{
    const StatusSlot* slot = m_status.Slot(StatusSlots::kResult);
    const QString text = slot && slot->visible ? slot->text : QString();
    if (text != m_lastResultText && !text.isEmpty())
        Say(text);
    m_lastResultText = text;
}

void UnitSession::ShowLinkStatus(LinkStatusKind kind, const char* text)
{
    if (kind == LinkStatusKind::Unmatched)
        m_unmatched = true;
    // The search repeats its text on every visit of the same unit; one line is enough.
    const QString line = SelectQText(text);
    if (line != m_lastLinkText)
        Say(line);
    m_lastLinkText = line;
}

MessageAnswer UnitSession::Show(const MessageRequest& request)
{
    // The only box the driver shows is the one about a unit whose program version does not match.
    m_unmatched = true;
    Say(request.caption.isEmpty() ? request.text : request.caption + QStringLiteral(": ") + request.text);
    return request.buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes : MessageAnswer::Ok;
}

bool UnitSession::Idle() const
{
    const int state = m_driver->State();
    return m_driver->UnitConnected() && (state == DriverState::kIdle || state == DriverState::kMonitor);
}

SessionResult UnitSession::WaitConnected(int timeoutSeconds)
{
    const int limit = m_ticks + timeoutSeconds * 1000 / kTickMs;
    while (m_ticks < limit) {
        Tick();
        if (m_unmatched && m_driver->UnitConnected())
            return SessionResult::UnitMismatch;
        if (Idle())
            return SessionResult::Ok;
        if (m_options.pause)
            m_options.pause();
    }
    return m_unmatched ? SessionResult::UnitMismatch : SessionResult::NoUnit;
}

SessionResult UnitSession::ResultOfSlot() const
{
    const StatusSlot* slot = m_status.Slot(StatusSlots::kResult);
    const QString text = slot && slot->visible ? slot->text : QString();
    if (text == SelectQText(kStatusNoReading))
        return SessionResult::ReadingRefused;
    if (text == SelectQText(kStatusVerifyError))
        return SessionResult::VerifyError;
    if (m_status.Gauge().colour == GaugeColour::Red)
        return SessionResult::Failed;
    return SessionResult::Ok;
}

SessionResult UnitSession::RunRequest(int code)
{
    if (!Idle())
        return SessionResult::Failed;
    // A unit still saving earlier settings is left to finish first: the operation then starts on a
    // unit at rest, and the saving progress never follows its result in the label.
    for (int waited = 0; m_driver->SavingCountdown() > 0; ++waited) {
        if (waited >= kOperationTicks || !m_driver->UnitConnected()) {
            Say(QStringLiteral("The unit did not finish saving."));
            return SessionResult::Failed;
        }
        if (m_options.pause)
            m_options.pause();
        Tick();
    }
    if (!Idle())
        return SessionResult::Failed;
    // Every operation starts with an empty result label (an earlier text, such as the connection
    // check's, must not be taken for its result) and a clean gauge, which turns red when it fails.
    ClearResult(m_status, m_ticks);
    m_status.StartGauge();
    m_driver->Request(code);
    return TickUntil(
        [this]() -> std::optional<SessionResult> {
            if (m_unmatched)
                return SessionResult::UnitMismatch;
            if (m_driver->PendingRequest() == UnitRequest::kNone && Idle())
                return ResultOfSlot();
            return std::nullopt;
        },
        QStringLiteral("The unit was lost."), QStringLiteral("The operation did not end in time."));
}

SessionResult UnitSession::TickUntil(
    const std::function<std::optional<SessionResult>()>& finished, const QString& lost, const QString& late)
{
    const int limit = m_ticks + kOperationTicks;
    while (m_ticks < limit) {
        if (m_options.pause)
            m_options.pause();
        Tick();
        if (!m_driver->UnitConnected()) {
            Say(lost);
            return SessionResult::Failed;
        }
        if (const std::optional<SessionResult> result = finished())
            return *result;
    }
    Say(late);
    return SessionResult::Failed;
}

bool UnitSession::ReadingLocked() const
{
    return m_driver->InformationBlock()[UnitInfoOffset::kReadingAllowed] != 1;
}

SessionResult UnitSession::Read()
{
    SessionResult result = RunRequest(UnitRequest::kRead);
    if (result == SessionResult::Failed && ReadingLocked())
        result = SessionResult::ReadingRefused;
    if (result == SessionResult::Ok && !m_blockState.unitCopyValid)
        return SessionResult::Failed; // ended without taking the unit's settings
    return result;
}

SessionResult UnitSession::Verify(const ParameterBlock& block)
{
    m_block = block;
    const SessionResult result = RunRequest(UnitRequest::kVerify);
    return result == SessionResult::Failed && ReadingLocked() ? SessionResult::ReadingRefused : result;
}

SessionResult UnitSession::Program(const ParameterBlock& block)
{
    m_block = block;
    m_blockState.changed.fill(false);
    const SessionResult result = RunRequest(UnitRequest::kProgramAll);
    if (result != SessionResult::Ok)
        return result;
    if (!m_driver->ProgramDone())
        return SessionResult::Failed;
    // The unit saves what it was given; the monitor exchanges count the saving down.
    return TickUntil(
        [this]() -> std::optional<SessionResult> {
            if (m_driver->ProgramDone())
                return std::nullopt;
            return m_blockState.unitCopyValid && m_blockState.unitCopy == m_block ? SessionResult::Ok
                                                                                   : SessionResult::Failed;
        },
        QStringLiteral("The unit was lost while saving."), QStringLiteral("The unit did not finish saving in time."));
}

SessionResult UnitSession::Reset()
{
    return RunRequest(UnitRequest::kReset);
}

SessionResult UnitSession::Monitor(int seconds, const std::function<void(const MonitorView&)>& each)
{
    const int limit = m_ticks + seconds * 1000 / kTickMs;
    while (seconds == 0 || m_ticks < limit) {
        if (m_options.pause)
            m_options.pause();
        const UnitDriverEvents events = Tick();
        if (events.monitorBlock && each)
            each(PresentMonitor(m_driver->Monitor(), m_block, m_driver->UnitConnected()));
        if (!m_driver->UnitConnected()) {
            Say(QStringLiteral("The unit was lost."));
            return SessionResult::Failed;
        }
    }
    return SessionResult::Ok;
}
