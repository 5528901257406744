#include "sim/unit_engine.h"

#include "sim/unit_requests.h"

#include <algorithm>

namespace {

// The faults draw from their own sequence so that switching one on does not change the engine's run.
constexpr std::uint64_t kFaultSeedOffset = 0x5EED0F5EED0Full;
constexpr std::uint64_t kRequestFaultSeedOffset = 0x0DDBA11C0FFEEull;

} // namespace

UnitEngine::UnitEngine(const UnitConfig& config, SimTime now)
    : m_state(config, now), m_random(config.seed ^ kFaultSeedOffset), m_requestRandom(config.seed ^ kRequestFaultSeedOffset)
{
    m_parser.Reset(config.protocol, config.gapTimeoutMs);
}

void UnitEngine::Receive(std::span<const std::uint8_t> sent, SimTime now)
{
    Tick(now);
    if (m_unplugged || sent.empty())
        return;
    const std::vector<std::uint8_t> bytes = DamageRequest(sent);
    if (bytes.empty())
        return;
    if (Faults().echo) {
        Send(bytes, now);
        return;
    }
    if (m_state.Booting(now)) {
        m_parser.Restart();
        return;
    }
    for (std::uint8_t byte : bytes) {
        if (m_parser.Push(byte, now))
            HandleFrame(now);
        // A reset ends the request that carried it: what follows arrives while the unit boots.
        if (m_state.Booting(now))
            break;
    }
    UnitLinkCounters& counters = m_state.LinkCounters();
    counters.checkErrors = m_parser.Counters().checkErrors;
    counters.gapResets = m_parser.Counters().gapResets;
}

void UnitEngine::Tick(SimTime now)
{
    m_state.Tick(now);
}

void UnitEngine::HandleFrame(SimTime now)
{
    if (LoseThisAttempt())
        return;
    const std::uint8_t* frame = m_parser.Frame();
    std::vector<std::uint8_t> reply = IsIgnProtocol(Config().protocol) ? AnswerIgnRequest(m_state, frame, now)
                                                                      : AnswerWcomRequest(m_state, frame, now);
    if (reply.empty() || Faults().silent)
        return;
    if (Faults().unplugAfterReplies >= 0 && m_repliesSinceFaults >= Faults().unplugAfterReplies) {
        m_unplugged = true;
        m_pending.clear();
        m_pendingBytes = 0;
        return;
    }
    ++m_repliesSinceFaults;
    ++m_state.LinkCounters().replies;
    Send(std::move(reply), now + std::max(0, Faults().replyDelayMs));
}

std::vector<std::uint8_t> UnitEngine::DamageRequest(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> heard;
    heard.reserve(bytes.size());
    for (std::uint8_t byte : bytes) {
        if (m_requestRandom.Chance(Faults().requestDropRate))
            continue;
        if (m_requestRandom.Chance(Faults().requestCorruptRate))
            byte ^= static_cast<std::uint8_t>(m_requestRandom.Between(1, 255));
        heard.push_back(byte);
    }
    return heard;
}

bool UnitEngine::LoseThisAttempt()
{
    if (!Faults().loseFirstAttempt)
        return false;
    const std::vector<std::uint8_t> request(m_parser.Frame(), m_parser.Frame() + m_parser.FrameLength());
    // The repeat of the request that was lost gets through; any other request is lost once.
    if (request == m_lostRequest) {
        m_lostRequest.clear();
        return false;
    }
    m_lostRequest = request;
    return true;
}

void UnitEngine::Send(std::vector<std::uint8_t> bytes, SimTime due)
{
    std::vector<std::uint8_t> sent;
    sent.reserve(bytes.size());
    for (std::uint8_t byte : bytes) {
        if (m_random.Chance(Faults().dropRate))
            continue;
        if (m_random.Chance(Faults().corruptRate))
            byte ^= static_cast<std::uint8_t>(m_random.Between(1, 255));
        sent.push_back(byte);
    }
    if (sent.empty() || m_pendingBytes + static_cast<int>(sent.size()) > kMaxPendingBytes)
        return;
    m_pendingBytes += static_cast<int>(sent.size());
    m_pending.push_back({ due, std::move(sent) });
}

std::vector<std::uint8_t> UnitEngine::TakeOutput(SimTime now)
{
    Tick(now);
    std::vector<std::uint8_t> out;
    while (!m_pending.empty() && m_pending.front().due <= now) {
        const std::vector<std::uint8_t>& bytes = m_pending.front().bytes;
        out.insert(out.end(), bytes.begin(), bytes.end());
        m_pendingBytes -= static_cast<int>(bytes.size());
        m_pending.pop_front();
    }
    return out;
}

SimTime UnitEngine::NextOutputTime() const
{
    return m_pending.empty() ? 0 : m_pending.front().due;
}

void UnitEngine::LineOpened(SimTime now)
{
    Tick(now);
    m_parser.Restart();
    m_pending.clear();
    m_pendingBytes = 0;
}

void UnitEngine::LineClosed()
{
    m_parser.Restart();
    m_pending.clear();
    m_pendingBytes = 0;
}

void UnitEngine::SetFaults(const UnitFaults& faults)
{
    // Setting the faults again plugs the cable back in and starts the reply count anew.
    m_state.Config().faults = faults;
    m_repliesSinceFaults = 0;
    m_unplugged = false;
    m_lostRequest.clear();
}

void UnitEngine::SetUnplugged(bool unplugged)
{
    m_unplugged = unplugged;
    m_repliesSinceFaults = 0;
    m_parser.Restart();
    m_pending.clear();
    m_pendingBytes = 0;
}
