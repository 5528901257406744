#pragma once

#include "link/ccomsearch.h"
#include "link/transfer_jobs.h"
#include "platform/serial_wakeup.h"

#include <atomic>
#include <cstdint>
#include <memory>

// Link-health counters of the transfer engine, readable from any thread.
struct TransferCounters {
    std::atomic<std::uint32_t> frames { 0 }; // frames built and sent, repeats not counted
    std::atomic<std::uint32_t> failedAttempts { 0 }; // time-outs and bad replies
    std::atomic<std::uint32_t> doneJobs { 0 };
    std::atomic<std::uint32_t> failedJobs { 0 };
};

// The device link as the main window owns it: the ports, the port search and the transfer engine
// that moves bytes between the PC and the connected unit.
//
// The caller puts bytes into the PC image, marks the addresses that take part in the send flags and
// starts a job; a worker thread cuts the marked range into frames of the connected protocol, sends
// them one at a time, checks each reply, repeats a frame that gets no good reply, and reports the
// job as done or failed. Jobs are started and their results taken on the main thread.
//
// Hand-over between the main thread and the worker, without locks:
// - StartJob writes the range, the arrays and the attempts first and the job code last; the worker
//   starts on seeing a running code.
// - The worker writes the read-back image before the result code, so the image may be read once
//   JOB_DONE is seen. The result code is the last thing the worker writes for a job.
// - Worker states move by compare-and-swap, so neither side overwrites the other's change: the
//   main thread only times out a wait (3 → 4) and resets the worker (to 0, or from 0 to 1).
// - After a reset the main thread waits until the worker has left any pass it was in, so from then
//   on the connected unit's record and codec are the main thread's until it sets state 1.
class CCOMCOM : public CCOMSEARCH
{
public:
    // Size of each of the three arrays of the unit image, indexed by unit address.
    static constexpr int kImageSize = 8000;
    // A frame without a good reply within this time (ms of TMR) after it was built is a failed attempt.
    static constexpr int kReplyTimeoutMs = 400;
    static constexpr int kAttempts = 3;
    // The worker's sleep between passes while a job runs, and while it has nothing to do.
    static constexpr int kBusyPassMs = 1;
    static constexpr int kIdlePassMs = 50;
    static constexpr unsigned kWorkerStackBytes = 512 * 1024;

    // workerThread starts the transfer worker (a QThread unless a test says otherwise).
    CCOMCOM(IPortListProvider& portList, SerialPortFactory openDevice,
        PortThreadStarter portThreads = QtPortThreadStarter(),
        PortThreadStarter workerThread = QtPortThreadStarter(kWorkerStackBytes));
    ~CCOMCOM() override;

    // The unit image. The PC image and the send flags are the caller's while no job runs; the
    // read-back image is the caller's while no job runs or once the job has ended.
    std::uint8_t* PcImage() { return m_pcImage.get(); }
    std::uint8_t* SendFlags() { return m_sendFlags.get(); }
    const std::uint8_t* ReadBack() const { return m_readBack.get(); }

    // Main thread. Ignored while a job runs or its result has not been taken. For every address of
    // [start, start + count): flag kJobClearPcImage clears the PC image byte, kJobMarkSendFlags sets
    // the send flag (without it the caller's flags are used as they are), and the read-back byte is
    // cleared. The range is kept inside the image.
    void StartJob(int job, int start, int count, int flags);
    // Parameters of JOB_COMMAND in the WCOM family: command word, address and length.
    void SetCommand(int word, int address, int length);

    // Main thread, every tick: the port search, then the worker's bookkeeping (start it when a unit
    // is connected, stop it when the unit is lost or the link is off, time out a reply).
    void LinkStep();
    // Main thread: closes the connected unit's port; the search starts again.
    void Disconnect();

    // The job code: running, JOB_DONE or JOB_FAILED, 0 when there is none. Any thread.
    int Job() const { return m_job.load(std::memory_order_acquire); }
    // The job that ended last with JOB_DONE or JOB_FAILED.
    int LastJob() const { return m_lastJob.load(std::memory_order_acquire); }
    // Main thread: takes an ended job's result so the next job may start. Nothing while one runs.
    void TakeResult();

    int State() const { return m_state.load(std::memory_order_acquire); }
    // Start address of the frame under way; after a good reply, the next address to look at.
    int CurrentAddress() const { return m_currentAddress.load(std::memory_order_acquire); }
    int Attempt() const { return m_attempt.load(std::memory_order_acquire); }
    int AttemptsAllowed() const { return m_attemptsAllowed.load(std::memory_order_acquire); }
    int EndAddress() const { return m_endAddress.load(std::memory_order_acquire); }
    const TransferCounters& Counters() const { return m_counters; }

protected:
    void AdoptUnit(const CCOMSLOT& slot) override;

private:
    void RunWorker();
    void WorkerPass();
    void HandleFailedAttempt();
    void HandleWaiting();
    void HandleWaitingIgn(const std::uint8_t* frame, int job);
    void HandleWaitingWcom(const std::uint8_t* frame, int job);
    void HandleSending();
    void HandleChoose();
    void BuildFrame(int job);
    void EndJob(int job, int result);
    bool MoveState(int from, int to);

    // Main thread: worker to state 0 and no job, then wait until it is out of its pass.
    void ResetWorker();
    void WaitForWorkerPass() const;

    std::unique_ptr<std::uint8_t[]> m_pcImage;
    std::unique_ptr<std::uint8_t[]> m_sendFlags;
    std::unique_ptr<std::uint8_t[]> m_readBack;

    std::atomic<int> m_state { kWorkerIdle };
    std::atomic<int> m_job { JOB_DONE };
    std::atomic<int> m_lastJob { JOB_DONE };
    std::atomic<int> m_commandWord { 0 };
    std::atomic<int> m_commandAddress { 0 };
    std::atomic<int> m_commandLength { 0 };
    std::atomic<int> m_expectedReply { -1 };
    std::atomic<int> m_currentAddress { 0 };
    std::atomic<int> m_blockLength { 0 };
    std::atomic<int> m_attempt { 0 };
    std::atomic<int> m_attemptsAllowed { kAttempts };
    std::atomic<int> m_count { 0 };
    std::atomic<int> m_endAddress { 0 };
    std::atomic<int> m_sendTime { 0 };
    // Set by the worker around every pass that may touch the connected unit or the image.
    std::atomic<bool> m_inPass { false };
    int m_loopCount = 0; // worker thread only
    TransferCounters m_counters;

    PortWakeup m_wakeup;
    std::unique_ptr<IPortThread> m_worker;
};
