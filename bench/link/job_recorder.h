#pragma once

#include "bench/link/line_meter.h"
#include "link/transfer_engine_interface.h"

#include <chrono>
#include <vector>

// One transfer job as the driver ran it.
struct RecordedJob {
    int job = 0;
    int startTick = 0; // the tick whose step started it
    int endTick = -1; // the tick whose step took its result; -1 while it runs
    int result = 0; // JOB_DONE or JOB_FAILED once taken
    LineBytes bytes; // on the line between its start and the taking of its result
    // From its start to the last byte of its last reply: what the job really took, of which the
    // worker needs only a moment more to report it.
    double busyMs = 0;
    std::chrono::steady_clock::time_point started;
};

// Sits between the unit-operation driver and the transfer engine and writes down every job the
// driver starts and when it takes the result, with the bytes each moved. Everything else is passed
// through unchanged, so the driver runs exactly as in the window. Main thread only.
class JobRecorder : public ITransferEngine
{
public:
    JobRecorder(ITransferEngine& engine, const LineMeter& meter);

    void SetTick(int tick) { m_tick = tick; }
    const std::vector<RecordedJob>& Jobs() const { return m_jobs; }

    void StartJob(int job, int start, int count, int flags) override;
    int Job() const override { return m_engine.Job(); }
    int LastJob() const override { return m_engine.LastJob(); }
    void TakeResult() override;
    int CurrentAddress() const override { return m_engine.CurrentAddress(); }
    void SetCommand(int word, int address, int length) override
    {
        m_engine.SetCommand(word, address, length);
    }

    int ConnectedPort() const override { return m_engine.ConnectedPort(); }
    bool Enabled() const override { return m_engine.Enabled(); }
    void SetEnabled(bool enabled) override { m_engine.SetEnabled(enabled); }
    void Disconnect() override { m_engine.Disconnect(); }
    void LinkStep() override { m_engine.LinkStep(); }

    int PortSelection() const override { return m_engine.PortSelection(); }
    int SearchSlotPort(int slot) const override { return m_engine.SearchSlotPort(slot); }

    std::span<uint8_t> PcImage() override { return m_engine.PcImage(); }
    std::span<uint8_t> SendFlags() override { return m_engine.SendFlags(); }
    std::span<const uint8_t> ReadBack() const override { return m_engine.ReadBack(); }

private:
    ITransferEngine& m_engine;
    const LineMeter& m_meter;
    int m_tick = 0;
    std::vector<RecordedJob> m_jobs;
};
