#include "link/ccomsearch.h"

#include "link/frame_checks.h"
#include "link/frame_format.h"
#include "shell/language.h"
#include "shell/rskey.h"

#include <cstdio>
#include <cstring>

CCOMSEARCH::CCOMSEARCH(
    IPortListProvider& portList, SerialPortFactory openDevice, PortThreadStarter startThread)
    : CCOMIOSYS(portList, std::move(openDevice), std::move(startThread))
    , m_key(kRsKey)
    , m_models(DefaultUnitModels())
{
    // Room for any status text, so that the text keeps its address from one showing to the next.
    m_statusText.reserve(1024);
}

CCOMSEARCH::~CCOMSEARCH() = default;

void CCOMSEARCH::SearchStep()
{
    PortManagerStep();
    if (!PortsEnumerated() || ConnectedPort() != 0 || !m_enabled)
        return;
    if (!m_searchStarted) {
        m_searchStarted = true;
        Log().Event("COM found");
    }
    if (m_portSelection == kPortsOff) {
        for (CCOMSLOT& slot : m_slots) {
            if (slot.port == 0)
                continue;
            CloseRequest(slot.port);
            slot.port = 0;
            EnterState(slot, kSlotChoose);
        }
        return;
    }
    for (int index = 0; index < kSlotCount; ++index) {
        if (HandleSlot(index) == SlotResult::StopTick)
            break;
    }
}

CCOMSEARCH::SlotResult CCOMSEARCH::HandleSlot(int index)
{
    // A slot that finds its port open already goes through its checks once more at once, so the
    // identification goes out in the same tick.
    for (;;) {
        bool again = false;
        if (HandleSlotOnce(index, again) == SlotResult::StopTick)
            return SlotResult::StopTick;
        if (!again)
            return SlotResult::Next;
    }
}

// The checks run in a fixed order, each seeing the state the earlier ones left, so one tick may
// carry a slot through several states (no answer → next row → request sent).
CCOMSEARCH::SlotResult CCOMSEARCH::HandleSlotOnce(int index, bool& again)
{
    CCOMSLOT& slot = m_slots[index];
    const int now = Clock().Now();

    if (slot.state == kSlotClosing) {
        if (now - slot.stateTime > kCloseTimeoutMs) {
            slot.port = 0;
            EnterState(slot, kSlotChoose);
        } else if (Port(slot.port).Status() == kPortClosed) {
            // The port is kept: its next row is tried once it has been opened again.
            EnterState(slot, kSlotChoose);
        }
    }

    if (m_portSelection > 0 && slot.port != 0 && slot.port != m_portSelection) {
        Log().Event("[%i]FORCE CLOSE - Close port COM%i", index, slot.port);
        CloseRequest(slot.port);
        slot.port = 0;
        EnterState(slot, kSlotClosing);
    }

    if (slot.state == kSlotOpening) {
        const CCOM& port = Port(slot.port);
        if (now - slot.stateTime > kOpenTimeoutMs) {
            EnterState(slot, kSlotPortFailed);
            Log().Event("[%i] Not Openning...", index);
        } else if (port.Status() == kPortOpen && port.Request() == 0) {
            // Open, and no close of an earlier use still to come.
            SendIdentification(index);
        }
    }

    if (slot.state == kSlotAskedOnce || slot.state == kSlotAskedTwice) {
        if (now - slot.stateTime > m_protocols.Row(slot.row).timeoutMs) {
            if (slot.state == kSlotAskedOnce) {
                // Only a request that went out whole is sent again; a part still waiting goes on.
                if (slot.codec.TransmitStarted() && slot.codec.TransmitRemaining() == 0)
                    slot.codec.RestartTransmit();
                EnterState(slot, kSlotAskedTwice);
                Log().Event("[%i] Send Again...", index);
            } else {
                EnterState(slot, kSlotNoAnswer);
            }
        }
    }

    if (slot.state == kSlotAskedOnce || slot.state == kSlotAskedTwice) {
        CCOM& port = Port(slot.port);
        slot.codec.Send(port);
        if (slot.codec.Receive(port)) {
            Log().Event("[%i] Frame rec (%i)...", index, slot.codec.FrameLength());
            TakeReply(index);
        }
    }

    if (slot.state == kSlotIdentified) {
        if (slot.version == m_key) {
            UnitFound(index);
            return SlotResult::StopTick;
        }
        UnitUnmatched(index);
    }

    if (slot.state == kSlotPortFailed) {
        Log().Event("[%i]FAIL PORT - Close port COM%i", index, slot.port);
        CloseRequest(slot.port);
        slot.port = 0;
        EnterState(slot, kSlotClosing);
    }

    if (slot.state == kSlotNoAnswer) {
        const ProtocolRow& row = m_protocols.Row(slot.row);
        if (slot.port != 0 && m_protocols.Exists(slot.row + 1)
            && m_protocols.Row(slot.row + 1).baudRate == row.baudRate) {
            Log().Event("[%i]FAIL PROTOCOL - skip port closing", index);
            EnterState(slot, kSlotChoose);
        } else {
            // The port is kept: the next row is tried after it has closed and opened again.
            Log().Event("[%i]FAIL PROTOCOL - Close port COM%i", index, slot.port);
            CloseRequest(slot.port);
            EnterState(slot, kSlotClosing);
        }
    }

    if (slot.state != kSlotChoose)
        return SlotResult::Next;

    if (slot.port != 0) {
        ++slot.row;
        if (!m_protocols.Exists(slot.row))
            slot.port = 0;
    }
    if (slot.port == 0) {
        if (m_portSelection > 0) {
            // Only slot 0 searches a fixed port. The other slots stay idle, but are still gone
            // through on every tick, so one that holds another port is closed above.
            if (index != 0)
                return SlotResult::Next;
            slot.port = m_portSelection;
        } else if (!ChoosePort(index)) {
            return SlotResult::Next;
        }
        slot.row = m_protocols.FirstRow();
    }
    StartRow(index, again);
    return SlotResult::Next;
}

void CCOMSEARCH::EnterState(CCOMSLOT& slot, int state)
{
    slot.state = state;
    slot.stateTime = Clock().Now();
}

void CCOMSEARCH::StartRow(int index, bool& again)
{
    CCOMSLOT& slot = m_slots[index];
    const ProtocolRow& row = m_protocols.Row(slot.row);
    slot.protocol = row.protocol;
    slot.codec.Reset(row.protocol, row.timeoutMs);
    const CCOM& port = Port(slot.port);
    if (port.Status() == kPortOpen && port.Request() == 0) {
        Log().Event("[%i]...skip onening port COM%i, Protocol=%i, Timeout=%i", index, slot.port, row.protocol,
            row.timeoutMs);
        EnterState(slot, kSlotOpening);
        again = true;
        return;
    }
    OpenRequest(slot.port, row.baudRate);
    Log().Event(
        "[%i]Open Port COM%i, Protocol=%i, Timeout=%i", index, slot.port, row.protocol, row.timeoutMs);
    EnterState(slot, kSlotOpening);
}

bool CCOMSEARCH::ChoosePort(int index)
{
    auto after = [](int port) { return port >= kPortCount - 1 || port < 1 ? 1 : port + 1; };
    int candidate = m_nextPort >= 1 && m_nextPort < kPortCount ? m_nextPort : 1;
    for (int looked = 0; looked < kPortCount; ++looked, candidate = after(candidate)) {
        if (!Port(candidate).Present() || HeldBySlot(candidate))
            continue;
        m_slots[index].port = candidate;
        m_nextPort = after(candidate);
        return true;
    }
    return false;
}

bool CCOMSEARCH::HeldBySlot(int port) const
{
    for (const CCOMSLOT& slot : m_slots) {
        if (slot.port == port)
            return true;
    }
    return false;
}

void CCOMSEARCH::SendIdentification(int index)
{
    CCOMSLOT& slot = m_slots[index];
    const ProtocolRow& row = m_protocols.Row(slot.row);
    slot.codec.Reset(row.protocol, row.timeoutMs);
    slot.codec.BuildIdentificationRequest(m_key);
    slot.codec.Send(Port(slot.port));
    EnterState(slot, kSlotAskedOnce);
    Log().Event("[%i] Send Once (%s)...", index, ProtocolName(row.protocol));
}

void CCOMSEARCH::TakeReply(int index)
{
    CCOMSLOT& slot = m_slots[index];
    const CCOMFRAME& codec = slot.codec;
    const int length = codec.FrameLength();
    // A line that returns what the PC sends (a loop-back plug, an adapter without a unit).
    if (length == codec.TransmitLength() && std::memcmp(codec.Frame(), codec.TransmitBuffer(), length) == 0) {
        Log().Event("[%i] ECHO !", index);
        EnterState(slot, kSlotPortFailed);
        return;
    }
    UnitIdentity identity;
    const int protocol = codec.Protocol();
    if (IsIgnProtocol(protocol)) {
        // Anything but an identification reply is not meant for this request; the slot waits on.
        if (!ParseIgnIdentification(codec.Frame(), protocol, identity))
            return;
        slot.name = IgnUnitName(identity.version, m_models);
    } else {
        if (!ParseWcomIdentification(codec.Frame(), identity))
            return;
        slot.name = WcomUnitName(identity.name, identity.version, identity.hardwareCode);
    }
    slot.hardwareCode = identity.hardwareCode;
    slot.version = identity.version;
    slot.frameSize = identity.frameSize;
    slot.overhead = identity.overhead;
    EnterState(slot, kSlotIdentified);
}

void CCOMSEARCH::UnitFound(int index)
{
    const CCOMSLOT& found = m_slots[index];
    const int port = found.port;
    AdoptUnit(found);
    for (CCOMSLOT& slot : m_slots) {
        if (slot.port != 0 && slot.port != port)
            CloseRequest(slot.port);
        slot.port = 0;
        EnterState(slot, kSlotChoose);
    }
    SetPortListChanged();
    m_nextPort = port;
    m_enabled = true;
    SetConnectedPort(port);

    const char* name = m_connected.name.c_str();
    char text[1024];
    std::snprintf(text, sizeof text, kStatusUnitConnected, name, name, name);
    Status(LinkStatusKind::Connected, text, index);
}

void CCOMSEARCH::UnitUnmatched(int index)
{
    CCOMSLOT& slot = m_slots[index];
    const char* name = slot.name.c_str();
    char text[1024];
    std::snprintf(text, sizeof text, kStatusUnitUnmatched, slot.port, name, slot.port, name, slot.port, name);
    Status(LinkStatusKind::Unmatched, text, index);
    EnterState(slot, kSlotPortFailed);
}

void CCOMSEARCH::AdoptUnit(const CCOMSLOT& slot)
{
    m_connected = slot;
}

void CCOMSEARCH::Status(LinkStatusKind kind, const char* text, int slot)
{
    m_statusText.assign(text);
    if (m_statusSink)
        m_statusSink->ShowLinkStatus(kind, m_statusText.c_str());
    if (Log().IsOpen())
        Log().Event("[%i]%s", slot, SelectText(m_statusText.c_str()));
}
