#include "link/ccom.h"

#include "link/port_thread.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

RingSpans ReceiveRingFree(int readIndex, int writeIndex)
{
    RingSpans spans;
    if (writeIndex >= readIndex) {
        spans.first = kRingSize - writeIndex;
        spans.second = readIndex;
    } else {
        spans.first = readIndex - writeIndex;
        spans.second = 0;
    }
    if (spans.second > 0)
        --spans.second;
    else
        --spans.first;
    return spans;
}

CCOM::CCOM(int index, const LinkClock& clock, LinkLog& log)
    : m_index(index)
    , m_clock(clock)
    , m_log(log)
{
    std::snprintf(m_traceName, sizeof m_traceName, "COM%i", index);
#if defined(Q_OS_WIN)
    m_devicePath = QStringLiteral("\\\\.\\COM%1").arg(index);
#endif
}

CCOM::~CCOM() = default;

bool CCOM::HandOverTransmit(const std::uint8_t* bytes, int count)
{
    if (count <= 0 || count > kTransmitSlotSize || !TransmitSlotFree())
        return false;
    std::memcpy(m_transmitSlot, bytes, count);
    m_transmitCount.store(count, std::memory_order_release);
    Wake();
    return true;
}

bool CCOM::ReceiveEmpty() const
{
    return m_readIndex.load(std::memory_order_relaxed) == m_writeIndex.load(std::memory_order_acquire);
}

bool CCOM::TakeReceived(std::uint8_t& byte)
{
    const int read = m_readIndex.load(std::memory_order_relaxed);
    if (read == m_writeIndex.load(std::memory_order_acquire))
        return false;
    byte = m_ring[read];
    m_readIndex.store((read + 1) % kRingSize, std::memory_order_release);
    return true;
}

void CCOM::DiscardReceived()
{
    m_readIndex.store(m_writeIndex.load(std::memory_order_acquire), std::memory_order_release);
}

RingSpans CCOM::FreeSpans() const
{
    return ReceiveRingFree(
        m_readIndex.load(std::memory_order_acquire), m_writeIndex.load(std::memory_order_relaxed));
}

void CCOM::CommitReceived(int count)
{
    if (count <= 0)
        return;
    const int write = m_writeIndex.load(std::memory_order_relaxed);
    m_writeIndex.store((write + count) % kRingSize, std::memory_order_release);
}

int CCOM::StoreReceived(const std::uint8_t* bytes, int count)
{
    int stored = 0;
    for (int part = 0; part < 2 && stored < count; ++part) {
        const RingSpans room = FreeSpans();
        const int n = std::min(count - stored, room.first);
        if (n <= 0)
            break;
        std::memcpy(ReceiveSpace(m_writeIndex.load(std::memory_order_relaxed)), bytes + stored, n);
        CommitReceived(n);
        stored += n;
    }
    return stored;
}

void CCOM::Wake()
{
    if (PortWakeup* wakeup = m_wakeup.load(std::memory_order_acquire))
        wakeup->Signal();
}
