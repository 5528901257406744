#include "sim/request_parser.h"

#include <cstring>

namespace {

bool KnownWcomType(std::uint8_t type)
{
    const std::uint8_t check = type & 0xF0;
    return check == kWcomTypeCrc || check == kWcomTypeSum;
}

} // namespace

void UnitRequestParser::Reset(int protocol, int gapTimeoutMs)
{
    m_protocol = protocol;
    m_gapTimeout = gapTimeoutMs;
    m_frameSize = IsIgnProtocol(protocol) ? IgnDataSize(protocol) + kIgnOverhead : 0;
    m_position = 0;
    m_frameLength = 0;
    m_lastByteTime = 0;
}

bool UnitRequestParser::Push(std::uint8_t byte, SimTime now)
{
    if (m_position > 0 && now - m_lastByteTime > m_gapTimeout) {
        m_position = 0;
        ++m_counters.gapResets;
    }
    m_lastByteTime = now;
    if (IsIgnProtocol(m_protocol))
        return PushIgn(byte);
    if (IsWcomProtocol(m_protocol))
        return PushWcom(byte);
    return false;
}

bool UnitRequestParser::PushIgn(std::uint8_t byte)
{
    if (m_position == 0 && (byte & kIgnReplyBit)) {
        ++m_counters.skipped;
        return false;
    }
    m_buffer[m_position++] = byte;
    if (m_position < m_frameSize)
        return false;
    // A frame that fails its check is dropped whole: sliding into its data could take a data byte
    // for a command and act on it. The PC repeats only after a pause, which realigns the frames.
    m_position = 0;
    if (!IgnFrameValid(m_buffer, m_frameSize)) {
        ++m_counters.checkErrors;
        return false;
    }
    std::memcpy(m_frame, m_buffer, m_frameSize);
    m_frameLength = m_frameSize;
    ++m_counters.frames;
    return true;
}

bool UnitRequestParser::PushWcom(std::uint8_t byte)
{
    m_buffer[m_position++] = byte;
    if (m_position <= kWcomPreambleSize) {
        if (byte != kWcomPreamble[m_position - 1])
            Slide();
        return false;
    }
    if (m_position == kWcomTypeOffset + 1) {
        if (!KnownWcomType(byte))
            Slide();
        return false;
    }
    if (m_position < kWcomDataOffset)
        return false;
    const int length = m_buffer[kWcomLengthOffset] | (m_buffer[kWcomLengthOffset + 1] << 8);
    if (length > kWcomMaxData) {
        Slide();
        return false;
    }
    const int size = length + kWcomOverhead;
    if (m_position < size)
        return false;
    m_position = 0;
    if (!WcomFrameValid(m_buffer, size)) {
        ++m_counters.checkErrors;
        return false;
    }
    std::memcpy(m_frame, m_buffer, size);
    m_frameLength = size;
    ++m_counters.frames;
    return true;
}

void UnitRequestParser::Slide()
{
    // At most a header's worth of bytes is buffered here (the length is judged at byte 14), and
    // feeding them again can never reach the length field, so this does not recurse further than
    // the preamble checks.
    std::uint8_t pending[kWcomDataOffset];
    const int count = m_position - 1;
    std::memcpy(pending, m_buffer + 1, count);
    m_position = 0;
    ++m_counters.skipped;
    for (int i = 0; i < count; ++i)
        PushWcom(pending[i]);
}
