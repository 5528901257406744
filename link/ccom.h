#pragma once

#include "link/link_clock.h"
#include "link/link_log.h"
#include "platform/serial_wakeup.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class IPortThread;

constexpr int kPortCount = 256;
constexpr int kRingSize = 330;
constexpr int kTransmitSlotSize = 330;
constexpr int kDefaultBaudRate = 115200;

// Port status, set by the port thread.
constexpr std::uint8_t kPortClosed = 0;
constexpr std::uint8_t kPortOpening = 16;
constexpr std::uint8_t kPortOpen = 32;
constexpr std::uint8_t kPortClosing = 48;

// Last notable event of a port.
constexpr std::uint8_t kAlertNone = 0;
constexpr std::uint8_t kAlertOpenFailed = 1;
constexpr std::uint8_t kAlertOpenGivenUp = 2;
constexpr std::uint8_t kAlertNoThread = 3;
constexpr std::uint8_t kAlertWritten = 16;
constexpr std::uint8_t kAlertRead = 32;

// Request bits, set by open and close requests; both together mean close, then open again.
constexpr std::uint8_t kRequestOpen = 1;
constexpr std::uint8_t kRequestClose = 2;

// Order from the port manager to the port thread (the sub-state).
constexpr std::uint8_t kOrderNone = 0;
constexpr std::uint8_t kOrderOpen = 1;
constexpr std::uint8_t kOrderClose = 2;

// Life of the port thread.
constexpr std::uint8_t kThreadNone = 0;
constexpr std::uint8_t kThreadRunning = 1;
constexpr std::uint8_t kThreadEnded = 2;

// Free room of the receive ring: `first` bytes from the write index on, then `second` bytes from
// the start of the ring. One byte always stays free, so a full ring never looks empty.
struct RingSpans {
    int first = 0;
    int second = 0;
};
RingSpans ReceiveRingFree(int readIndex, int writeIndex);

// The record of one port number. Fields that one thread writes and another polls are atomics; each
// has one writer at a time:
// - the port thread: status, the write index, the freeing of the transmit slot, the thread's end;
// - the main thread: requests, orders, baud rate, mode text, device path;
// - the codec that uses the port: the read index and the filling of the transmit slot.
// The transmit slot changes hands through its count (filled, then count set; written, then count
// 0); the ring bytes through the indices (stored, then write index moved; taken, then read index
// moved).
class CCOM
{
public:
    CCOM(int index, const LinkClock& clock, LinkLog& log);
    ~CCOM();
    CCOM(const CCOM&) = delete;
    CCOM& operator=(const CCOM&) = delete;

    int Index() const { return m_index; }
    // "COM<n>": the name in the serial trace and in messages.
    const char* TraceName() const { return m_traceName; }
    const LinkClock& Clock() const { return m_clock; }
    LinkLog& Log() const { return m_log; }

    std::uint8_t Status() const { return m_status.load(std::memory_order_acquire); }
    std::uint8_t Alert() const { return m_alert.load(std::memory_order_acquire); }
    std::uint8_t Request() const { return m_request.load(std::memory_order_acquire); }
    std::uint8_t SubState() const { return m_subState.load(std::memory_order_acquire); }
    std::uint8_t ThreadState() const { return m_threadState.load(std::memory_order_acquire); }

    // Main thread.
    bool HasThread() const { return m_thread != nullptr; }
    int BaudRate() const { return m_baudRate; }
    bool Present() const { return m_present; }
    const QString& DevicePath() const { return m_devicePath; }
    // "<baud>,N,8,1", written when an open starts.
    const char* ModeText() const { return m_modeText; }
    int RequestTime() const { return m_requestTime; }

    // Codec's side of the transmit slot: free when its count is 0. Hand-over copies the bytes and
    // sets the count last, then wakes the port thread. False (nothing done) while the slot is busy
    // or for a count outside 1..330.
    bool TransmitSlotFree() const { return m_transmitCount.load(std::memory_order_acquire) == 0; }
    int TransmitCount() const { return m_transmitCount.load(std::memory_order_acquire); }
    bool HandOverTransmit(const std::uint8_t* bytes, int count);
    // Port thread's side: the piece handed over (TransmitCount bytes), freed once written.
    const std::uint8_t* TransmitSlot() const { return m_transmitSlot; }
    void ReleaseTransmit() { m_transmitCount.store(0, std::memory_order_release); }

    // Codec's side of the receive ring.
    bool ReceiveEmpty() const;
    // Takes the oldest byte; false when the ring is empty.
    bool TakeReceived(std::uint8_t& byte);
    // Drops everything received so far.
    void DiscardReceived();
    int ReadIndex() const { return m_readIndex.load(std::memory_order_acquire); }
    int WriteIndex() const { return m_writeIndex.load(std::memory_order_acquire); }

    // Producer's side of the receive ring (the port thread, or a test standing in for it):
    // room for new bytes, where they go, and the commit that publishes them.
    RingSpans FreeSpans() const;
    std::uint8_t* ReceiveSpace(int index) { return &m_ring[index]; }
    void CommitReceived(int count);
    // Stores as many bytes as fit, wrapping at the ring's end; returns how many were stored.
    int StoreReceived(const std::uint8_t* bytes, int count);

    // Wakes the port thread, if the port ever had one. Any thread.
    void Wake();

private:
    friend class CCOMIOSYS;
    friend class PortWorker;

    const int m_index;
    char m_traceName[8];
    const LinkClock& m_clock;
    LinkLog& m_log;

    std::atomic<std::uint8_t> m_status { kPortClosed };
    std::atomic<std::uint8_t> m_alert { kAlertNone };
    std::atomic<std::uint8_t> m_request { 0 };
    std::atomic<std::uint8_t> m_subState { kOrderNone };
    std::atomic<std::uint8_t> m_threadState { kThreadNone };

    // Main thread only; the port thread gets the open parameters through m_openPath and
    // m_modeText, written before its thread starts.
    int m_baudRate = kDefaultBaudRate;
    bool m_present = false;
    int m_requestTime = 0;
    QString m_devicePath;
    QString m_openPath;
    char m_modeText[20] = {};
    std::unique_ptr<IPortThread> m_thread;
    // Made when the port first gets a thread and kept for the run, so that a codec may wake it at
    // any time; published before the thread starts.
    std::unique_ptr<PortWakeup> m_wakeupOwned;
    std::atomic<PortWakeup*> m_wakeup { nullptr };

    std::uint8_t m_transmitSlot[kTransmitSlotSize] = {};
    std::atomic<int> m_transmitCount { 0 };

    std::uint8_t m_ring[kRingSize] = {};
    std::atomic<int> m_readIndex { 0 };
    std::atomic<int> m_writeIndex { 0 };
};
