// velmor-sim: a simulated Tarvo-X on a pseudo-terminal, for working and testing without a unit.

#include "shell/settings_location.h"
#include "sim/memory_file.h"
#include "sim/port_mapping.h"
#include "sim/pty_unit.h"
#include "sim/sim_options.h"
#include "sim/unit_engine.h"

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_cableToggles = 0;

void OnStop(int)
{
    g_stop = 1;
}

void OnCable(int)
{
    g_cableToggles = g_cableToggles + 1;
}

void InstallSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = OnCable;
    sigaction(SIGUSR1, &action, nullptr);
}

SimTime Now()
{
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

class Output {
public:
    explicit Output(bool quiet) : m_quiet(quiet) {}
    void Note(const QString& text) const
    {
        if (!m_quiet)
            Error(text);
    }
    static void Error(const QString& text) { std::fprintf(stderr, "velmor-sim: %s\n", qPrintable(text)); }

private:
    bool m_quiet;
};

class Simulator {
public:
    explicit Simulator(const SimOptions& options) : m_options(options), m_out(options.quiet), m_engine(options.unit, Now()), m_pty(m_engine, Now) {}

    int Run()
    {
        // Before the [PORTS] entry exists, so that an early SIGTERM still takes it out again.
        InstallSignals();
        if (!LoadMemory())
            return 1;
        std::string error;
        if (!m_pty.Open(error)) {
            Output::Error(QString::fromStdString(error));
            return 1;
        }
        const QString device = QString::fromStdString(m_pty.DevicePath());
        if (m_options.mapCom != 0 && !MapPort(device))
            return 1;
        // The device path goes out last: whoever waits for it may start the PC at once.
        std::printf("%s\n", m_pty.DevicePath().c_str());
        std::fflush(stdout);
        const UnitConfig& unit = m_options.unit;
        m_out.Note(QStringLiteral("%1 unit, key %2, listening at %3")
                       .arg(QString::fromLatin1(ProtocolName(unit.protocol)))
                       .arg(unit.key)
                       .arg(unit.baudRate ? QStringLiteral("%1 baud").arg(unit.baudRate) : QStringLiteral("any speed")));

        const int status = Serve();
        SaveMemory();
        if (m_options.mapCom != 0)
            UnmapComPort(LocateSettings(kRsKey), m_options.mapCom, device, m_previousDevice);
        return status;
    }

private:
    int Serve()
    {
        int cableToggles = 0;
        int programmings = m_engine.State().Programmings();
        while (!g_stop) {
            switch (m_pty.Serve(20)) {
            case PtyUnit::Event::Attached:
                m_out.Note(QStringLiteral("the PC opened the port at %1 baud").arg(m_pty.LineSpeed()));
                break;
            case PtyUnit::Event::Detached:
                m_out.Note(QStringLiteral("the PC closed the port"));
                break;
            case PtyUnit::Event::Failed:
                Output::Error(QStringLiteral("the pseudo-terminal failed"));
                return 1;
            case PtyUnit::Event::None:
                break;
            }
            if (cableToggles != g_cableToggles) {
                cableToggles = g_cableToggles;
                ToggleCable();
            }
            if (m_engine.State().Programmings() != programmings) {
                programmings = m_engine.State().Programmings();
                m_out.Note(QStringLiteral("programmed (%1 times in all)").arg(programmings));
            }
            if (m_engine.State().TakePersistRequest())
                SaveMemory();
        }
        return 0;
    }

    void ToggleCable()
    {
        if (m_engine.Unplugged()) {
            UnitFaults faults = m_engine.Faults();
            faults.unplugAfterReplies = -1;
            m_engine.SetFaults(faults);
            m_out.Note(QStringLiteral("cable plugged in"));
        } else {
            m_engine.SetUnplugged(true);
            m_out.Note(QStringLiteral("cable pulled out"));
        }
    }

    bool LoadMemory()
    {
        if (m_options.memoryFile.isEmpty())
            return true;
        PersistentUnit unit;
        QString error;
        switch (LoadUnitMemory(m_options.memoryFile, unit, error)) {
        case MemoryFileStatus::Loaded:
            m_engine.State().Restore(unit);
            m_out.Note(QStringLiteral("memory from %1").arg(m_options.memoryFile));
            return true;
        case MemoryFileStatus::Missing:
            m_out.Note(QStringLiteral("%1 does not exist yet: a new unit").arg(m_options.memoryFile));
            return true;
        case MemoryFileStatus::Damaged:
            // Left as it is: the user may want what is in it.
            Output::Error(QStringLiteral("cannot use %1: %2").arg(m_options.memoryFile, error));
            return false;
        }
        return false;
    }

    void SaveMemory()
    {
        if (!m_options.memoryFile.isEmpty() && !SaveUnitMemory(m_options.memoryFile, m_engine.State().Persistent()))
            Output::Error(QStringLiteral("cannot write %1").arg(m_options.memoryFile));
    }

    bool MapPort(const QString& device)
    {
        const SettingsLocation where = LocateSettings(kRsKey);
        if (!MapComPort(where, m_options.mapCom, device, &m_previousDevice)) {
            Output::Error(QStringLiteral("cannot write the COM%1 entry into %2").arg(m_options.mapCom).arg(where.iniPath));
            return false;
        }
        m_out.Note(QStringLiteral("COM%1 is %2 (in %3)").arg(m_options.mapCom).arg(device, where.iniPath));
        if (!m_previousDevice.isEmpty())
            m_out.Note(QStringLiteral("COM%1 was %2 and will be again at the end").arg(m_options.mapCom).arg(m_previousDevice));
        return true;
    }

    const SimOptions& m_options;
    Output m_out;
    UnitEngine m_engine;
    PtyUnit m_pty;
    QString m_previousDevice;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SimOptions options;
    QString error;
    if (!ParseSimOptions(app.arguments().mid(1), options, error)) {
        Output::Error(error);
        std::fprintf(stderr, "Try 'velmor-sim --help' for the options.\n");
        return 2;
    }
    if (options.help) {
        std::printf("%s", qPrintable(SimUsage()));
        return 0;
    }
    return Simulator(options).Run();
}
