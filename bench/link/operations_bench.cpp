// velmor-bench-operations: ticks of the connection check, Read, Verify, Program of all bytes and
// Program of one changed byte, per protocol, against velmor-sim on a pseudo-terminal, next to the
// floor of the tick-driven driver (one job per tick) and the time the bytes need on a real line.
// Prints a markdown table.

#include "bench/link/bench_options.h"
#include "bench/link/bench_program.h"
#include "bench/link/bench_session.h"
#include "bench/link/figure_cells.h"
#include "bench/link/sim_ports.h"
#include "link/unit_operation_codes.h"


#include <array>

namespace
{

constexpr int kConnectTicks = 400; // every row of the protocol table, with room to spare
constexpr int kOperationTicks = 200;
constexpr int kSavingTicks = 200;
// The byte the programs change: an ordinary setting, not the no-reading lock.
constexpr int kProbeByte = 30;

enum Operation { kCheck, kRead, kVerify, kProgramAll, kProgramOne, kOperationCount };
constexpr std::array<const char*, kOperationCount> kOperationNames
    = { "Connection check", "Read", "Verify", "Program (all bytes)", "Program (one changed byte)" };

struct Runs {
    std::vector<int> jobs, ticks, idle, bytes, lineFloor, saving;
    std::vector<double> ms, lineMs, longestJobLineMs, longestJobMs;

    void Add(const PhaseFigure& figure, int savingTicks = -1)
    {
        const bool ok = figure.ok;
        jobs.push_back(ok ? figure.jobs : -1);
        ticks.push_back(ok ? figure.ticks : -1);
        idle.push_back(ok ? figure.ticks - figure.jobs : -1);
        bytes.push_back(ok ? static_cast<int>(figure.bytes.Total()) : -1);
        lineFloor.push_back(ok ? figure.lineFloorTicks : -1);
        saving.push_back(savingTicks);
        ms.push_back(ok ? figure.ms : -1);
        lineMs.push_back(ok ? figure.lineMs : -1);
        longestJobLineMs.push_back(ok ? figure.longestJobLineMs : -1);
        longestJobMs.push_back(ok ? figure.longestJobMs : -1);
    }
};

// A program and the unit's saving after it; the saving only when the program went well.
void Program(BenchSession& session, int request, Runs& runs)
{
    const PhaseFigure figure = session.RunOperation(request, kOperationTicks);
    runs.Add(figure, figure.ok ? session.WaitUntilSaved(kSavingTicks) : -1);
}

// Every operation `repeat` times on one connection; the check is measured again after giving the
// unit up and finding it anew.
bool MeasureProtocol(const BenchOptions& options, const QString& protocol,
    std::array<Runs, kOperationCount>& runs, int& baud, int& lateTicks)
{
    SimulatedPorts simulator;
    QString error;
    if (!simulator.Start(
            options.simulator, { { kFirstBenchCom, { QStringLiteral("--protocol"), protocol } } }, error)) {
        Say(QStringLiteral("velmor-bench-operations: ") + error);
        return false;
    }
    BenchSession session(simulator.PortList(), simulator.Device(kFirstBenchCom), options.lineSpeed);
    for (int run = 0; run < options.repeat; ++run) {
        if (run > 0)
            session.Disconnect();
        const ConnectFigure connect = session.Connect(kConnectTicks);
        runs[kCheck].Add(connect.check);
        if (!connect.ok) {
            Say(QStringLiteral("  %1: the unit was not found and checked").arg(protocol));
            return false;
        }
        baud = session.BaudRate();

        // Read leaves the unit's settings in the block, so Verify compares equal ones.
        runs[kRead].Add(session.RunOperation(UnitRequest::kRead, kOperationTicks));
        runs[kVerify].Add(session.RunOperation(UnitRequest::kVerify, kOperationTicks));

        ParameterBlock& block = session.Block();
        ParameterState& state = session.BlockState();
        block.bytes[kProbeByte] ^= 1;
        state.changed.fill(false);
        Program(session, UnitRequest::kProgramAll, runs[kProgramAll]);

        // Back again, as an edit marks it: only this byte is written.
        block.bytes[kProbeByte] ^= 1;
        state.changed.fill(false);
        state.changed[kProbeByte] = true;
        Program(session, UnitRequest::kProgramChanges, runs[kProgramOne]);
        Say(QStringLiteral("  %1: run %2 of %3 done").arg(protocol).arg(run + 1).arg(options.repeat));
    }
    lateTicks += session.LateTicks();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    return RunBenchProgram(argc, argv, "velmor-bench-operations",
        "Ticks (55 ms each, real time) of the connection check, Read, Verify and Program per protocol,\n"
        "against velmor-sim on a pseudo-terminal, next to the jobs they need (one per tick at best) and\n"
        "the time their bytes need on a real line at the protocol's baud rate.",
        false, [](const BenchOptions& options) {
            Print(QStringLiteral("### Operations%1\n").arg(SpeedNote(options)));
            Print(QStringLiteral(
                "| Protocol | Baud | Operation | Jobs | Ticks | Idle ticks | ms | Bytes | Line ms | Longest job "
                "line ms | Longest job ms | Line floor ticks | Saved after (ticks) |"));
            Print(QStringLiteral("|---|---|---|---|---|---|---|---|---|---|---|---|---|"));
            int lateTicks = 0;
            bool allOk = true;
            for (const QString& protocol : options.protocols) {
                std::array<Runs, kOperationCount> runs;
                int baud = 0;
                allOk &= MeasureProtocol(options, protocol, runs, baud, lateTicks);
                for (int op = 0; op < kOperationCount; ++op) {
                    const Runs& r = runs[static_cast<std::size_t>(op)];
                    const bool programs = op == kProgramAll || op == kProgramOne;
                    Print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 | %11 | %12 | %13 |")
                              .arg(protocol)
                              .arg(baud)
                              .arg(QString::fromLatin1(kOperationNames[static_cast<std::size_t>(op)]),
                                  TickCell(r.jobs), TickCell(r.ticks), TickCell(r.idle), MsCell(r.ms),
                                  TickCell(r.bytes), MsCell(r.lineMs, 1))
                              .arg(MsCell(r.longestJobLineMs, 1), MsCell(r.longestJobMs, 1), TickCell(r.lineFloor),
                                  programs ? TickCell(r.saving) : QStringLiteral("-")));
                }
            }
            Print(QStringLiteral("\nTicks late by more than %1 ms (a busy machine): %2")
                      .arg(BenchSession::kLateMs)
                      .arg(lateTicks));
            return allOk ? 0 : 1;
        });
}
