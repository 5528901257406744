#pragma once

// A unit whose every answer the test writes: requests are cut out of what the PC sends on an
// in-memory line, and the test's function says what goes back. For replies no simulated unit would
// give (a wrong echo, a late answer, an identification without its words).

#include "link/frame_format.h"
#include "platform/serial_memory.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ScriptedUnit
{
public:
    using Frame = std::vector<std::uint8_t>;
    // The bytes to send back for one request (none: no answer).
    using Answer = std::function<Frame(const Frame& request)>;

    // The unit listens at baudRate only (0: at any speed); what the PC sends at another speed is lost.
    ScriptedUnit(std::shared_ptr<MemorySerialLine> line, int protocol, Answer answer, int baudRate = 0)
        : m_line(std::move(line))
        , m_protocol(protocol)
        , m_baudRate(baudRate)
        , m_answer(std::move(answer))
    {
    }

    void Pump()
    {
        const QByteArray heard = m_line->TakeFromPc();
        // A port opened again starts with nothing half heard.
        if (!m_line->IsOpen() || m_line->OpenCount() != m_openCount) {
            m_openCount = m_line->OpenCount();
            m_pending.clear();
        }
        if (!m_line->IsOpen() || (m_baudRate != 0 && m_line->BaudRate() != m_baudRate))
            return;
        m_pending.insert(m_pending.end(), heard.begin(), heard.end());
        for (int size = FrameSize(); size > 0 && static_cast<int>(m_pending.size()) >= size;
             size = FrameSize()) {
            const Frame request(m_pending.begin(), m_pending.begin() + size);
            m_pending.erase(m_pending.begin(), m_pending.begin() + size);
            requests.push_back(request);
            const Frame reply = m_answer(request);
            if (!reply.empty())
                m_line->SendToPc(QByteArray(
                    reinterpret_cast<const char*>(reply.data()), static_cast<qsizetype>(reply.size())));
        }
    }

    // Every request heard, in order.
    std::vector<Frame> requests;

private:
    // Size of the request at the front: fixed in the IGN family, from the length field in WCOM.
    // In the WCOM family bytes ahead of a preamble (requests of the other family) are dropped.
    int FrameSize()
    {
        if (IsIgnProtocol(m_protocol))
            return IgnDataSize(m_protocol) + kIgnOverhead;
        while (!m_pending.empty()
            && !std::equal(m_pending.begin(),
                m_pending.begin() + std::min<size_t>(m_pending.size(), kWcomPreambleSize), kWcomPreamble))
            m_pending.erase(m_pending.begin());
        if (m_pending.size() < kWcomDataOffset)
            return 0;
        return (m_pending[kWcomLengthOffset] | m_pending[kWcomLengthOffset + 1] << 8) + kWcomOverhead;
    }

    std::shared_ptr<MemorySerialLine> m_line;
    int m_protocol;
    int m_baudRate;
    int m_openCount = 0;
    Answer m_answer;
    Frame m_pending;
};

// Replies built with the PC's own builders.
inline std::vector<std::uint8_t> IgnReply(
    int protocol, int code, const std::vector<std::uint8_t>& data = {}, int key = 0)
{
    const int n = IgnDataSize(protocol);
    std::vector<std::uint8_t> padded(n, 0);
    std::copy_n(data.begin(), std::min<size_t>(data.size(), n), padded.begin());
    std::vector<std::uint8_t> frame(kFrameBufferSize);
    frame.resize(BuildIgnFrame(frame, n, code, 0, padded.data(), key));
    return frame;
}

inline std::vector<std::uint8_t> WcomReply(
    int protocol, int command, int address, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> frame(kFrameBufferSize);
    frame.resize(BuildWcomFrame(frame, command | kWcomReplyFlag | (protocol == WCOMS ? kWcomSumFlag : 0),
        address, static_cast<int>(data.size()), data.data()));
    return frame;
}
