#include "bench/link/job_recorder.h"

JobRecorder::JobRecorder(ITransferEngine& engine, const LineMeter& meter)
    : m_engine(engine)
    , m_meter(meter)
{
}

void JobRecorder::StartJob(int job, int start, int count, int flags)
{
    // The engine ignores a start while a job runs or a result waits; only a job it took is recorded.
    const bool free = m_engine.Job() == JOB_NONE;
    m_engine.StartJob(job, start, count, flags);
    if (!free || m_engine.Job() == JOB_NONE)
        return;
    RecordedJob recorded;
    recorded.job = job;
    recorded.startTick = m_tick;
    recorded.bytes = m_meter.Bytes();
    recorded.started = std::chrono::steady_clock::now();
    m_jobs.push_back(recorded);
}

void JobRecorder::TakeResult()
{
    const int result = m_engine.Job();
    if ((result == JOB_DONE || result == JOB_FAILED) && !m_jobs.empty() && m_jobs.back().endTick < 0) {
        RecordedJob& recorded = m_jobs.back();
        recorded.endTick = m_tick;
        recorded.result = result;
        recorded.bytes = m_meter.Bytes() - recorded.bytes;
        const auto lastByte = m_meter.LastReceived();
        if (lastByte > recorded.started)
            recorded.busyMs = std::chrono::duration<double, std::milli>(lastByte - recorded.started).count();
    }
    m_engine.TakeResult();
}
