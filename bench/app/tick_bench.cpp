// velmor-bench-tick: how long one tick of the main window takes while a unit is connected and the live
// monitor runs. The window is the real TMainForm, shown on the offscreen platform, talking through
// the real serial backend to a velmor-sim child process on a pseudo-terminal; the only port it can
// see is that terminal (as COM250), so no system serial device is ever opened. The ticks are paced
// like the window's own timer and each Timer1Timer() call is timed with steady_clock; so is the event
// processing that follows it (layout and repaint of what the tick changed), which the real program
// does between two ticks.
//
//   velmor-bench-tick [--ticks N] [--interval-ms MS] [--protocol NAME] [--sim PATH]

#include "core/main_form.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_port_qt.h"
#include "shell/message_sink.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <time.h>

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
    int ticks = 3000;
    int intervalMs = TickClock::kTickIntervalMs;
    QString protocol = QStringLiteral("IGN50");
    QString simPath = QStringLiteral(VELMOR_SIM_PATH);
};

// The port number the window is given; any number works, this one is what start.sh maps too.
constexpr int kComNumber = 250;
// Ticks allowed for the connection and the first monitor block before the bench gives up.
constexpr int kConnectTicks = 600;

// Counts the boxes the window would have shown; a bench run should show none.
class CountingSink : public IMessageSink {
public:
    MessageAnswer Show(const MessageRequest& request) override
    {
        ++count;
        std::fprintf(stderr, "message box: %s\n", qPrintable(request.text));
        return MessageAnswer::Ok;
    }
    int count = 0;
};

bool ParseOptions(const QStringList& arguments, BenchOptions& options)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (i + 1 >= arguments.size())
            return false;
        const QString value = arguments[++i];
        if (name == QLatin1String("--ticks"))
            options.ticks = value.toInt();
        else if (name == QLatin1String("--interval-ms"))
            options.intervalMs = value.toInt();
        else if (name == QLatin1String("--protocol"))
            options.protocol = value;
        else if (name == QLatin1String("--sim"))
            options.simPath = value;
        else
            return false;
    }
    return options.ticks > 0 && options.intervalMs >= 0;
}

double Microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// CPU time of the calling thread in µs: unlike the wall time it does not grow while other processes
// have the core, so it shows the tick's own cost on a loaded machine.
double ThreadCpuMicroseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Nearest-rank percentile of sorted samples.
double Percentile(const std::vector<double>& sorted, double p)
{
    const auto rank = std::size_t(std::max(0.0, p / 100.0 * double(sorted.size()) - 1e-9));
    return sorted[std::min(rank, sorted.size() - 1)];
}

void PrintRow(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    std::printf("| %s | %zu | %.0f | %.0f | %.0f | %.0f | %.0f |\n", what, samples.size(), Percentile(samples, 50),
        Percentile(samples, 90), Percentile(samples, 99), Percentile(samples, 99.9), samples.back());
}

// The simulator prints its device path once it serves the terminal.
bool StartSimulator(QProcess& sim, const BenchOptions& options, QString& device)
{
    sim.setProgram(options.simPath);
    sim.setArguments({ QStringLiteral("--protocol"), options.protocol, QStringLiteral("--quiet") });
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start();
    if (!sim.waitForStarted(5000))
        return false;
    while (!sim.canReadLine())
        if (!sim.waitForReadyRead(5000))
            return false;
    device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    return device.startsWith(QLatin1String("/dev/"));
}

class TickRunner {
public:
    TickRunner(QApplication& app, TMainForm& form, int intervalMs)
        : m_app(app)
        , m_form(form)
        , m_interval(std::chrono::milliseconds(intervalMs))
        , m_next(Clock::now())
    {
    }

    // One paced tick: the tick itself, then the events it caused, then the rest of the interval.
    void Tick()
    {
        const double cpuStart = ThreadCpuMicroseconds();
        const Clock::time_point start = Clock::now();
        m_form.Timer1Timer();
        const Clock::time_point ticked = Clock::now();
        const double cpuTicked = ThreadCpuMicroseconds();
        m_app.processEvents();
        const Clock::time_point settled = Clock::now();
        m_lastTick = ticked - start;
        m_lastEvents = settled - ticked;
        m_lastTickCpu = cpuTicked - cpuStart;
        m_lastEventsCpu = ThreadCpuMicroseconds() - cpuTicked;
        m_next += m_interval;
        if (m_next < settled)
            m_next = settled;
        std::this_thread::sleep_until(m_next);
    }

    Clock::duration LastTick() const { return m_lastTick; }
    Clock::duration LastEvents() const { return m_lastEvents; }
    double LastTickCpu() const { return m_lastTickCpu; }
    double LastEventsCpu() const { return m_lastEventsCpu; }

private:
    QApplication& m_app;
    TMainForm& m_form;
    Clock::duration m_interval;
    Clock::time_point m_next;
    Clock::duration m_lastTick {};
    Clock::duration m_lastEvents {};
    double m_lastTickCpu = 0;
    double m_lastEventsCpu = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Settings in a folder of their own: the user's are never read or written.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    setenv("HOME", qPrintable(home.path()), 1);
    setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
    setenv("XDG_RUNTIME_DIR", qPrintable(home.path() + "/run"), 1);
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QApplication app(argc, argv);
    BenchOptions options;
    if (!ParseOptions(app.arguments().mid(1), options)) {
        std::fprintf(stderr, "usage: velmor-bench-tick [--ticks N] [--interval-ms MS] [--protocol NAME] [--sim PATH]\n");
        return 2;
    }

    // The window goes straight to its port instead of searching, and takes the unit as known.
    const QString settingsFolder = home.path() + "/config/Kordanex/Velmor/109";
    QDir().mkpath(settingsFolder);
    QFile ini(settingsFolder + "/application.ini");
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(QStringLiteral("[BASIC]\nComPort=%1\nNEWINSTAL=0\n").arg(kComNumber).toLatin1());
    ini.close();

    QProcess sim;
    QString device;
    if (!StartSimulator(sim, options, device)) {
        std::fprintf(stderr, "velmor-sim (%s) did not start\n", qPrintable(options.simPath));
        return 1;
    }

    FixedPortList ports({ { kComNumber, device } });
    CountingSink messages;
    MainFormOptions formOptions;
    formOptions.messageSink = &messages;
    formOptions.portList = &ports;
    formOptions.serialFactory = QtSerialPortFactory();
    formOptions.startTimer = false;
    int status = 0;
    {
        TMainForm form(formOptions);
        form.show();
        app.processEvents();
        TickRunner runner(app, form, options.intervalMs);

        // Connection, the checks after it, and the first complete monitor exchange.
        int waited = 0;
        int monitorDone = 0;
        for (int previous = form.Driver().State(); waited < kConnectTicks && monitorDone < 2; ++waited) {
            runner.Tick();
            const int state = form.Driver().State();
            if (form.Driver().UnitConnected() && previous == DriverState::kMonitor && state != DriverState::kMonitor)
                ++monitorDone;
            previous = state;
        }
        if (monitorDone < 2) {
            std::fprintf(stderr, "no monitor exchange within %d ticks (connected: %d)\n", kConnectTicks,
                int(form.Driver().UnitConnected()));
            status = 1;
        } else {
            std::vector<double> ticks;
            std::vector<double> events;
            std::vector<double> totals;
            std::vector<double> tickCpu;
            std::vector<double> eventsCpu;
            int exchanges = 0;
            int stillConnected = 0;
            const int failedBefore = form.Driver().FailedJobs();
            const Clock::time_point begin = Clock::now();
            for (int i = 0, previous = form.Driver().State(); i < options.ticks; ++i) {
                runner.Tick();
                ticks.push_back(Microseconds(runner.LastTick()));
                events.push_back(Microseconds(runner.LastEvents()));
                totals.push_back(Microseconds(runner.LastTick() + runner.LastEvents()));
                tickCpu.push_back(runner.LastTickCpu());
                eventsCpu.push_back(runner.LastEventsCpu());
                const int state = form.Driver().State();
                if (previous == DriverState::kMonitor && state != DriverState::kMonitor)
                    ++exchanges;
                stillConnected += form.Driver().UnitConnected() ? 1 : 0;
                previous = state;
            }
            const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();

            std::printf("velmor-bench-tick: %s unit (velmor-sim on %s), real serial backend, offscreen window\n",
                qPrintable(options.protocol), qPrintable(device));
            std::printf("connected and monitoring after %d ticks; measured %d ticks at %d ms in %.1f s\n", waited,
                options.ticks, options.intervalMs, seconds);
            std::printf("monitor exchanges %d (%.1f per s), ticks connected %d, failed jobs %d, message boxes %d\n\n",
                exchanges, exchanges / seconds, stillConnected, form.Driver().FailedJobs() - failedBefore,
                messages.count);
            std::printf("| µs | samples | median | p90 | p99 | p99.9 | max |\n|---|---|---|---|---|---|---|\n");
            PrintRow("Timer1Timer(), wall", ticks);
            PrintRow("Timer1Timer(), thread CPU", tickCpu);
            PrintRow("events after it (layout, paint), wall", events);
            PrintRow("events after it, thread CPU", eventsCpu);
            PrintRow("both, wall", totals);
            if (stillConnected != options.ticks || exchanges == 0)
                status = 1;
        }
        form.close();
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return status;
}
