#include "link/unit_driver.h"

#include "link/unit_com_label.h"
#include "link/unit_congruence.h"
#include "shell/status_texts.h"

#include <algorithm>

namespace
{

inline constexpr int kParameterCount = ParameterBlock::kSize;
inline constexpr int kReadFlags = kJobMarkSendFlags | kJobClearPcImage;
inline constexpr int kMonitorFlags = kJobMarkSendFlags | kJobSingleAttempt;

// The reset command: a request block with a marker the unit acts on, and for the protocols that
// carry a command word outside the data, the word, address and length of the reset.
inline constexpr int kResetMarkerOffset = 12;
inline constexpr uint8_t kResetMarker[] = { 0xA5, 0x10 };
inline constexpr int kResetCommandWord = 0xF000;
inline constexpr int kResetCommandAddress = 0x0640;
inline constexpr int kResetCommandLength = 0;

// The whole connection check is shown on one gauge: each check state covers a stretch [a, b] of a
// scale of 300, and the progress of its own job moves the gauge through that stretch.
struct GaugeStretch {
    int from;
    int to;
};
inline constexpr int kCheckScale = 300;

std::optional<GaugeStretch> CheckStretch(int state)
{
    using namespace DriverState;
    switch (state) {
    case kCheckInfo1:
        return GaugeStretch { 0, 50 };
    case kCheckInfo2:
        return GaugeStretch { 50, 100 };
    case kCheckPause:
        return GaugeStretch { 100, 100 };
    case kCheckRead1:
        return GaugeStretch { 100, 200 };
    case kCheckRead2:
        return GaugeStretch { 200, 300 };
    default:
        break;
    }
    for (int part = 0; part < kParts; ++part) {
        const int first = 100 + 25 * part;
        const int second = 200 + 25 * part;
        if (state == kPartRead1 + part)
            return GaugeStretch { first, first + 25 };
        if (state == kPartPause1 + part)
            return GaugeStretch { first, first };
        if (state == kPartRead2 + part)
            return GaugeStretch { second, second + 25 };
        if (state == kPartPause2 + part)
            return GaugeStretch { second, second };
    }
    return std::nullopt;
}

// The text a state shows in the result label when its job starts; null for the pauses and the
// monitor exchange, which the user should not notice.
const char* StartText(int state)
{
    using namespace DriverState;
    switch (state) {
    case kCheckInfo1:
    case kCheckInfo2:
    case kCheckRead1:
    case kCheckRead2:
    case kProgramInfo1:
    case kProgramInfo2:
        return kStatusChecking;
    case kRead1:
        return kStatusRead;
    case kRead2:
    case kVerify:
    case kProgramReadBack:
        return kStatusVerify;
    case kProgramWrite:
        return kStatusProgram;
    default:
        break;
    }
    if ((state >= kPartRead1 && state < kPartRead1 + kParts) || (state >= kPartRead2 && state < kPartRead2 + kParts))
        return kStatusChecking;
    return nullptr;
}

bool IsMonitorPause(int state)
{
    using namespace DriverState;
    return state == kMonitor || state == kCheckPause || (state >= kPartPause1 && state < kPartPause1 + kParts)
        || (state >= kPartPause2 && state < kPartPause2 + kParts);
}

// Ticks from `then` to `now`, right across the wrap of the 32-bit tick count.
int32_t TicksSince(int32_t now, int32_t then)
{
    return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(then));
}

} // namespace

CUnitDriver::CUnitDriver(const UnitDriverContext& context)
    : m_engine(context.engine)
    , m_block(context.block)
    , m_blockState(context.blockState)
    , m_status(context.status)
    , m_versions(context.versions)
    , m_messages(context.messages)
{
}

// Step ------------------------------------------------------------------------------------------

UnitDriverEvents CUnitDriver::Step(int32_t nowTick, bool playback)
{
    m_events = {};
    m_now = nowTick;
    m_playback = playback;

    if (!m_firstStepDone) {
        m_firstStepDone = true;
        if (m_engine.Enabled())
            ShowNoConnection(m_status, m_now);
    }

    m_engine.LinkStep();
    if (m_engine.ConnectedPort() == 0) {
        m_state = DriverState::kNoUnit;
        UpdateComLabelWithoutUnit();
    } else if (m_engine.Enabled()) {
        StepConnected();
    }

    // Copied before the box: ticks that run inside the box's event loop step the driver again.
    const UnitDriverEvents events = m_events;
    ShowPendingMessage();
    return events;
}

void CUnitDriver::StepConnected()
{
    if (m_state == DriverState::kNoUnit)
        BeginConnection();

    ShowJobProgress();
    const int job = m_engine.Job();
    if (job == JOB_FAILED)
        HandleFailedJob();
    else if (job == JOB_DONE)
        HandleFinishedJob();
    // A finished job may have given the connection up (the unit lost, or the port released).
    if (m_engine.ConnectedPort() == 0 || !m_engine.Enabled())
        return;

    if (m_state == DriverState::kIdle)
        TakeRequestOrPoll();
    if (m_engine.Job() == 0)
        StartJobOfState();
    ShowSaving();
}

void CUnitDriver::UpdateComLabelWithoutUnit()
{
    std::array<int, ITransferEngine::kSearchSlots> ports {};
    for (int slot = 0; slot < ITransferEngine::kSearchSlots; ++slot)
        ports[static_cast<std::size_t>(slot)] = m_engine.SearchSlotPort(slot);
    m_comLabel = ComLabelWithoutUnit(Offline(), m_releasedPort, m_engine.PortSelection(), ports);
}

void CUnitDriver::BeginConnection()
{
    m_state = DriverState::kCheckInfo1;
    m_attempts = 0;
    m_lastPoll = 0;
    m_programDone = false;
    // Failures of the lost connection say nothing about the new one.
    m_failedJobs = 0;
    m_status.StartGauge();
    m_comLabel = ComLabelConnected(m_engine.ConnectedPort());
}

void CUnitDriver::ShowJobProgress()
{
    const int job = m_engine.Job();
    if (job != JOB_WRITE && job != JOB_READ)
        return;
    int progress = 0;
    if (m_rangeEnd > m_rangeStart)
        progress = (m_engine.CurrentAddress() - m_rangeStart) * 100 / (m_rangeEnd - m_rangeStart);
    if (const std::optional<GaugeStretch> stretch = CheckStretch(m_state))
        progress = (stretch->from * 100 + (stretch->to - stretch->from) * progress) / kCheckScale;
    m_status.SetGaugeProgress(progress);
}

void CUnitDriver::HandleFailedJob()
{
    m_engine.TakeResult();
    ++m_failedJobs;
    // Below the limit nothing is said: the same job starts again further down this step.
    if (m_failedJobs < kFailedJobsLimit)
        return;

    using namespace DriverState;
    if (m_state == kMonitor) {
        // The unit no longer answers: give it up, so the search looks for it again.
        DisconnectUnit();
        return;
    }
    if (InCheck())
        ShowError(kStatusCheckingError);
    else if (m_state == kRead1 || m_state == kRead2)
        ShowError(kStatusReadError);
    else if (m_state == kVerify || (m_state >= kProgramInfo1 && m_state <= kProgramReadBack))
        ShowError(kStatusVerifyError);
    m_status.FailGauge();

    // The bootloader tool waits for the port whether or not the unit took the reset.
    const bool release = m_state == kResetThenOffline;
    m_state = kIdle;
    if (release)
        GoOffline();
}

void CUnitDriver::TakeRequestOrPoll()
{
    m_attempts = 0;
    if (m_request != UnitRequest::kNone) {
        // The new operation's start text takes the label over from the last outcome.
        m_outcomeShownUntil.reset();
        m_state = m_request;
        m_programAll = m_requestProgramAll;
        m_request = UnitRequest::kNone;
        if (m_state != DriverState::kReset && m_state != DriverState::kResetThenOffline)
            m_status.StartGauge();
        return;
    }
    if (TicksSince(m_now, m_lastPoll) > kPollTicks) {
        m_lastPoll = m_now;
        m_state = DriverState::kMonitor;
    }
}

// Starting jobs ---------------------------------------------------------------------------------

void CUnitDriver::StartJobOfState()
{
    using namespace DriverState;
    const int state = m_state;
    if (IsMonitorPause(state)) {
        StartMonitorExchange();
        return;
    }
    switch (state) {
    case kCheckInfo1:
    case kProgramInfo1:
        ++m_attempts;
        StartJob(JOB_INFO, 0, kUnitInfoSize, kReadFlags);
        break;
    case kCheckInfo2:
    case kProgramInfo2:
        StartJob(JOB_INFO, 0, kUnitInfoSize, kReadFlags);
        break;
    case kCheckRead1:
    case kCheckRead2:
    case kRead2:
        StartJob(JOB_READ, 0, kParameterCount, kReadFlags);
        break;
    case kRead1:
    case kVerify:
        if (!ReadingAllowed()) {
            ShowError(kStatusNoReading);
            m_status.FailGauge();
            m_state = kIdle;
            return;
        }
        ++m_attempts;
        if (state == kRead1) {
            m_programDone = false;
            m_events.readStarted = true;
        }
        StartJob(JOB_READ, 0, kParameterCount, kReadFlags);
        break;
    case kProgramWrite:
        ++m_attempts;
        StartProgramWrite();
        break;
    case kProgramReadBack:
        StartProgramReadBack();
        break;
    case kReset:
    case kResetThenOffline:
        StartReset();
        break;
    default:
        if (state >= kPartRead1 && state < kPartRead1 + kParts) {
            const int part = state - kPartRead1;
            if (part == 0)
                ++m_attempts;
            StartJob(JOB_READ, PartStart(part), PartEnd(part) - PartStart(part), kReadFlags);
        } else if (state >= kPartRead2 && state < kPartRead2 + kParts) {
            const int part = state - kPartRead2;
            StartJob(JOB_READ, PartStart(part), PartEnd(part) - PartStart(part), kReadFlags);
        } else {
            return; // no unit, or idle
        }
        break;
    }
    if (const char* text = StartText(state))
        ShowInfo(text);
}

void CUnitDriver::StartJob(int job, int start, int count, int flags)
{
    m_rangeStart = start;
    m_rangeEnd = start + count;
    m_engine.StartJob(job, start, count, flags);
}

void CUnitDriver::StartMonitorExchange()
{
    // Test commands go out once: a lost exchange does not repeat them, the user presses again.
    BuildMonitorRequest(m_engine.PcImage(), m_testBits);
    m_testBits = 0;
    StartJob(JOB_MONITOR, 0, kMonitorBlockSize, kMonitorFlags);
}

void CUnitDriver::StartProgramWrite()
{
    // From here on the unit holds neither its old settings nor surely the new ones: the unit copy
    // is confirmed again only by the read-back and the end of saving. A confirmation still pending
    // from an earlier program belongs to settings that this write replaces.
    m_blockState.unitCopyValid = false;
    m_programDone = false;
    RefreshCongruence();

    std::span<uint8_t> image = m_engine.PcImage();
    std::copy_n(m_block.bytes.begin(), kParameterCount, image.begin());
    if (m_programAll) {
        StartJob(JOB_WRITE, 0, kParameterCount, kJobMarkSendFlags);
        return;
    }
    std::span<uint8_t> sendFlags = m_engine.SendFlags();
    for (int i = 0; i < kParameterCount; ++i)
        sendFlags[static_cast<std::size_t>(i)] = m_blockState.changed[static_cast<std::size_t>(i)] ? 1 : 0;
    StartJob(JOB_WRITE, 0, kParameterCount, 0);
}

void CUnitDriver::StartProgramReadBack()
{
    // All 100 bytes come back even when only the changed ones were written: the unit copy is then
    // what the unit really holds, not what the PC assumes of the bytes it did not write.
    StartJob(JOB_READ, 0, kParameterCount, kReadFlags);
}

void CUnitDriver::StartReset()
{
    std::span<uint8_t> image = m_engine.PcImage();
    std::fill_n(image.begin(), kMonitorBlockSize, uint8_t { 0 });
    std::copy(std::begin(kResetMarker), std::end(kResetMarker), image.begin() + kResetMarkerOffset);
    m_engine.SetCommand(kResetCommandWord, kResetCommandAddress, kResetCommandLength);
    StartJob(JOB_COMMAND, 0, 1, kJobMarkSendFlags);
}

bool CUnitDriver::ReadingAllowed() const
{
    return m_info[UnitInfoOffset::kReadingAllowed] == 1 && m_blockState.unitCopy[ParamIndex::kNoReading] == 0;
}

void CUnitDriver::ShowSaving()
{
    if (m_savingCountdown > 0) {
        if (m_engine.Job() == 0 && !OutcomeInView()) {
            ShowInfo(kStatusSaving);
            m_status.SetGaugeProgress((kSavingScale - m_savingCountdown) * 100 / kSavingScale);
        }
        return;
    }
    if (!m_programDone)
        return;
    m_blockState.unitCopyValid = true;
    RefreshCongruence();
    m_programDone = false;
    ShowOutcome(kStatusProgramOk);
    m_status.SetGaugeProgress(100);
}

void CUnitDriver::ShowPendingMessage()
{
    // A box already up is shown by the call that opened it; the next one follows when it closes.
    if (m_showingMessage)
        return;
    while (m_pendingMessage) {
        const MessageRequest box = *m_pendingMessage;
        m_pendingMessage.reset();
        m_showingMessage = true;
        m_messages.Show(box);
        m_showingMessage = false;
    }
}

// Helpers ---------------------------------------------------------------------------------------

void CUnitDriver::ShowInfo(const char* text)
{
    ShowResultInfo(m_status, text, m_now);
}

void CUnitDriver::ShowOutcome(const char* text)
{
    ShowResultInfo(m_status, text, m_now);
    KeepOutcomeInView();
}

void CUnitDriver::ShowError(const char* text)
{
    ShowResultError(m_status, text, m_now);
    KeepOutcomeInView();
}

void CUnitDriver::KeepOutcomeInView()
{
    // As long as the label itself shows the text; counted on the wrapping tick count.
    constexpr uint32_t kTicks = kResultDurationMs / StatusSlots::kMsPerTick;
    m_outcomeShownUntil = static_cast<int32_t>(static_cast<uint32_t>(m_now) + kTicks);
}

bool CUnitDriver::OutcomeInView() const
{
    return m_outcomeShownUntil && TicksSince(m_now, *m_outcomeShownUntil) < 0;
}

void CUnitDriver::FailOperation(const char* text, bool asError)
{
    if (asError)
        ShowError(text);
    else
        ShowOutcome(text);
    m_status.FailGauge();
    m_state = DriverState::kIdle;
}

void CUnitDriver::RefreshCongruence()
{
    ShowCongruence(m_status, UnitCongruence(m_block, m_blockState), m_now);
    m_events.congruenceChanged = true;
}

std::span<const uint8_t> CUnitDriver::ReadBytes() const
{
    return m_engine.ReadBack().first(kParameterCount);
}

bool CUnitDriver::InCheck() const
{
    using namespace DriverState;
    return (m_state >= kCheckPause && m_state <= kCheckInfo2) || (m_state >= kPartRead1 && m_state < kPartPause2 + kParts);
}

// Part p of the check by parts runs between the multiples of 50 at or above p × 25 and
// p × 25 + 25: parts 0 and 2 are the two halves of the block, parts 1 and 3 are empty.
int CUnitDriver::PartStart(int part)
{
    return (part * 25 + 49) / 50 * 50;
}

int CUnitDriver::PartEnd(int part)
{
    return (part * 25 + 25 + 49) / 50 * 50;
}
