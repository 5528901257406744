// velmor-handover: asks the running Velmor of this user to lend its serial port to another program
// (a bootloader tool, a terminal) or to take it back, through the hand-over socket.

#include "link/unit_operation_codes.h"
#include "platform/handover_socket.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <optional>

namespace {

constexpr int kExitDelivered = 0;
constexpr int kExitNotDelivered = 1;
constexpr int kExitUsage = 2;

struct Action {
    const char* word;
    std::uint32_t code;
    const char* meaning;
};

constexpr Action kActions[] = {
    { "release", BootloaderCode::kRelease, "give the port of the connected unit up" },
    { "reset-release", BootloaderCode::kResetAndRelease, "reset the connected unit, then give its port up" },
    { "take-back", BootloaderCode::kTakeBack, "use the port that was given up again" },
};

void PrintUsage(std::FILE* to)
{
    std::fprintf(to,
        "usage: velmor-handover --port N ACTION [--socket NAME]\n"
        "\n"
        "Asks the running Velmor to lend its serial port COM N to another program, or to take it back.\n"
        "\n"
        "ACTION:\n");
    for (const Action& action : kActions)
        std::fprintf(to, "  %-14s %s (code 0x%08X)\n", action.word, action.meaning, unsigned(action.code));
    std::fprintf(to,
        "\n"
        "Options:\n"
        "  --port N       the COM number (1 to %d): release and reset-release only act on the port of\n"
        "                 the connected unit, take-back only on the port that was released\n"
        "  --socket NAME  the hand-over socket (default: %s)\n"
        "  -h, --help     this text\n"
        "\n"
        "Exit codes: 0 delivered, 1 no Velmor listens or the message could not be written, 2 wrong\n"
        "arguments. Velmor does not answer: a message it cannot apply is ignored.\n",
        kHandoverMaxPort, qPrintable(HandoverSocketName()));
}

int Usage(const QString& problem)
{
    std::fprintf(stderr, "velmor-handover: %s\n", qPrintable(problem));
    std::fprintf(stderr, "Try 'velmor-handover --help'.\n");
    return kExitUsage;
}

struct Arguments {
    std::optional<int> port;
    const Action* action = nullptr;
    QString socket;
    bool help = false;
};

// Takes the value of an option given as "--name VALUE" or "--name=VALUE"; false when it is missing.
bool OptionValue(const QStringList& args, int& i, const QString& name, QString& value)
{
    const QString& arg = args[i];
    if (arg.startsWith(name + QLatin1Char('='))) {
        value = arg.mid(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size())
        return false;
    value = args[++i];
    return true;
}

// Returns an error text, or an empty one when the arguments are sound.
QString Parse(const QStringList& args, Arguments& out)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            out.help = true;
        } else if (arg == QLatin1String("--port") || arg.startsWith(QLatin1String("--port="))) {
            QString value;
            if (!OptionValue(args, i, QStringLiteral("--port"), value))
                return QStringLiteral("--port needs a COM number");
            bool ok = false;
            const int port = value.toInt(&ok);
            if (!ok || port < 1 || port > kHandoverMaxPort)
                return QStringLiteral("'%1' is not a COM number from 1 to %2").arg(value).arg(kHandoverMaxPort);
            out.port = port;
        } else if (arg == QLatin1String("--socket") || arg.startsWith(QLatin1String("--socket="))) {
            if (!OptionValue(args, i, QStringLiteral("--socket"), out.socket) || out.socket.isEmpty())
                return QStringLiteral("--socket needs a name");
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return QStringLiteral("unknown option '%1'").arg(arg);
        } else {
            if (out.action)
                return QStringLiteral("only one action, got '%1' after '%2'").arg(arg, QLatin1String(out.action->word));
            for (const Action& action : kActions)
                if (arg == QLatin1String(action.word))
                    out.action = &action;
            if (!out.action)
                return QStringLiteral("'%1' is not one of release, reset-release, take-back").arg(arg);
        }
    }
    if (out.help)
        return QString();
    if (!out.action)
        return QStringLiteral("no action given (release, reset-release or take-back)");
    if (!out.port)
        return QStringLiteral("no port given (--port N)");
    return QString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Arguments args;
    const QString problem = Parse(app.arguments().mid(1), args);
    if (!problem.isEmpty())
        return Usage(problem);
    if (args.help) {
        PrintUsage(stdout);
        return kExitDelivered;
    }

    const QString socket = args.socket.isEmpty() ? HandoverSocketName() : args.socket;
    QString error;
    if (!SendHandoverMessage(socket, HandoverMessage { *args.port, args.action->code }, error)) {
        std::fprintf(stderr, "velmor-handover: %s\n", qPrintable(error));
        return kExitNotDelivered;
    }
    return kExitDelivered;
}
