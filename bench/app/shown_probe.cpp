// Start-up probe: a small library that startup.sh preloads (LD_PRELOAD) into the real velmor
// executable, so that the program itself carries no timing hook. Qt runs the registered start-up
// function from the QApplication constructor; it installs an application event filter that notes when
// the main window gets its Show event and when its first paint pass has finished, then writes one line
// of figures to the file named by VELMOR_BENCH_REPORT and closes the window (the ordinary close, so the
// program ends as it would for a user).
//
//   VELMOR_BENCH_REPORT   file the figures line is appended to (required; without it the probe is idle)
//   VELMOR_BENCH_T0       CLOCK_REALTIME in seconds ("1700000000.123456", bash's $EPOCHREALTIME) taken
//                         just before the exec; the elapsed times are counted from it
//   VELMOR_BENCH_HOLD_MS  how long the window stays open after its first paint before the memory is
//                         read and the window closed (default 1000)

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include <unistd.h>

namespace {

double RealtimeSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double BoottimeSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The kernel's start time of this process in seconds since boot (field 22 of /proc/self/stat, in clock
// ticks: 10 ms steps here). A cross-check of VELMOR_BENCH_T0 that needs no help from the caller.
double KernelStartSeconds()
{
    std::ifstream file("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name may hold spaces; the fields after it are plain.
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    // Field 3 (state) is the first after the name; starttime is field 22.
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22)
            return double(std::strtoull(field.c_str(), nullptr, 10)) / double(sysconf(_SC_CLK_TCK));
    }
    return -1;
}

// VmRSS and VmHWM of this process in kB.
std::pair<long, long> ResidentKb()
{
    std::ifstream file("/proc/self/status");
    long rss = -1;
    long hwm = -1;
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            rss = std::atol(line.c_str() + 6);
        else if (line.rfind("VmHWM:", 0) == 0)
            hwm = std::atol(line.c_str() + 6);
    }
    return { rss, hwm };
}

class ShownProbe : public QObject {
public:
    ShownProbe(QString report, double t0, int holdMs)
        : m_report(std::move(report))
        , m_t0(t0)
        , m_probeMade(RealtimeSeconds())
        , m_kernelStartMs((BoottimeSeconds() - KernelStartSeconds()) * 1000.0)
        , m_holdMs(holdMs)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_done || !watched->inherits("TMainForm"))
            return false;
        if (event->type() == QEvent::Show && m_shownMs < 0) {
            m_shownMs = SinceStartMs();
        } else if (event->type() == QEvent::Paint && m_shownMs >= 0 && !m_paintSeen) {
            // The paint pass that starts here ends before the event loop looks at its timers again.
            m_paintSeen = true;
            QTimer::singleShot(0, this, [this, window = static_cast<QWidget*>(watched)] { Painted(window); });
        }
        return false;
    }

private:
    double SinceStartMs() const { return (RealtimeSeconds() - m_t0) * 1000.0; }

    void Painted(QWidget* window)
    {
        const double paintedMs = SinceStartMs();
        const double kernelPaintedMs = m_kernelStartMs + (RealtimeSeconds() - m_probeMade) * 1000.0;
        const std::pair<long, long> atPaint = ResidentKb();
        QTimer::singleShot(m_holdMs, this, [=, this] {
            m_done = true;
            const std::pair<long, long> held = ResidentKb();
            char line[320];
            std::snprintf(line, sizeof line,
                "shown_ms=%.1f painted_ms=%.1f painted_kernel_ms=%.0f rss_painted_kb=%ld hwm_painted_kb=%ld "
                "rss_kb=%ld hwm_kb=%ld hold_ms=%d\n",
                m_shownMs, paintedMs, kernelPaintedMs, atPaint.first, atPaint.second, held.first, held.second, m_holdMs);
            QFile out(m_report);
            if (out.open(QIODevice::Append))
                out.write(line);
            window->close();
        });
    }

    QString m_report;
    double m_t0;
    // When the probe was made, and how long after the kernel's start of the process that was.
    double m_probeMade;
    double m_kernelStartMs;
    int m_holdMs;
    double m_shownMs = -1;
    bool m_paintSeen = false;
    bool m_done = false;
};

void InstallShownProbe()
{
    const QString report = qEnvironmentVariable("VELMOR_BENCH_REPORT");
    if (report.isEmpty() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    bool ok = false;
    double t0 = qEnvironmentVariable("VELMOR_BENCH_T0").toDouble(&ok);
    if (!ok)
        t0 = RealtimeSeconds() - (BoottimeSeconds() - KernelStartSeconds());
    const int holdMs = qEnvironmentVariableIsSet("VELMOR_BENCH_HOLD_MS") ? qEnvironmentVariableIntValue("VELMOR_BENCH_HOLD_MS") : 1000;
    auto* probe = new ShownProbe(report, t0, holdMs);
    probe->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(probe);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallShownProbe)
