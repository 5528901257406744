// velmor-bench-connect: how long the automatic search takes to find a simulated unit and how long
// its connection check takes, for every protocol, against velmor-sim on pseudo-terminals; then the
// same with the unit behind several ports on which nothing answers. Prints markdown tables.

#include "bench/link/bench_options.h"
#include "bench/link/bench_program.h"
#include "bench/link/bench_session.h"
#include "bench/link/figure_cells.h"
#include "bench/link/sim_ports.h"



namespace
{

// Enough for every row of the protocol table on one port, and for the search to get through the
// silent ports before it reaches the unit.
constexpr int kSinglePortTicks = 400;
constexpr int kTicksPerSilentPort = 200;

struct Runs {
    std::vector<int> baud, open, found, checked, checkJobs, checkTicks;
    std::vector<double> foundMs, checkedMs, checkLineMs;
    int lateTicks = 0;

    void Add(const ConnectFigure& figure, int baudRate, int late)
    {
        const bool ok = figure.ok;
        baud.push_back(ok ? baudRate : -1);
        open.push_back(ok ? figure.openTick : -1);
        found.push_back(ok ? figure.foundTick : -1);
        checked.push_back(ok ? figure.checkedTick : -1);
        checkJobs.push_back(ok ? figure.check.jobs : -1);
        checkTicks.push_back(ok ? figure.check.ticks : -1);
        foundMs.push_back(ok ? figure.foundMs : -1);
        checkedMs.push_back(ok ? figure.checkedMs : -1);
        checkLineMs.push_back(ok ? figure.check.lineMs : -1);
        lateTicks += late;
    }
};

// One run: the simulators come up, the link starts, and the session ticks until the unit is
// checked. The unit is on the last of `ports` ports; the others hear everything and answer nothing.
bool RunOnce(const BenchOptions& options, const QString& protocol, int ports, Runs& runs)
{
    std::vector<SimulatedPort> wanted;
    for (int i = 0; i + 1 < ports; ++i)
        wanted.push_back({ kFirstBenchCom + i, { QStringLiteral("--silent") } });
    const int unitCom = kFirstBenchCom + ports - 1;
    wanted.push_back({ unitCom, { QStringLiteral("--protocol"), protocol } });

    SimulatedPorts simulators;
    QString error;
    if (!simulators.Start(options.simulator, wanted, error)) {
        Say(QStringLiteral("velmor-bench-connect: ") + error);
        return false;
    }
    BenchSession session(simulators.PortList(), simulators.Device(unitCom), options.lineSpeed);
    const ConnectFigure figure = session.Connect(kSinglePortTicks + (ports - 1) * kTicksPerSilentPort);
    runs.Add(figure, session.BaudRate(), session.LateTicks());
    Say(QStringLiteral("  %1 on COM%2 of %3 port(s): %4")
            .arg(protocol)
            .arg(unitCom)
            .arg(ports)
            .arg(figure.ok ? QStringLiteral("found at tick %1, checked at tick %2")
                                 .arg(figure.foundTick)
                                 .arg(figure.checkedTick)
                           : QStringLiteral("not found and checked")));
    return figure.ok;
}

void PrintSinglePortTable(const BenchOptions& options)
{
    Print(QStringLiteral("### Connect: one port, the unit on it%1\n").arg(SpeedNote(options)));
    Print(QStringLiteral(
        "| Protocol | Baud | Port open (tick) | Found (tick) | Found (ms) | Check OK (tick) | Check OK (ms) "
        "| Check jobs | Check ticks | Check line ms |"));
    Print(QStringLiteral("|---|---|---|---|---|---|---|---|---|---|"));
    int late = 0;
    for (const QString& protocol : options.protocols) {
        Runs runs;
        for (int run = 0; run < options.repeat; ++run)
            RunOnce(options, protocol, 1, runs);
        late += runs.lateTicks;
        Print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 |")
                  .arg(protocol, TickCell(runs.baud), TickCell(runs.open), TickCell(runs.found),
                      MsCell(runs.foundMs), TickCell(runs.checked), MsCell(runs.checkedMs),
                      TickCell(runs.checkJobs), TickCell(runs.checkTicks))
                  .arg(MsCell(runs.checkLineMs, 1)));
    }
    Print(QStringLiteral("\nTicks late by more than %1 ms (a busy machine): %2\n")
              .arg(BenchSession::kLateMs)
              .arg(late));
}

void PrintManyPortsTable(const BenchOptions& options)
{
    Print(QStringLiteral("### Connect: automatic search over %1 ports, the unit on the last one, nothing "
                         "answering on the others%2\n")
              .arg(options.ports)
              .arg(SpeedNote(options)));
    Print(QStringLiteral("| Unit protocol | Found (tick) | Found (ms) | Check OK (tick) | Check OK (ms) |"));
    Print(QStringLiteral("|---|---|---|---|---|"));
    int late = 0;
    for (const QString& protocol : options.protocols) {
        Runs runs;
        for (int run = 0; run < options.repeat; ++run)
            RunOnce(options, protocol, options.ports, runs);
        late += runs.lateTicks;
        Print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
                  .arg(protocol, TickCell(runs.found), MsCell(runs.foundMs), TickCell(runs.checked),
                      MsCell(runs.checkedMs)));
    }
    Print(QStringLiteral("\nTicks late by more than %1 ms (a busy machine): %2\n")
              .arg(BenchSession::kLateMs)
              .arg(late));
}

} // namespace

int main(int argc, char** argv)
{
    return RunBenchProgram(argc, argv, "velmor-bench-connect",
        "Ticks (55 ms each, real time) and milliseconds from the start of the link to the found unit and\n"
        "to the end of its connection check, per protocol, against velmor-sim on pseudo-terminals.",
        true, [](const BenchOptions& options) {
            PrintSinglePortTable(options);
            if (options.ports > 0)
                PrintManyPortsTable(options);
            return 0;
        });
}
