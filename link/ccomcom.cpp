#include "link/ccomcom.h"

#include "link/frame_format.h"
#include "link/transfer_blocks.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{

bool KnownJob(int job)
{
    return job == JOB_WRITE || job == JOB_READ || job == JOB_MONITOR || job == JOB_COMMAND || job == JOB_INFO;
}

// Jobs whose replies carry data for the read-back image.
bool ReadsData(int job)
{
    return job == JOB_READ || job == JOB_MONITOR || job == JOB_INFO;
}

} // namespace

CCOMCOM::CCOMCOM(IPortListProvider& portList, SerialPortFactory openDevice, PortThreadStarter portThreads,
    PortThreadStarter workerThread)
    : CCOMSEARCH(portList, std::move(openDevice), std::move(portThreads))
    , m_pcImage(std::make_unique<std::uint8_t[]>(kImageSize))
    , m_sendFlags(std::make_unique<std::uint8_t[]>(kImageSize))
    , m_readBack(std::make_unique<std::uint8_t[]>(kImageSize))
{
    // Started last: the worker may look at every member from its first pass on.
    if (workerThread)
        m_worker = workerThread([this] { RunWorker(); });
}

CCOMCOM::~CCOMCOM()
{
    StopLink();
    m_wakeup.Signal();
    if (m_worker)
        m_worker->Join();
}

// ---- Main thread ---------------------------------------------------------------------------------

void CCOMCOM::StartJob(int job, int start, int count, int flags)
{
    if (Job() != JOB_NONE || !KnownJob(job))
        return;
    start = std::clamp(start, 0, kImageSize);
    const int end = start + std::clamp(count, 0, kImageSize - start);
    for (int address = start; address < end; ++address) {
        if (flags & kJobClearPcImage)
            m_pcImage[address] = 0;
        if (flags & kJobMarkSendFlags)
            m_sendFlags[address] = 1;
        m_readBack[address] = 0;
    }
    m_currentAddress.store(start, std::memory_order_relaxed);
    m_count.store(count, std::memory_order_relaxed);
    m_endAddress.store(end, std::memory_order_relaxed);
    m_attempt.store(0, std::memory_order_relaxed);
    m_attemptsAllowed.store(flags & kJobSingleAttempt ? 1 : kAttempts, std::memory_order_relaxed);
    // Written last: the worker takes the job up from here.
    m_job.store(job, std::memory_order_release);
    m_wakeup.Signal();
}

void CCOMCOM::SetCommand(int word, int address, int length)
{
    m_commandWord.store(word, std::memory_order_relaxed);
    m_commandAddress.store(address, std::memory_order_relaxed);
    m_commandLength.store(length, std::memory_order_relaxed);
}

void CCOMCOM::TakeResult()
{
    int job = Job();
    if (job == JOB_DONE || job == JOB_FAILED)
        m_job.compare_exchange_strong(job, JOB_NONE, std::memory_order_acq_rel);
}

void CCOMCOM::LinkStep()
{
    SearchStep();
    const int state = State();
    const bool linked = ConnectedPort() != 0 && Enabled();
    if (state == kWorkerIdle) {
        if (!linked)
            return;
        m_job.store(JOB_NONE, std::memory_order_seq_cst);
        WaitForWorkerPass();
        CCOMFRAME& codec = ConnectedRecord().codec;
        codec.SetTransmitLength(0);
        codec.RestartTransmit();
        m_state.store(kWorkerChoose, std::memory_order_seq_cst);
        return;
    }
    if (!linked) {
        ResetWorker();
        return;
    }
    if (state == kWorkerWaiting
        && Clock().Now() - m_sendTime.load(std::memory_order_acquire) > kReplyTimeoutMs)
        MoveState(kWorkerWaiting, kWorkerFailedAttempt);
}

void CCOMCOM::Disconnect()
{
    const int port = ConnectedPort();
    if (port == 0)
        return;
    Log().Event("Close Port COM%i...", port);
    ResetWorker();
    CloseRequest(port);
    SetConnectedPort(0);
    SetPortListChanged();
}

void CCOMCOM::AdoptUnit(const CCOMSLOT& slot)
{
    // The worker is idle whenever no unit is connected; this only makes sure it has left its last
    // pass before the record it works with is replaced.
    m_state.store(kWorkerIdle, std::memory_order_seq_cst);
    WaitForWorkerPass();
    CCOMSEARCH::AdoptUnit(slot);
}

void CCOMCOM::ResetWorker()
{
    m_state.store(kWorkerIdle, std::memory_order_seq_cst);
    m_job.store(JOB_NONE, std::memory_order_seq_cst);
    WaitForWorkerPass();
    CCOMFRAME& codec = ConnectedRecord().codec;
    codec.SetTransmitLength(0);
    codec.RestartTransmit();
}

void CCOMCOM::WaitForWorkerPass() const
{
    // The worker announces a pass before it looks at the state, and the state was reset before this
    // looks at the announcement (both sequentially consistent): either the worker sees the reset and
    // leaves the unit alone, or this sees the pass and waits for its end. A pass never sleeps.
    while (m_inPass.load(std::memory_order_seq_cst))
        std::this_thread::yield();
}

bool CCOMCOM::MoveState(int from, int to)
{
    return m_state.compare_exchange_strong(from, to, std::memory_order_acq_rel);
}

// ---- Worker thread -------------------------------------------------------------------------------

void CCOMCOM::RunWorker()
{
    while (!Stopping()) {
        Log().SetLoopCount(++m_loopCount);
        if (!JobRunning(Job()) || State() == kWorkerIdle) {
            m_wakeup.Wait(kIdlePassMs);
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kBusyPassMs));
        WorkerPass();
    }
}

void CCOMCOM::WorkerPass()
{
    m_inPass.store(true, std::memory_order_seq_cst);
    if (m_state.load(std::memory_order_seq_cst) != kWorkerIdle
        && JobRunning(m_job.load(std::memory_order_seq_cst))) {
        // One pass may carry a frame on by several states: a repeat goes out at once, and a good
        // reply is followed by the next frame, which is handed to the port in the same pass (a
        // pass later it would lose a millisecond per frame, on a line whose frames nearly fill a
        // tick).
        if (State() == kWorkerFailedAttempt)
            HandleFailedAttempt();
        if (State() == kWorkerWaiting)
            HandleWaiting();
        if (State() == kWorkerSending)
            HandleSending();
        if (State() == kWorkerChoose) {
            HandleChoose();
            if (State() == kWorkerSending)
                HandleSending();
        }
    }
    m_inPass.store(false, std::memory_order_release);
}

void CCOMCOM::HandleFailedAttempt()
{
    int attempt = Attempt();
    Log().Event("COM timeout or redirection (%i)...", attempt);
    m_attempt.store(++attempt, std::memory_order_release);
    m_counters.failedAttempts.fetch_add(1, std::memory_order_relaxed);
    if (attempt < AttemptsAllowed()) {
        ConnectedRecord().codec.RestartTransmit();
        m_sendTime.store(Clock().Now(), std::memory_order_release);
        MoveState(kWorkerFailedAttempt, kWorkerSending);
        return;
    }
    const int job = Job();
    if (MoveState(kWorkerFailedAttempt, kWorkerChoose))
        EndJob(job, JOB_FAILED);
}

void CCOMCOM::HandleWaiting()
{
    CCOMSLOT& unit = ConnectedRecord();
    if (!unit.codec.Receive(Port(unit.port)))
        return;
    const std::uint8_t* frame = unit.codec.Frame();
    Log().Event("Frame rec [0x%02x] (%i)...", frame[0], unit.codec.FrameLength());
    const int job = Job();
    if (IsIgnProtocol(unit.codec.Protocol()))
        HandleWaitingIgn(frame, job);
    else
        HandleWaitingWcom(frame, job);
}

void CCOMCOM::HandleWaitingIgn(const std::uint8_t* frame, int job)
{
    const int n = IgnDataSize(ConnectedRecord().codec.Protocol());
    const int expected = m_expectedReply.load(std::memory_order_relaxed);
    const int current = CurrentAddress();
    const int attempt = Attempt();
    if (frame[0] != expected) {
        Log().Event("COM not expected answer 0x%02x!=0x%02x (%i)...", frame[0], expected, attempt);
        MoveState(kWorkerWaiting, kWorkerFailedAttempt);
        return;
    }
    const int address = IgnReplyAddress(frame[0], n, job == JOB_WRITE || job == JOB_READ);
    if (address != current) {
        Log().Event("address is not equal %i!=%i (%i)...", current, address, attempt);
        MoveState(kWorkerWaiting, kWorkerFailedAttempt);
        return;
    }
    const std::uint8_t* data = frame + 1;
    // The part of a block past the image went out as zeros.
    const int inImage = std::clamp(kImageSize - current, 0, n);
    if (job == JOB_WRITE) {
        int errors = 0;
        for (int i = 0; i < n; ++i)
            errors += data[i] != (i < inImage ? m_pcImage[current + i] : 0);
        if (errors > 0) {
            Log().Event("COM verify fail, %i errors (%i)...", errors, attempt);
            MoveState(kWorkerWaiting, kWorkerFailedAttempt);
            return;
        }
    }
    // A time-out that came first wins: the frame is repeated and this reply forgotten.
    if (!MoveState(kWorkerWaiting, kWorkerChoose))
        return;
    if (ReadsData(job))
        std::copy_n(data, inImage, m_readBack.get() + current);
    m_currentAddress.store(current + n, std::memory_order_release);
    m_attempt.store(0, std::memory_order_release);
}

void CCOMCOM::HandleWaitingWcom(const std::uint8_t* frame, int job)
{
    const WcomFields fields = ReadWcomFields(frame);
    // Not the answer to this request (an echo, a refusal, a late answer to another request): the
    // reply time-out repeats the request if no better one comes.
    if ((fields.type & 0x0F) != kWcomKindReply
        || fields.command != m_expectedReply.load(std::memory_order_relaxed))
        return;
    const int current = CurrentAddress();
    const int length = m_blockLength.load(std::memory_order_relaxed);
    const bool sized = ReadsData(job);
    if (fields.address != current || (sized && fields.length != length)) {
        Log().Event("len or address is not equal %i!=%i (%i)...", current, fields.address, Attempt());
        MoveState(kWorkerWaiting, kWorkerFailedAttempt);
        return;
    }
    if (!MoveState(kWorkerWaiting, kWorkerChoose))
        return;
    if (sized)
        std::copy_n(
            frame + kWcomDataOffset, std::clamp(kImageSize - current, 0, length), m_readBack.get() + current);
    m_currentAddress.store(current + length, std::memory_order_release);
    m_attempt.store(0, std::memory_order_release);
}

void CCOMCOM::HandleSending()
{
    CCOMSLOT& unit = ConnectedRecord();
    unit.codec.Send(Port(unit.port));
    if (unit.codec.TransmitStarted() && unit.codec.TransmitRemaining() == 0)
        MoveState(kWorkerSending, kWorkerWaiting);
}

void CCOMCOM::HandleChoose()
{
    const int job = Job();
    if (!JobRunning(job))
        return;
    CCOMSLOT& unit = ConnectedRecord();
    const int blockSize = unit.BlockSize();
    const bool ign = IsIgnProtocol(unit.codec.Protocol());
    const int current = CurrentAddress();
    const int end = EndAddress();
    const std::optional<TransferBlock> block = ign
        ? FindIgnBlock(m_sendFlags.get(), kImageSize, current, end, blockSize)
        : FindWcomBlock(m_sendFlags.get(), kImageSize, current, end, blockSize);
    if (!block) {
        EndJob(job, JOB_DONE);
        return;
    }
    if (ign && !IgnBlockReachable(job, block->start / blockSize)) {
        Log().Event("block %i out of reach (Job=%i)...", block->start / blockSize, job);
        EndJob(job, JOB_FAILED);
        return;
    }
    m_currentAddress.store(block->start, std::memory_order_release);
    m_blockLength.store(block->length, std::memory_order_relaxed);

    // A reply to this frame cannot be here before the frame has gone out: whatever waits is left
    // over from earlier frames and would otherwise be taken for this frame's answer.
    CCOM& port = Port(unit.port);
    port.DiscardReceived();
    unit.codec.Reset(unit.codec.Protocol(), unit.codec.GapTimeout());
    BuildFrame(job);
    unit.codec.RestartTransmit();
    m_sendTime.store(Clock().Now(), std::memory_order_release);
    if (!MoveState(kWorkerChoose, kWorkerSending))
        return;
    m_counters.frames.fetch_add(1, std::memory_order_relaxed);
    const std::uint8_t* sent = unit.codec.TransmitBuffer();
    Log().Event("Frame send [0x%02x] (%i).../Job=%i,len=%i/ data[21]=0x%02x", sent[0],
        unit.codec.TransmitLength(), job, m_count.load(std::memory_order_relaxed), sent[21]);
}

void CCOMCOM::BuildFrame(int job)
{
    CCOMSLOT& unit = ConnectedRecord();
    CCOMFRAME& codec = unit.codec;
    const int protocol = codec.Protocol();
    const int current = CurrentAddress();
    const int length = m_blockLength.load(std::memory_order_relaxed);

    if (IsIgnProtocol(protocol)) {
        const int n = IgnDataSize(protocol);
        const int block = current / n;
        int base = 0;
        int offset = block;
        int key = 0;
        switch (job) {
        case JOB_COMMAND:
            base = 0x00;
            offset = 0;
            break;
        case JOB_INFO:
            base = 0x40;
            offset = 0;
            break;
        case JOB_WRITE:
            base = 0x01;
            break;
        case JOB_READ:
            base = 0x41;
            break;
        case JOB_MONITOR:
            base = 0x30;
            key = Key();
            break;
        }
        // Every request carries the N bytes of the PC image at the block, needed or not.
        std::uint8_t data[kFrameBufferSize] = {};
        std::copy_n(m_pcImage.get() + current, std::clamp(kImageSize - current, 0, n), data);
        codec.BuildIgnFrame(n, base, offset, data, key);
        codec.SetTransmitLength(n + kIgnOverhead);
        m_expectedReply.store((base + offset + kIgnReplyBit) & 0xFF, std::memory_order_relaxed);
        return;
    }

    const int check = protocol == WCOMS ? kWcomSumFlag : 0;
    const std::uint8_t lengthWord[2]
        = { static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>((length >> 8) & 0xFF) };
    int word = 0;
    int address = current;
    int dataLength = 0;
    const std::uint8_t* data = nullptr;
    switch (job) {
    case JOB_COMMAND:
        word = m_commandWord.load(std::memory_order_relaxed) & 0xFFFF;
        address = m_commandAddress.load(std::memory_order_relaxed);
        // A command carries no data; a length, if given, goes out as zeros.
        dataLength = std::clamp(m_commandLength.load(std::memory_order_relaxed), 0, kWcomMaxData);
        break;
    case JOB_INFO:
    case JOB_READ:
        word = job == JOB_INFO ? 0x701F : 0x7010;
        data = lengthWord;
        dataLength = 2;
        break;
    case JOB_WRITE:
    case JOB_MONITOR:
        word = job == JOB_WRITE ? 0x7020 : 0x7050;
        data = m_pcImage.get() + current;
        dataLength = length;
        break;
    }
    codec.BuildWcomFrame(word | check, address, dataLength, data);
    // The frame as built, and nothing of the buffer behind it.
    codec.SetTransmitLength(kWcomOverhead + dataLength);
    m_expectedReply.store(word, std::memory_order_relaxed);
}

void CCOMCOM::EndJob(int job, int result)
{
    m_lastJob.store(job, std::memory_order_release);
    (result == JOB_DONE ? m_counters.doneJobs : m_counters.failedJobs)
        .fetch_add(1, std::memory_order_relaxed);
    // The result is the last thing written for a job: the read-back image is complete by now.
    m_job.compare_exchange_strong(job, result, std::memory_order_acq_rel);
}
