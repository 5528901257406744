#include "link/ccomframe.h"

#include "link/ccom.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{

void CopyCounters(FrameCounters& to, const FrameCounters& from)
{
    to.frames.store(from.frames.load(std::memory_order_relaxed), std::memory_order_relaxed);
    to.checkErrors.store(from.checkErrors.load(std::memory_order_relaxed), std::memory_order_relaxed);
    to.gapResets.store(from.gapResets.load(std::memory_order_relaxed), std::memory_order_relaxed);
    to.skipped.store(from.skipped.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

void Count(std::atomic<std::uint32_t>& counter)
{
    counter.fetch_add(1, std::memory_order_relaxed);
}

// The window that must hold preamble and type byte before a WCOM frame counts as started.
constexpr int kWcomWindow = kWcomPreambleSize + 1;

} // namespace

CCOMFRAME::CCOMFRAME() = default;

CCOMFRAME::CCOMFRAME(const CCOMFRAME& other)
{
    *this = other;
}

CCOMFRAME& CCOMFRAME::operator=(const CCOMFRAME& other)
{
    if (this == &other)
        return *this;
    m_protocol = other.m_protocol;
    m_check = other.m_check;
    m_savedCheck = other.m_savedCheck;
    m_lastByteTime = other.m_lastByteTime;
    m_gapTimeout = other.m_gapTimeout;
    m_expectedLength = other.m_expectedLength;
    m_position = other.m_position;
    m_variant = other.m_variant;
    m_frameLength = other.m_frameLength;
    std::memcpy(m_receive, other.m_receive, sizeof m_receive);
    m_transmitLength = other.m_transmitLength;
    m_transmitRemaining = other.m_transmitRemaining;
    m_transmitPosition = other.m_transmitPosition;
    std::memcpy(m_transmit, other.m_transmit, sizeof m_transmit);
    CopyCounters(m_counters, other.m_counters);
    return *this;
}

void CCOMFRAME::Reset(int protocol, int gapTimeoutMs)
{
    m_position = 0;
    m_check = 0;
    m_savedCheck = 0;
    m_lastByteTime = 0;
    m_transmitLength = 0;
    m_transmitRemaining = 0;
    m_transmitPosition = kUnset;
    m_protocol = protocol;
    m_gapTimeout = gapTimeoutMs;
    if (IsWcomProtocol(protocol))
        m_expectedLength = kWcomOverhead;
    else if (IsIgnProtocol(protocol))
        m_expectedLength = IgnDataSize(protocol) + kIgnOverhead;
    else
        m_expectedLength = 0;
}

void CCOMFRAME::BuildIgnFrame(int dataSize, int base, int offset, const std::uint8_t* data, int key)
{
    ::BuildIgnFrame(m_transmit, dataSize, base, offset, data, key);
}

void CCOMFRAME::BuildWcomFrame(int commandAndFlags, int address, int length, const std::uint8_t* data)
{
    ::BuildWcomFrame(m_transmit, commandAndFlags, address, length, data);
}

int CCOMFRAME::BuildIdentificationRequest(int key)
{
    const int length = ::BuildIdentificationRequest(m_transmit, m_protocol, key);
    SetTransmitLength(length);
    return length;
}

void CCOMFRAME::SetTransmitLength(int length)
{
    m_transmitLength = std::clamp(length, 0, kFrameBufferSize);
}

bool CCOMFRAME::Receive(CCOM& port)
{
    LinkLog& log = port.Log();
    std::uint8_t byte = 0;
    while (port.TakeReceived(byte)) {
        if (log.IsOpen())
            log.Trace("/%02x/", byte);

        const int now = port.Clock().Now();
        if (m_position > 0 && now - m_lastByteTime > m_gapTimeout) {
            if (m_position < m_expectedLength)
                Count(m_counters.gapResets);
            m_position = 0;
        }
        m_lastByteTime = now;

        if (IsIgnProtocol(m_protocol)) {
            if (ReceiveIgn(byte))
                return true;
        } else if (IsWcomProtocol(m_protocol)) {
            bool failed = false;
            if (ReceiveWcom(byte, failed))
                return true;
            if (failed)
                return false;
        } else {
            // No protocol: everything received is thrown away.
            port.DiscardReceived();
            return false;
        }
    }
    return false;
}

bool CCOMFRAME::ReceiveIgn(std::uint8_t byte)
{
    // A frame that failed its check ends here too: the next byte starts a new one.
    if (m_position >= m_expectedLength)
        m_position = 0;
    if (m_position == 0) {
        m_check = 0xFF;
        // Frames from the unit start with bit 7 set; anything else (noise, or the PC's own request
        // echoed by the line) is passed over until one does.
        if ((byte & kIgnReplyBit) == 0) {
            Count(m_counters.skipped);
            return false;
        }
    }
    m_check ^= byte;
    m_receive[m_position++] = byte;
    if (m_position < m_expectedLength)
        return false;
    if (m_check != 0) {
        Count(m_counters.checkErrors);
        return false;
    }
    m_frameLength = m_expectedLength;
    m_position = 0;
    Count(m_counters.frames);
    return true;
}

void CCOMFRAME::FoldWcom(std::uint8_t byte, int offset)
{
    if (m_variant == kVariantCrc)
        m_check = CrcStep(m_check, byte);
    else if (m_variant == kVariantSum)
        m_check = WordSumStep(m_check, byte, offset);
}

bool CCOMFRAME::ReceiveWcom(std::uint8_t byte, bool& failed)
{
    // A length field too large for the buffer never completes; parsing starts over at its end.
    if (m_position >= kFrameBufferSize)
        m_position = 0;
    m_receive[m_position++] = byte;
    FoldWcom(byte, m_position - 1);
    if (m_position < kWcomWindow)
        return false;

    if (m_position == kWcomWindow) {
        const bool preamble = std::memcmp(m_receive, kWcomPreamble, kWcomPreambleSize) == 0;
        const std::uint8_t check = m_receive[kWcomTypeOffset] & 0xF0;
        if (preamble && check == kWcomTypeCrc)
            m_variant = kVariantCrc;
        else if (preamble && check == kWcomTypeSum)
            m_variant = kVariantSum;
        else
            m_variant = kVariantUnknown;
        if (m_variant == kVariantUnknown) {
            // Slide the window by one byte until a preamble and a known type line up.
            std::memmove(m_receive, m_receive + 1, kWcomWindow - 1);
            m_position = kWcomWindow - 1;
            Count(m_counters.skipped);
            return false;
        }
        // The checks of the fixed preamble are known; only the type byte is folded in again.
        m_check = m_variant == kVariantCrc ? kCrcAfterPreamble : kSumAfterPreamble;
        FoldWcom(m_receive[kWcomTypeOffset], kWcomTypeOffset);
        return false;
    }
    if (m_position < kWcomDataOffset)
        return false;

    m_expectedLength = ReadWcomFields(m_receive).length + kWcomOverhead;
    if (m_position == m_expectedLength - 2)
        m_savedCheck = m_check;
    if (m_position < m_expectedLength)
        return false;

    const bool valid = m_variant == kVariantCrc
        ? (m_receive[m_position - 2] | (m_receive[m_position - 1] << 8)) == m_savedCheck
        : m_check == 0xFFFF;
    m_position = 0;
    if (!valid) {
        Count(m_counters.checkErrors);
        failed = true;
        return false;
    }
    m_frameLength = m_expectedLength;
    ApplyShortReplyRewrites(m_receive);
    Count(m_counters.frames);
    return true;
}

void CCOMFRAME::Send(CCOM& port)
{
    if (m_transmitPosition == kUnset) {
        m_transmitPosition = 0;
        m_transmitRemaining = m_transmitLength;
    }
    if (m_transmitRemaining == 0 || !port.TransmitSlotFree())
        return;

    const int n = std::min(m_transmitRemaining, kTransmitSlotSize);
    const std::uint8_t* piece = m_transmit + m_transmitPosition;
    LinkLog& log = port.Log();
    if (log.IsOpen()) {
        log.Event("...sent [0x%02x] (%i)", m_transmit[0], m_transmitRemaining);
        std::string line = "T(";
        char hex[8];
        for (int i = 0; i < n; ++i) {
            std::snprintf(hex, sizeof hex, "0x%02x ", piece[i]);
            line += hex;
        }
        line += ')';
        log.Event("%s", line.c_str());
    }
    m_transmitPosition += n;
    m_transmitRemaining -= n;
    // The count is set last inside the hand-over: from then on the slot is the port thread's.
    port.HandOverTransmit(piece, n);
}
