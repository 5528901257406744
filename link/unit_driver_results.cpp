// What a job that ended well means in each state of the driver: reads are kept until a second read
// confirms them, the information block is checked, and results are shown.

#include "link/unit_driver.h"

#include "shell/message_table.h"
#include "shell/rskey.h"
#include "shell/status_texts.h"

#include <algorithm>

namespace
{

inline constexpr int kParameterCount = ParameterBlock::kSize;
// The unit program's sub-version that this program accepts, beside kRsKey.
inline constexpr int kAcceptedSubVersion = 0;
// Gauge after a disagreement that sends the check on to be repeated by parts.
inline constexpr int kByPartsGauge = 33;
// A live monitor answer takes back the connection label's warning, not the text naming the unit.
inline constexpr int kMonitorClearsConnectionPriority = 10;

} // namespace

void CUnitDriver::HandleFinishedJob()
{
    const int ended = m_engine.LastJob();
    m_engine.TakeResult();
    m_failedJobs = 0;
    if (ended == JOB_MONITOR)
        MonitorBlockArrived();

    using namespace DriverState;
    const int state = m_state;
    switch (state) {
    case kMonitor:
    case kReset:
        m_state = kIdle;
        return;
    case kResetThenOffline:
        m_state = kIdle;
        GoOffline();
        return;
    case kCheckPause:
        m_state = kCheckRead1;
        return;
    case kProgramWrite:
        m_state = kProgramReadBack;
        return;
    case kCheckRead1:
    case kCheckInfo1:
    case kProgramInfo1:
    case kRead1:
        KeepFirstRead();
        m_state = state + 1;
        return;
    case kCheckRead2:
        CompareParameterReads();
        return;
    case kCheckInfo2:
    case kProgramInfo2:
        CompareInformationReads();
        return;
    case kRead2:
        CompareReadReads();
        return;
    case kVerify:
        CompareVerify();
        return;
    case kProgramReadBack:
        CompareProgramReadBack();
        return;
    default:
        break;
    }

    if (state >= kPartPause1 && state < kPartPause1 + kParts) {
        m_state = kPartRead1 + (state - kPartPause1);
    } else if (state >= kPartPause2 && state < kPartPause2 + kParts) {
        m_state = kPartRead2 + (state - kPartPause2);
    } else if (state >= kPartRead1 && state < kPartRead1 + kParts) {
        KeepFirstRead();
        // After the first read of the last part comes the pause before the second reads.
        const int part = state - kPartRead1;
        m_state = part + 1 < kParts ? kPartPause1 + part + 1 : kPartPause2;
    } else if (state >= kPartRead2 && state < kPartRead2 + kParts) {
        CompareParameterReads();
    }
}

void CUnitDriver::MonitorBlockArrived()
{
    const std::span<const uint8_t> block = m_engine.ReadBack().first(kMonitorBlockSize);
    // The saving countdown is the unit's state, needed to finish a program even while a recording
    // plays in the monitor panel.
    m_savingCountdown = block[MonitorOffset::kSavingCountdown] | (block[MonitorOffset::kSavingCountdown + 1] << 8);
    if (m_playback)
        return;

    m_monitor.SetBlock(block);
    const int unitKey = m_monitor.Byte(MonitorOffset::kKey);
    m_key = MonitorKeyOf(unitKey);
    m_status.ShowStatus(
        StatusSlots::kConnection, nullptr, 0, kKeepColour, kKeepColour, kMonitorClearsConnectionPriority, m_now);
    m_versions.SetUnitVersion(unitKey);
    m_versions.FormatUnitVersion();
    m_events.monitorBlock = true;
}

void CUnitDriver::KeepFirstRead()
{
    const std::span<const uint8_t> read = ReadBytes();
    std::copy(read.begin() + m_rangeStart, read.begin() + m_rangeEnd, m_firstRead.begin() + m_rangeStart);
}

void CUnitDriver::CompareParameterReads()
{
    const std::span<const uint8_t> read = ReadBytes();
    const bool equal = std::equal(read.begin() + m_rangeStart, read.begin() + m_rangeEnd, m_firstRead.begin() + m_rangeStart);
    if (!equal) {
        if (m_attempts > 1) {
            FailOperation(kStatusCheckingError, false);
        } else {
            m_status.SetGaugeProgress(kByPartsGauge);
            m_state = DriverState::kPartPause1;
        }
        return;
    }

    std::copy(read.begin() + m_rangeStart, read.begin() + m_rangeEnd, m_blockState.unitCopy.bytes.begin() + m_rangeStart);
    using namespace DriverState;
    if (m_state != kCheckRead2 && m_state != kPartRead2 + kParts - 1) {
        m_state = kPartPause2 + (m_state - kPartRead2) + 1;
        return;
    }
    m_blockState.unitCopyValid = true;
    RefreshCongruence();
    ShowOutcome(kStatusCheckingOk);
    m_status.SetGaugeProgress(100);
    m_state = kIdle;
}

void CUnitDriver::CompareInformationReads()
{
    const std::span<const uint8_t> read = m_engine.ReadBack().first(kUnitInfoSize);
    if (!std::equal(read.begin(), read.end(), m_firstRead.begin())) {
        if (m_attempts < 2) {
            m_status.SetGaugeProgress(0);
            m_state -= 1; // read both again
        } else {
            FailOperation(kStatusCheckingError, false);
        }
        return;
    }
    AcceptInformationBlock();
}

void CUnitDriver::AcceptInformationBlock()
{
    std::copy_n(m_engine.ReadBack().begin(), kUnitInfoSize, m_info.begin());
    m_versions.FormatUnitInfo(UnitInfoBlock(m_info));
    m_events.informationStored = true;

    const int version = m_info[UnitInfoOffset::kVersion];
    const int subVersion = m_info[UnitInfoOffset::kSubVersion];
    if (version != kRsKey || subVersion != kAcceptedSubVersion) {
        m_state = DriverState::kIdle;
        MessageRequest box;
        box.caption = QString::fromLatin1(kProgramName);
        box.text = MessageText(kMessageUnmatchedUnitVersion)
            + QString::asprintf("  PC-%d.%02d, IGN-%d.%02d", kRsKey, kAcceptedSubVersion, version, subVersion);
        m_pendingMessage = box;
        m_status.FailGauge();
        return;
    }
    if (m_state == DriverState::kCheckInfo2 && m_info[UnitInfoOffset::kReadingAllowed] != 1) {
        // The unit is locked against reading: the check ends before the parameter block.
        FailOperation(kStatusNoReading, true);
        return;
    }
    m_attempts = 0;
    m_state = m_state == DriverState::kCheckInfo2 ? DriverState::kCheckPause : DriverState::kProgramWrite;
}

void CUnitDriver::CompareReadReads()
{
    const std::span<const uint8_t> read = ReadBytes();
    if (!std::equal(read.begin(), read.end(), m_firstRead.begin())) {
        if (m_attempts > 1) {
            FailOperation(kStatusVerifyError, false);
        } else {
            m_status.SetGaugeProgress(0);
            m_state = DriverState::kRead1;
        }
        return;
    }
    if (read[ParamIndex::kNoReading] != 0) {
        // The unit refuses to be read: its settings are not taken.
        FailOperation(kStatusNoReading, true);
        return;
    }

    m_blockState.changed.fill(false);
    std::copy(read.begin(), read.end(), m_block.bytes.begin());
    m_events.parametersRead = true;
    m_blockState.unitCopy = m_block;
    m_blockState.unitCopyValid = true;
    RefreshCongruence();
    ShowOutcome(kStatusVerifyOk);
    m_status.SetGaugeProgress(100);
    m_state = DriverState::kIdle;
}

void CUnitDriver::CompareVerify()
{
    const std::span<const uint8_t> read = ReadBytes();
    int differences = 0;
    // The no-reading byte is left out: a locked unit may report it differently.
    for (int i = m_rangeStart; i < m_rangeEnd; ++i)
        if (i != ParamIndex::kNoReading && read[static_cast<std::size_t>(i)] != m_block[i])
            ++differences;
    if (differences > 0) {
        if (m_attempts > 1) {
            FailOperation(kStatusVerifyError, false);
        } else {
            m_status.SetGaugeProgress(0); // and the verify runs again
        }
        return;
    }
    ShowOutcome(kStatusVerifyOk);
    m_status.SetGaugeProgress(100);
    m_state = DriverState::kIdle;
}

void CUnitDriver::CompareProgramReadBack()
{
    const std::span<const uint8_t> read = ReadBytes();
    int differences = 0;
    for (int i = 0; i < kParameterCount; ++i) {
        const bool written = m_programAll || m_blockState.changed[static_cast<std::size_t>(i)];
        if (written && read[static_cast<std::size_t>(i)] != m_block[i])
            ++differences;
    }
    const bool lockWritten = m_programAll || m_blockState.changed[ParamIndex::kNoReading];
    if (differences == 0 && lockWritten)
        m_info[UnitInfoOffset::kReadingAllowed] = m_block[ParamIndex::kNoReading] != 0 ? 0 : 1;

    if (differences > 0) {
        if (m_attempts > 1) {
            FailOperation(kStatusVerifyError, false);
        } else {
            m_status.SetGaugeProgress(0);
            m_state = DriverState::kProgramWrite; // program again
        }
        return;
    }

    m_blockState.changed.fill(false);
    // What the unit holds now; confirmed when it has finished saving.
    std::copy(read.begin(), read.end(), m_blockState.unitCopy.bytes.begin());
    ShowInfo(kStatusVerifyOk);
    m_status.SetGaugeProgress(100);
    m_state = DriverState::kIdle;
    m_programDone = true;
    m_savingCountdown = kSavingStart;
}
