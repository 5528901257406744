// The commands that reach the driver from outside its tick, and the connection: requests, the
// bootloader tool's message, going offline and online, and giving the unit up.

#include "link/unit_driver.h"

#include "shell/status_texts.h"

void CUnitDriver::Request(int code)
{
    switch (code) {
    case UnitRequest::kRead:
    case UnitRequest::kVerify:
    case UnitRequest::kReset:
    case UnitRequest::kResetThenOffline:
        m_request = code;
        return;
    case UnitRequest::kProgramAll:
        m_request = code;
        m_requestProgramAll = true;
        return;
    case UnitRequest::kProgramChanges:
        // A pending program of all bytes writes the changed ones as well.
        if (m_request == UnitRequest::kProgramAll)
            return;
        m_request = code;
        m_requestProgramAll = false;
        return;
    default:
        return;
    }
}

void CUnitDriver::RequestTest(int bits)
{
    m_testBits |= bits & kTestBitsMask;
}

UnitDriverEvents CUnitDriver::BootloaderMessage(int port, uint32_t code)
{
    m_events = {};
    const int connected = m_engine.ConnectedPort();
    const bool wasOffline = Offline();
    switch (code) {
    case BootloaderCode::kRelease:
        if (connected != 0 && port == connected) {
            GoOffline();
            m_events.applyLanguage = true;
        }
        break;
    case BootloaderCode::kResetAndRelease:
        if (connected != 0 && port == connected)
            Request(UnitRequest::kResetThenOffline);
        break;
    case BootloaderCode::kTakeBack:
        if (Offline() && port == m_releasedPort) {
            GoOnlineNow();
            m_events.applyLanguage = true;
        }
        break;
    default:
        break;
    }
    // The COM label follows at once: it must not name the port as ours once it is lent out, not
    // even until the next step. Either change leaves no unit connected.
    if (Offline() != wasOffline)
        UpdateComLabelWithoutUnit();
    return m_events;
}

UnitDriverEvents CUnitDriver::GoOnline()
{
    m_events = {};
    GoOnlineNow();
    return m_events;
}

UnitDriverEvents CUnitDriver::Disconnect()
{
    m_events = {};
    DisconnectUnit();
    return m_events;
}

void CUnitDriver::DisconnectUnit()
{
    m_engine.Disconnect();
    if (m_engine.Enabled())
        ShowNoConnection(m_status, m_now);
    m_blockState.unitCopyValid = false;
    RefreshCongruence();
    m_versions.ParseBuildDate();
    m_versions.FormatPcVersion();
    m_versions.FormatUnitVersion();
    m_key = {};
    m_state = DriverState::kNoUnit;
    m_events.linkLost = true;
}

void CUnitDriver::GoOffline()
{
    if (Offline())
        return;
    m_releasedPort = m_engine.ConnectedPort();
    m_engine.SetEnabled(false);
    DisconnectUnit();
    // The connection label named the unit that was connected; the title and the COM label now say
    // that the port is lent out.
    m_status.ShowStatus(StatusSlots::kConnection, nullptr, 0, kKeepColour, kKeepColour, kNoConnectionPriority, m_now);
    m_events.offlineChanged = true;
}

void CUnitDriver::GoOnlineNow()
{
    if (!Offline())
        return;
    m_engine.SetEnabled(true);
    m_releasedPort = -1;
    // Until the search finds the unit again.
    ShowNoConnection(m_status, m_now);
    m_events.offlineChanged = true;
}
