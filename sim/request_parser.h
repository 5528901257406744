#pragma once

#include "link/frame_format.h"
#include "sim/unit_config.h"

#include <cstdint>

// Link-health counters of the unit's receiver.
struct RequestCounters {
    std::uint32_t frames = 0;      // valid frames received
    std::uint32_t checkErrors = 0; // complete frames that failed their check
    std::uint32_t gapResets = 0;   // partial frames dropped after a pause
    std::uint32_t skipped = 0;     // bytes passed over while looking for a frame start
};

// The unit's receiver: cuts the PC's byte stream into frames of one protocol, one byte at a time, so
// bytes may arrive in any pieces. It is the mirror of the PC's parser: in the IGN family a frame
// starts with a byte whose bit 7 is clear (the PC's requests; the unit's own replies, should the line
// echo them, are passed over); in the WCOM family the preamble is searched by sliding over the
// stream. Every frame is bounded by the largest a protocol allows; a WCOM length field above 512
// can never start a frame.
class UnitRequestParser {
public:
    void Reset(int protocol, int gapTimeoutMs);
    // Drops a partial frame, keeping protocol and counters (the PC closed the line).
    void Restart() { m_position = 0; }

    // True when the byte completed a valid frame, which then lies in Frame().
    bool Push(std::uint8_t byte, SimTime now);

    // The last complete, valid frame and its size. A WCOM frame may be of either check variant and
    // any kind; the caller decides whether it is a request for this unit.
    const std::uint8_t* Frame() const { return m_frame; }
    int FrameLength() const { return m_frameLength; }
    int Position() const { return m_position; }
    const RequestCounters& Counters() const { return m_counters; }

private:
    bool PushIgn(std::uint8_t byte);
    bool PushWcom(std::uint8_t byte);
    // Drops the first buffered byte and feeds the others again, to look for a frame start in them.
    void Slide();

    int m_protocol = PROTOCOL_NONE;
    int m_gapTimeout = 0;
    int m_frameSize = 0; // IGN: N + 2
    SimTime m_lastByteTime = 0;
    int m_position = 0;
    std::uint8_t m_buffer[kFrameBufferSize] = {};
    std::uint8_t m_frame[kFrameBufferSize] = {};
    int m_frameLength = 0;
    RequestCounters m_counters;
};
