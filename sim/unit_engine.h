#pragma once

#include "sim/request_parser.h"
#include "sim/sim_random.h"
#include "sim/unit_config.h"
#include "sim/unit_state.h"

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

// The simulated unit as its serial line sees it: bytes from the PC go in, the unit's replies come
// out when they are due. It speaks one protocol, holds a unit's state and puts the switchable
// faults between the two. Single-threaded and driven by the caller's clock, so every run with the
// same seed, bytes and times gives the same replies.
class UnitEngine {
public:
    // Replies waiting for the PC beyond this are dropped, like a full transmit buffer.
    static constexpr int kMaxPendingBytes = 64 * 1024;

    explicit UnitEngine(const UnitConfig& config, SimTime now = 0);

    // Bytes the PC sent, received at now.
    void Receive(std::span<const std::uint8_t> bytes, SimTime now);
    // Runs the unit's clock without input.
    void Tick(SimTime now);
    // The bytes due for the PC at now, in order; they leave the queue.
    std::vector<std::uint8_t> TakeOutput(SimTime now);
    bool HasPendingOutput() const { return !m_pending.empty(); }
    // When the first queued bytes fall due; only meaningful with pending output.
    SimTime NextOutputTime() const;

    // The PC opened or closed its end of the line: a partial request and undelivered replies are
    // gone, as on a real port.
    void LineOpened(SimTime now);
    void LineClosed();

    void SetFaults(const UnitFaults& faults);
    const UnitFaults& Faults() const { return m_state.Config().faults; }
    // The cable is out (after the set number of replies, or pulled by hand): nothing arrives or
    // leaves. Plugging it back in also starts the reply count of unplugAfterReplies anew.
    bool Unplugged() const { return m_unplugged; }
    void SetUnplugged(bool unplugged);

    UnitState& State() { return m_state; }
    const UnitState& State() const { return m_state; }
    const UnitConfig& Config() const { return m_state.Config(); }
    const RequestCounters& ParserCounters() const { return m_parser.Counters(); }

private:
    struct Pending {
        SimTime due;
        std::vector<std::uint8_t> bytes;
    };

    void HandleFrame(SimTime now);
    bool LoseThisAttempt();
    void Send(std::vector<std::uint8_t> bytes, SimTime due);
    // What of the PC's bytes survives the line on its way to the unit.
    std::vector<std::uint8_t> DamageRequest(std::span<const std::uint8_t> bytes);

    UnitState m_state;
    UnitRequestParser m_parser;
    SimRandom m_random;
    // The PC's direction draws from a sequence of its own: damaging requests does not change which
    // reply bytes are damaged.
    SimRandom m_requestRandom;
    std::deque<Pending> m_pending;
    int m_pendingBytes = 0;
    int m_repliesSinceFaults = 0;
    bool m_unplugged = false;
    std::vector<std::uint8_t> m_lostRequest;
};
