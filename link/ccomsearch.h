#pragma once

#include "link/ccomiosys.h"
#include "link/ccomslot.h"
#include "link/protocol_table.h"
#include "link/search_status.h"
#include "link/search_unit_names.h"

#include <array>
#include <atomic>
#include <span>
#include <string>

// Port selection values.
constexpr int kPortsOff = -1;
constexpr int kPortsAutomatic = 0;

// Finds the unit by itself: on every tick up to three slots each try one COM port with one row of
// the protocol table, send the identification request and check the reply. The first unit that
// answers with the PC's key becomes the connected unit, and the search rests until the connection
// is closed again. Everything here runs on the main thread, in the tick.
class CCOMSEARCH : public CCOMIOSYS
{
public:
    static constexpr int kSlotCount = 3;
    // Longest wait for a port to open, and for a closing port before it is forgotten (ms of TMR).
    static constexpr int kOpenTimeoutMs = 600;
    static constexpr int kCloseTimeoutMs = 300;

    CCOMSEARCH(IPortListProvider& portList, SerialPortFactory openDevice,
        PortThreadStarter startThread = QtPortThreadStarter());
    ~CCOMSEARCH() override;

    // Every tick: runs the port manager, then the search while the ports are known, no unit is
    // connected and the link is enabled.
    void SearchStep();

    // -1 ports switched off, 0 automatic search, n > 0 only COM n (the setting ComPort).
    int PortSelection() const { return m_portSelection; }
    void SetPortSelection(int selection) { m_portSelection = selection; }
    // Where the automatic search goes on (the setting ComPortAuto); the connected unit's port once
    // one is found.
    int NextPort() const { return m_nextPort; }
    void SetNextPort(int port) { m_nextPort = port; }

    // 1 while the link may use the serial ports; 0 while another program has them (offline).
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    // The PC's key (the compatibility number) a unit must answer with.
    int Key() const { return m_key; }
    void SetKey(int key) { m_key = key; }

    // COM port of the connected unit, 0 when none. Any thread.
    int ConnectedPort() const { return m_connectedPort.load(std::memory_order_acquire); }
    // The slot that found the connected unit: port, protocol, F, O, name, version, hardware code.
    // Its codec belongs to the transfer worker while a unit is connected.
    const CCOMSLOT& ConnectedUnit() const { return m_connected; }

    const CCOMSLOT& Slot(int index) const { return m_slots[index]; }
    const ProtocolTable& Protocols() const { return m_protocols; }

    // Where the connection label's texts go; none by default.
    void SetStatusSink(ILinkStatusSink* sink) { m_statusSink = sink; }
    // The maker's unit models, for the names of IGN-family units; the span must outlive the link.
    void SetUnitModels(std::span<const UnitModel> models) { m_models = models; }

protected:
    // Takes over a slot that found a unit as the connected unit. A derived class that uses the
    // connected unit on a thread of its own makes sure that thread has let go of it first.
    virtual void AdoptUnit(const CCOMSLOT& slot);
    CCOMSLOT& ConnectedRecord() { return m_connected; }
    void SetConnectedPort(int port) { m_connectedPort.store(port, std::memory_order_release); }

private:
    enum class SlotResult { Next, StopTick };

    SlotResult HandleSlot(int index);
    SlotResult HandleSlotOnce(int index, bool& again);
    void EnterState(CCOMSLOT& slot, int state);
    void SendIdentification(int index);
    void TakeReply(int index);
    void UnitFound(int index);
    void UnitUnmatched(int index);
    bool ChoosePort(int index);
    bool HeldBySlot(int port) const;
    void StartRow(int index, bool& again);
    void Status(LinkStatusKind kind, const char* text, int slot);

    ProtocolTable m_protocols;
    std::array<CCOMSLOT, kSlotCount> m_slots;
    CCOMSLOT m_connected;
    std::atomic<int> m_connectedPort { 0 };
    int m_portSelection = kPortsAutomatic;
    int m_nextPort = 1;
    bool m_enabled = true;
    int m_key = 0;
    bool m_searchStarted = false;
    ILinkStatusSink* m_statusSink = nullptr;
    std::span<const UnitModel> m_models;
    // Stable storage for the text last shown: the language selection keys its cache by address.
    std::string m_statusText;
};
