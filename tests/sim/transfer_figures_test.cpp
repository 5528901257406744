// Figures for the developer notes, not a test: run it by name with --gtest_also_run_disabled_tests
// --gtest_filter='TransferFigures.*'. For every protocol it prints how long the search takes to
// connect the unit served by velmor-sim, and how many ticks a 100-byte write and read take against
// the time the bytes would need on a real line (bytes × 10 bits ÷ baud rate).

#include "tests/sim/transfer_pty_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string_view>

namespace
{

// Counts the bytes of the link log's traces: "T(0x.. )" for every piece handed to the port,
// "/xx/" for every byte received.
class ByteCounter : public ILinkLogSink
{
public:
    void Write(std::string_view text) override
    {
        if (text.size() == 4 && text.front() == '/' && text.back() == '/') {
            received.fetch_add(1);
            return;
        }
        const size_t piece = text.find("T(");
        if (piece == std::string_view::npos)
            return;
        int count = 0;
        for (size_t at = text.find("0x", piece); at != std::string_view::npos; at = text.find("0x", at + 2))
            ++count;
        sent.fetch_add(count);
    }
    void Clear()
    {
        sent.store(0);
        received.store(0);
    }
    std::atomic<int> sent { 0 };
    std::atomic<int> received { 0 };
};

struct JobFigure {
    int ticks = -1;
    int bytes = 0;
    double lineMs = 0;
};

JobFigure Measure(PtyRun& run, ByteCounter& counter, int job, int flags)
{
    counter.Clear();
    JobFigure figure;
    int result = JOB_NONE;
    figure.ticks = run.RunJob(job, 0, 100, flags, 200, result);
    if (result != JOB_DONE)
        figure.ticks = -1;
    figure.bytes = counter.sent.load() + counter.received.load();
    figure.lineMs = figure.bytes * 10 * 1000.0 / run.Link().Port(PtyRun::kPort).BaudRate();
    return figure;
}

TEST(TransferFigures, DISABLED_PrintSearchAndTransferTimes)
{
    std::printf("| Protocol | Baud | Search ticks | Search ms (TMR) | Write ticks | Write bytes | Write line "
                "ms | Read ticks "
                "| Read bytes | Read line ms |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const char* protocol : { "IGN50", "WCOM", "WCOMS", "IGN100", "IGN150", "IGN300" }) {
        PtyRun run(protocol);
        ASSERT_TRUE(run.Start());
        auto counter = std::make_unique<ByteCounter>();
        ByteCounter& bytes = *counter;
        run.Link().Log().OpenSink(std::move(counter));
        const int searchTicks = run.Connect(400);
        ASSERT_GT(searchTicks, 0) << protocol;
        std::fill_n(run.Link().PcImage(), 100, 0x42);
        const JobFigure write = Measure(run, bytes, JOB_WRITE, kJobMarkSendFlags);
        const JobFigure read = Measure(run, bytes, JOB_READ, kJobMarkSendFlags | kJobClearPcImage);
        std::printf("| %s | %i | %i | %i | %i | %i | %.1f | %i | %i | %.1f |\n", protocol,
            run.Link().Port(PtyRun::kPort).BaudRate(), searchTicks, searchTicks * LinkClock::kMsPerTick,
            write.ticks, write.bytes, write.lineMs, read.ticks, read.bytes, read.lineMs);
        std::fflush(stdout);
    }
}

} // namespace
