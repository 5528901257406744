#pragma once

#include "link/ccomcom.h"
#include "link/search_status.h"
#include "link/unit_driver.h"
#include "link/unit_transfer_engine.h"
#include "params/parameter_block.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "shell/message_sink.h"
#include "shell/status_slots.h"
#include "shell/version_texts.h"
#include "sim/unit_engine.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The window's side of the device link without a window (CCOMCOM, the unit-operation driver and the
// models it works on) against one simulated unit on an in-memory line, stepped tick by tick.
//
// Time is the rig's: each Tick() moves the link clock and the unit's clock on by 50 ms, steps the
// driver once and then waits until the link's threads have done everything they can do at that
// time (ports opened or closed, pieces written, the unit's replies received, the transfer worker
// either finished with its job or waiting for a reply that cannot come before the clock moves).
// So a run depends only on its seed and its ticks, never on how fast the machine is, and a reply
// time-out fires only when the unit really did not answer.
class UnitRig : private ILinkStatusSink, private IMessageSink
{
public:
    static constexpr int kMsPerTick = LinkClock::kMsPerTick;

    struct Options {
        int port = 7;
        UnitConfig unit;
        // Keep every byte the PC sends, before the line damages it (see SentBytes()).
        bool recordRequests = false;
    };

    explicit UnitRig(const Options& options);
    ~UnitRig() override;
    UnitRig(const UnitRig&) = delete;
    UnitRig& operator=(const UnitRig&) = delete;

    // One main-timer tick. False when the link's threads did not settle within the hang guard.
    bool Tick();
    // Ticks until `done` holds, at most maxTicks; false when it never did.
    bool TickUntil(const std::function<bool()>& done, int maxTicks);
    int32_t Ticks() const { return m_ticks; }
    // Events of the driver since the last ClearEvents(), or-ed together.
    const UnitDriverEvents& Events() const { return m_events; }
    void ClearEvents() { m_events = {}; }

    // The window's side.
    CUnitDriver& Driver() { return *m_driver; }
    CCOMCOM& Link() { return *m_link; }
    ParameterBlock& Block() { return m_block; }
    ParameterState& BlockState() { return m_blockState; }
    StatusSlots& Status() { return m_status; }
    // What the result label shows now; empty when it is hidden.
    QString ResultText() const;
    // Every text the result label changed to, as it was at the end of a tick.
    const std::vector<QString>& Results() const { return m_results; }
    void ClearResults() { m_results.clear(); }
    // Message boxes the driver asked for, in order (answered with OK).
    const std::vector<MessageRequest>& Messages() const { return m_messages; }

    // The unit's side.
    UnitEngine& Unit() { return m_unit; }
    ParameterBlock UnitParameters() const { return m_unit.State().Parameters(); }
    // Settings the unit has held since it was switched on (no write, no saving).
    void SetUnitParameters(const ParameterBlock& block);
    // Pulls the cable out, or plugs it back in; the unit keeps its memory.
    void SetUnplugged(bool unplugged) { m_unit.SetUnplugged(unplugged); }
    // With recordRequests: everything the PC sent, in order, as it left the PC.
    const std::vector<std::uint8_t>& SentBytes() const { return m_sent; }
    void ClearSentBytes() { m_sent.clear(); }

private:
    // The unit's end of the line: what the PC wrote goes to the unit, replies that are due come back.
    void PumpUnit();
    void Settle();
    bool PortDone() const;
    bool Quiet() const;
    bool WorkerTookEverything() const;
    bool WorkerWaitsInVain();
    // Everything a waiting worker could still react to; equal values mean nothing has moved.
    std::vector<long long> Progress() const;
    void NoteResult();

    void ShowLinkStatus(LinkStatusKind kind, const char* text) override;
    MessageAnswer Show(const MessageRequest& request) override;

    const int m_port;
    const bool m_recordRequests;
    MemorySerialDevices m_devices;
    std::shared_ptr<MemorySerialLine> m_line;
    FixedPortList m_ports;
    UnitEngine m_unit;
    bool m_lineOpen = false;
    std::vector<std::uint8_t> m_sent;

    ParameterBlock m_block;
    ParameterState m_blockState;
    StatusSlots m_status;
    VersionTexts m_versions;
    std::unique_ptr<CCOMCOM> m_link;
    std::unique_ptr<CUnitTransferEngine> m_transfer;
    std::unique_ptr<CUnitDriver> m_driver;

    int32_t m_ticks = 0;
    bool m_settled = true;
    UnitDriverEvents m_events;
    std::vector<QString> m_results;
    QString m_lastResult;
    std::vector<MessageRequest> m_messages;
    // The state in which the worker was last proven to wait in vain; while nothing has moved since,
    // the proof (which costs two passes of the worker) need not be made again.
    std::vector<long long> m_vainProgress;
};
