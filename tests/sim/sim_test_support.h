#pragma once

// A simulated unit on the test's desk: requests are built with the PC's frame builders and the
// unit's replies are cut out of the byte stream by the PC's own receive codec, so every test checks
// the unit against what the PC really accepts.

#include "link/ccom.h"
#include "link/ccomframe.h"
#include "link/frame_format.h"
#include "sim/unit_engine.h"
#include "sim/unit_requests.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline const int kAllProtocols[] = { WCOM, WCOMS, IGN50, IGN100, IGN150, IGN300 };

inline UnitConfig ConfigFor(int protocol)
{
    UnitConfig config;
    config.protocol = protocol;
    config.baudRate = DefaultBaudRate(protocol);
    // A still engine keeps the monitor block steady unless a test wants it moving.
    config.engine.fixedRpm = 0;
    config.engine.input1 = 0;
    config.engine.input2 = 0;
    return config;
}

// Data bytes per frame, as the PC works them out from the identification: N in the IGN family,
// the unit's frame size less 16 in the WCOM family.
inline int BlockSize(const UnitConfig& config)
{
    return IsIgnProtocol(config.protocol) ? IgnDataSize(config.protocol) : config.wcomFrameSize - kWcomOverhead;
}

inline Bytes IgnRequestFrame(int protocol, int code, const Bytes& data = {}, int key = 0)
{
    const int n = IgnDataSize(protocol);
    Bytes padded(n, 0);
    std::copy_n(data.begin(), std::min<size_t>(data.size(), n), padded.begin());
    Bytes frame(kFrameBufferSize);
    frame.resize(BuildIgnFrame(frame, n, code, 0, padded.data(), key));
    return frame;
}

inline Bytes WcomRequestFrame(int protocol, int command, int address, const Bytes& data = {})
{
    Bytes frame(kFrameBufferSize);
    frame.resize(BuildWcomFrame(frame, command | (protocol == WCOMS ? kWcomSumFlag : 0), address,
        static_cast<int>(data.size()), data.empty() ? nullptr : data.data()));
    return frame;
}

inline Bytes LengthWord(int length)
{
    return { static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>(length >> 8) };
}

inline int WordAt(const Bytes& bytes, int at)
{
    return bytes[at] | (bytes[at + 1] << 8);
}

// The PC's end: its receive codec on a port record that the test fills.
class PcReceiver {
public:
    explicit PcReceiver(int protocol, int gapTimeoutMs = 400) { m_codec.Reset(protocol, gapTimeoutMs); }

    // Every frame the PC's codec finds in the stream (short WCOM replies already rewritten).
    std::vector<Bytes> Frames(const Bytes& stream)
    {
        std::vector<Bytes> frames;
        size_t at = 0;
        do {
            const RingSpans room = m_port.FreeSpans();
            const int n = static_cast<int>(std::min<size_t>(room.first + room.second, stream.size() - at));
            at += m_port.StoreReceived(stream.data() + at, n);
            while (m_codec.Receive(m_port))
                frames.emplace_back(m_codec.Frame(), m_codec.Frame() + m_codec.FrameLength());
        } while (at < stream.size());
        return frames;
    }

private:
    LinkClock m_clock;
    LinkLog m_log;
    CCOM m_port { 1, m_clock, m_log };
    CCOMFRAME m_codec;
};

// A unit and the PC's receiver, with the unit's clock in the test's hand.
class Bench {
public:
    explicit Bench(const UnitConfig& config) : m_engine(config, 0), m_pc(config.protocol) {}

    UnitEngine& Engine() { return m_engine; }
    UnitState& Unit() { return m_engine.State(); }
    SimTime Now() const { return m_now; }
    void Advance(SimTime ms)
    {
        m_now += ms;
        m_engine.Tick(m_now);
    }

    // Sends a request now and returns the frames of the unit's answer that are due by now.
    std::vector<Bytes> Send(const Bytes& request)
    {
        m_engine.Receive(request, m_now);
        return Collect();
    }
    std::vector<Bytes> Collect() { return m_pc.Frames(m_engine.TakeOutput(m_now)); }
    // The raw bytes due by now.
    Bytes Raw() { return m_engine.TakeOutput(m_now); }

    // The one reply to a request; nullopt when there is none (or more than one).
    std::optional<Bytes> Exchange(const Bytes& request)
    {
        const std::vector<Bytes> frames = Send(request);
        if (frames.size() != 1)
            return std::nullopt;
        return frames.front();
    }

private:
    UnitEngine m_engine;
    PcReceiver m_pc;
    SimTime m_now = 0;
};
