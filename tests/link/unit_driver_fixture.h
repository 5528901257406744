#pragma once

#include "link/transfer_engine_interface.h"
#include "link/unit_driver.h"
#include "shell/language.h"
#include "shell/message_table.h"
#include "tests/support/message_sink_capture.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <array>
#include <functional>
#include <map>
#include <vector>

// A transfer engine without a worker: a job started in one tick ends in the LinkStep of the next,
// against a unit memory the test sets up. Writes and reads move whole blocks of 50 bytes, as the
// IGN50 protocol does, so a single flagged byte carries its whole block.
class FakeTransferEngine : public ITransferEngine
{
public:
    static constexpr int kBlock = 50;
    static constexpr int kUnitMemory = 100;

    struct StartedJob {
        int job = 0;
        int start = 0;
        int count = 0;
        int flags = 0;
        std::array<uint8_t, kUnitMemory> sendFlags {}; // as the job starts
        std::array<uint8_t, kUnitMemory> pcImage {};
    };

    // The unit.
    std::array<uint8_t, kUnitMemory> memory {};
    std::array<uint8_t, 50> info {};
    std::array<uint8_t, 50> monitor {};
    bool acceptsWrites = true;

    // The link.
    int connectedPort = 0;
    bool enabled = true;
    int portSelection = 0;
    std::array<int, kSearchSlots> slotPorts {};

    // Scripting: failures to come per job code; a hook that alters what a read or information job
    // brings back (the index counts the jobs started so far, from 0).
    std::map<int, int> failNext;
    std::function<void(int index, const StartedJob&, std::span<uint8_t> readBack)> tamper;
    // LinkSteps a job stays running before it ends, with the current address the test chooses.
    int holdSteps = 0;
    int heldAddress = 0;

    // What happened.
    std::vector<StartedJob> started;
    int disconnects = 0;
    int commandWord = -1;
    int commandAddress = -1;
    int commandLength = -1;

    void StartJob(int job, int start, int count, int flags) override
    {
        if (m_job != 0)
            return;
        for (int a = start; a < start + count; ++a) {
            if (flags & kJobClearPcImage)
                m_pcImage[static_cast<std::size_t>(a)] = 0;
            if (flags & kJobMarkSendFlags)
                m_sendFlags[static_cast<std::size_t>(a)] = 1;
            m_readBack[static_cast<std::size_t>(a)] = 0;
        }
        StartedJob record { job, start, count, flags, {}, {} };
        std::copy_n(m_sendFlags.begin(), kUnitMemory, record.sendFlags.begin());
        std::copy_n(m_pcImage.begin(), kUnitMemory, record.pcImage.begin());
        started.push_back(record);
        m_held = 0;
        m_current = start;
        m_job = job;
    }
    int Job() const override { return m_job; }
    int LastJob() const override { return m_lastJob; }
    void TakeResult() override { m_job = 0; }
    int CurrentAddress() const override { return m_current; }
    void SetCommand(int word, int address, int length) override
    {
        commandWord = word;
        commandAddress = address;
        commandLength = length;
    }
    int ConnectedPort() const override { return connectedPort; }
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool value) override { enabled = value; }
    void Disconnect() override
    {
        if (connectedPort == 0)
            return;
        ++disconnects;
        connectedPort = 0;
        m_linkState = 0;
        m_job = 0;
    }
    void LinkStep() override
    {
        const bool usable = connectedPort != 0 && enabled;
        if (m_linkState == 0) {
            if (usable) {
                m_linkState = 1;
                m_job = 0;
            }
            return;
        }
        if (!usable) {
            m_linkState = 0;
            m_job = 0;
            return;
        }
        if (Running() && m_held++ >= holdSteps)
            Finish();
        else if (Running())
            m_current = heldAddress;
    }
    int PortSelection() const override { return portSelection; }
    int SearchSlotPort(int slot) const override { return slotPorts[static_cast<std::size_t>(slot)]; }
    std::span<uint8_t> PcImage() override { return m_pcImage; }
    std::span<uint8_t> SendFlags() override { return m_sendFlags; }
    std::span<const uint8_t> ReadBack() const override { return m_readBack; }

    // Helpers for the tests.
    std::vector<StartedJob> JobsOf(int job) const
    {
        std::vector<StartedJob> found;
        for (const StartedJob& s : started)
            if (s.job == job)
                found.push_back(s);
        return found;
    }
    int CountOf(int job) const { return static_cast<int>(JobsOf(job).size()); }

private:
    bool Running() const
    {
        return m_job != 0 && m_job != JOB_DONE && m_job != JOB_FAILED;
    }

    // The 50-byte blocks of the running job that hold a flagged address.
    std::vector<int> FlaggedBlocks(const StartedJob& job) const
    {
        std::vector<int> blocks;
        const int end = job.start + job.count;
        for (int b = job.start / kBlock; b * kBlock < end; ++b)
            for (int a = b * kBlock; a < (b + 1) * kBlock; ++a)
                if (m_sendFlags[static_cast<std::size_t>(a)]) {
                    blocks.push_back(b);
                    break;
                }
        return blocks;
    }

    void Finish()
    {
                m_lastJob = m_job;
        int& failures = failNext[m_job];
        if (failures > 0) {
            --failures;
            m_job = JOB_FAILED;
            return;
        }
        const StartedJob& job = started.back();
        switch (job.job) {
        case JOB_WRITE:
            for (int b : FlaggedBlocks(job))
                for (int a = b * kBlock; a < (b + 1) * kBlock && a < kUnitMemory; ++a)
                    if (acceptsWrites)
                        memory[static_cast<std::size_t>(a)] = m_pcImage[static_cast<std::size_t>(a)];
            break;
        case JOB_READ:
            for (int b : FlaggedBlocks(job))
                for (int a = b * kBlock; a < (b + 1) * kBlock && a < kUnitMemory; ++a)
                    m_readBack[static_cast<std::size_t>(a)] = memory[static_cast<std::size_t>(a)];
            break;
        case JOB_INFO:
            std::copy(info.begin(), info.end(), m_readBack.begin());
            break;
        case JOB_MONITOR:
            std::copy(monitor.begin(), monitor.end(), m_readBack.begin());
            break;
        default:
            break;
        }
        if (tamper && (job.job == JOB_READ || job.job == JOB_INFO))
            tamper(static_cast<int>(started.size()) - 1, job, m_readBack);
        m_current = job.start + job.count;
        m_job = JOB_DONE;
    }

    std::array<uint8_t, kImageSize> m_pcImage {};
    std::array<uint8_t, kImageSize> m_sendFlags {};
    std::array<uint8_t, kImageSize> m_readBack {};
    int m_job = JOB_DONE; // as after construction: nothing runs before a connection
    int m_lastJob = JOB_DONE;
    int m_linkState = 0;
    int m_held = 0;
    int m_current = 0;
};

// The driver with a fake engine, the window's models and a recording message sink, stepped tick by
// tick. Every text the result label shows is kept in order, so tests can tell what the user saw.
class UnitDriverTest : public ::testing::Test
{
protected:
    static constexpr int kPort = 7;
    static constexpr int kStepLimit = 400;

    void SetUp() override
    {
        SetCurrentLanguage(kEnglish);
        RebuildMessageTable(kEnglish);
        // A unit of this program's version that may be read, holding a settings pattern.
        engine.info[UnitInfoOffset::kReadingAllowed] = 1;
        engine.info[UnitInfoOffset::kVersion] = 109;
        engine.info[0] = 'X';
        for (int i = 0; i < ParameterBlock::kSize; ++i)
            engine.memory[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i + 1);
        engine.memory[ParamIndex::kNoReading] = 0;
        engine.monitor[MonitorOffset::kKey] = 109;
    }

    UnitDriverEvents Tick(bool playback = false)
    {
        const UnitDriverEvents e = driver.Step(++tick, playback);
        events |= e;
        NoteResult();
        return e;
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            Tick();
    }

    // Steps until `done` holds; false when it never did within the limit.
    bool RunUntil(const std::function<bool()>& done, int limit = kStepLimit)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            Tick();
        }
        return done();
    }

    // Connects the unit and runs the connection check to its end.
    void ConnectAndCheck()
    {
        engine.connectedPort = kPort;
        ASSERT_TRUE(RunUntil([&] { return driver.State() == DriverState::kIdle; }));
        results.clear();
        events = {};
    }

    // Runs a request to its end: the driver took it and came back to idle.
    void RunRequest(int code)
    {
        driver.Request(code);
        ASSERT_TRUE(RunUntil([&] { return driver.PendingRequest() == UnitRequest::kNone; }));
        ASSERT_TRUE(RunUntil([&] { return driver.State() == DriverState::kIdle; }));
    }

    QString SlotText(int slot) const
    {
        const StatusSlot* s = status.Slot(slot);
        return s && s->visible ? s->text : QString();
    }
    QString Result() const { return SlotText(StatusSlots::kResult); }
    bool Saw(const char* english) const
    {
        return std::find(results.begin(), results.end(), SelectQText(english, kEnglish)) != results.end();
    }
    // Position of a text among the results shown, -1 when it never showed.
    int PositionOf(const char* english) const
    {
        const auto found = std::find(results.begin(), results.end(), SelectQText(english, kEnglish));
        return found == results.end() ? -1 : static_cast<int>(found - results.begin());
    }

    FakeTransferEngine engine;
    ParameterBlock block;
    ParameterState blockState;
    StatusSlots status;
    VersionTexts versions { "Apr 24 2025", QTimeZone::utc() };
    MessageSinkCapture messages;
    CUnitDriver driver { UnitDriverContext { engine, block, blockState, status, versions, messages } };
    int32_t tick = 0;
    UnitDriverEvents events;
    std::vector<QString> results; // every new text of the result label, in order

private:
    void NoteResult()
    {
        const QString text = Result();
        if (!text.isEmpty() && (results.empty() || results.back() != text))
            results.push_back(text);
    }
};
