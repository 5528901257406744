#pragma once

#include "link/frame_format.h"

#include <atomic>
#include <cstdint>

class CCOM;

// Link-health counters of one codec, readable from any thread while it runs.
struct FrameCounters {
    std::atomic<std::uint32_t> frames { 0 }; // valid frames received
    std::atomic<std::uint32_t> checkErrors { 0 }; // complete frames that failed their check
    std::atomic<std::uint32_t> gapResets { 0 }; // partial frames dropped after a pause
    std::atomic<std::uint32_t> skipped { 0 }; // bytes passed over while looking for a frame start
};

// The frame codec of one port user: a receive parser fed from a port's ring, and one frame being
// sent through a port's transmit slot. Receive and Send run on the thread that owns the codec.
class CCOMFRAME
{
public:
    CCOMFRAME();
    CCOMFRAME(const CCOMFRAME& other);
    CCOMFRAME& operator=(const CCOMFRAME& other);

    // Starts over with a protocol and the gap timeout (ms of TMR): parser, checks and the frame
    // being sent are cleared.
    void Reset(int protocol, int gapTimeoutMs);

    // Build into the transmit buffer; the caller sets the transmit length afterwards.
    void BuildIgnFrame(int dataSize, int base, int offset, const std::uint8_t* data, int key);
    void BuildWcomFrame(int commandAndFlags, int address, int length, const std::uint8_t* data);
    // Builds the identification request of the current protocol and sets the transmit length.
    int BuildIdentificationRequest(int key);
    void SetTransmitLength(int length);
    // The next Send starts the frame again from its first byte.
    void RestartTransmit() { m_transmitPosition = kUnset; }

    // Parses bytes from the port's ring. True when a complete, valid frame is in the receive buffer;
    // false when the ring ran empty first (or, for the WCOM family, a frame failed its check; the
    // rest of the ring then waits for the next call).
    bool Receive(CCOM& port);
    // Hands the next piece (at most one transmit slot) of the frame to the port, if its slot is free.
    void Send(CCOM& port);

    int Protocol() const { return m_protocol; }
    int GapTimeout() const { return m_gapTimeout; }
    int ExpectedLength() const { return m_expectedLength; }
    int Position() const { return m_position; }

    // The frame of the last successful Receive and its length in bytes.
    const std::uint8_t* Frame() const { return m_receive; }
    int FrameLength() const { return m_frameLength; }

    std::uint8_t* TransmitBuffer() { return m_transmit; }
    const std::uint8_t* TransmitBuffer() const { return m_transmit; }
    int TransmitLength() const { return m_transmitLength; }
    int TransmitRemaining() const { return m_transmitRemaining; }
    // False after Reset or RestartTransmit, until the next Send picks the frame up.
    bool TransmitStarted() const { return m_transmitPosition != kUnset; }

    const FrameCounters& Counters() const { return m_counters; }

private:
    static constexpr int kUnset = -1;
    static constexpr std::uint8_t kVariantCrc = 0;
    static constexpr std::uint8_t kVariantSum = 1;
    static constexpr std::uint8_t kVariantUnknown = 255;

    // Each returns true when the byte completed a valid frame.
    bool ReceiveIgn(std::uint8_t byte);
    bool ReceiveWcom(std::uint8_t byte, bool& failed);
    void FoldWcom(std::uint8_t byte, int offset);

    int m_protocol = PROTOCOL_NONE;
    std::uint16_t m_check = 0;
    std::uint16_t m_savedCheck = 0;
    int m_lastByteTime = 0;
    int m_gapTimeout = 0;
    int m_expectedLength = 0;
    int m_position = 0;
    std::uint8_t m_variant = kVariantUnknown;
    int m_frameLength = 0;
    std::uint8_t m_receive[kFrameBufferSize] = {};

    int m_transmitLength = 0;
    int m_transmitRemaining = 0;
    int m_transmitPosition = kUnset;
    std::uint8_t m_transmit[kFrameBufferSize] = {};

    FrameCounters m_counters;
};
