// velmor-cli: the unit and the settings files from the command line. Argument parsing and dispatch
// only; the commands live in cli/.

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/exit_codes.h"
#include "cli/unit_session.h"
#include "platform/port_list_system.h"
#include "platform/serial_port_qt.h"
#include "shell/language.h"
#include "shell/rskey.h"
#include "shell/settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

void Write(std::FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    const CliParseResult parsed = ParseCliArguments(arguments);
    if (!parsed.Ok()) {
        Write(stderr, ("velmor-cli: " + parsed.error + "\n\n" + CliUsageText()).toUtf8());
        return CliExit::kUsage;
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        Write(stdout, CliUsageText().toUtf8());
        return CliExit::kOk;
    }

    // The window's settings give the mapped ports, the COM choice and the language.
    const VelmorSettings settings = LoadSettings(LocateSettings(kRsKey), VelmorSettings {}, {});
    SetCurrentLanguage(options.language >= 0 ? options.language : settings.language);

    SystemPortList ports(settings.ports);
    CliEnvironment environment;
    environment.portList = &ports;
    environment.serialFactory = QtSerialPortFactory();
    environment.mappedPorts = settings.ports;
    environment.savedPort = settings.comPort;
    // One tick every 55 ms, with the application's events run in between.
    QElapsedTimer clock;
    clock.start();
    qint64 nextTick = UnitSession::kTickMs;
    environment.pause = [&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const qint64 wait = nextTick - clock.elapsed();
        if (wait > 0)
            QThread::msleep(static_cast<unsigned long>(wait));
        nextTick = std::max(nextTick + UnitSession::kTickMs, clock.elapsed());
    };
    environment.out = [](const QByteArray& bytes) { Write(stdout, bytes); };
    environment.err = [](const QByteArray& bytes) { Write(stderr, bytes); };
    return RunCliCommand(options, environment);
}
