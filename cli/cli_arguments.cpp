#include "cli/cli_arguments.h"

#include "shell/language.h"

#include <array>

namespace {

struct CommandEntry {
    const char* name;
    CliCommand command;
    bool takesFile;
    bool takesOutput;
    bool usesUnit;
};

constexpr std::array<CommandEntry, 8> kCommands { {
    { "ports", CliCommand::Ports, false, false, false },
    { "read", CliCommand::Read, false, true, true },
    { "program", CliCommand::Program, true, false, true },
    { "verify", CliCommand::Verify, true, false, true },
    { "reset", CliCommand::Reset, false, false, true },
    { "monitor", CliCommand::Monitor, false, false, true },
    { "convert", CliCommand::Convert, true, true, false },
    { "show", CliCommand::Show, true, false, false },
} };

const CommandEntry* FindCommand(const QString& name)
{
    for (const CommandEntry& entry : kCommands)
        if (name == QLatin1String(entry.name))
            return &entry;
    return nullptr;
}

bool ParseNumber(const QString& text, int minimum, int maximum, int& value)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        return false;
    value = number;
    return true;
}

} // namespace

CliParseResult ParseCliArguments(const QStringList& arguments)
{
    CliParseResult result;
    CliOptions& o = result.options;
    auto fail = [&](const QString& text) {
        result.error = text;
        return result;
    };
    QStringList positional;
    bool outputGiven = false;
    bool secondsGiven = false;

    for (int i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        QString value;
        bool hasValue = false;
        if (argument.startsWith(QLatin1String("--")) && argument.contains(QLatin1Char('='))) {
            const int at = int(argument.indexOf(QLatin1Char('=')));
            value = argument.mid(at + 1);
            argument = argument.left(at);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= arguments.size())
                return false;
            value = arguments[++i];
            return true;
        };

        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            o.help = true;
        } else if (argument == QLatin1String("--quiet") || argument == QLatin1String("-q")) {
            o.quiet = true;
        } else if (argument == QLatin1String("--port")) {
            if (!takeValue())
                return fail(QStringLiteral("--port needs a COM number or 'auto'"));
            o.portGiven = true;
            if (value.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
                o.port = 0;
            else if (!ParseNumber(value, 1, 255, o.port))
                return fail(QStringLiteral("--port: '%1' is neither a COM number 1..255 nor 'auto'").arg(value));
        } else if (argument == QLatin1String("--lang")) {
            if (!takeValue())
                return fail(QStringLiteral("--lang needs ENGLISH, DEUTSCH or CESKY"));
            const QString upper = value.toUpper();
            if (upper == QLatin1String("ENGLISH"))
                o.language = kEnglish;
            else if (upper == QLatin1String("DEUTSCH"))
                o.language = kGerman;
            else if (upper == QLatin1String("CESKY"))
                o.language = kCzech;
            else
                return fail(QStringLiteral("--lang: '%1' is not ENGLISH, DEUTSCH or CESKY").arg(value));
        } else if (argument == QLatin1String("--timeout")) {
            if (!takeValue() || !ParseNumber(value, 1, 3600, o.timeoutSeconds))
                return fail(QStringLiteral("--timeout needs a number of seconds, 1..3600"));
        } else if (argument == QLatin1String("--seconds")) {
            if (!takeValue() || !ParseNumber(value, 0, 86400, o.monitorSeconds))
                return fail(QStringLiteral("--seconds needs a number of seconds, 0..86400"));
            secondsGiven = true;
        } else if (argument == QLatin1String("-o") || argument == QLatin1String("--output")) {
            if (!takeValue() || value.isEmpty())
                return fail(QStringLiteral("-o needs a file name"));
            o.output = value;
            outputGiven = true;
        } else if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            return fail(QStringLiteral("unknown option '%1'").arg(argument));
        } else {
            positional << argument;
        }
    }

    if (positional.isEmpty()) {
        if (o.help)
            return result;
        return fail(QStringLiteral("no command given"));
    }
    const QString name = positional.takeFirst();
    const CommandEntry* entry = FindCommand(name);
    if (!entry)
        return fail(QStringLiteral("unknown command '%1'").arg(name));
    o.command = entry->command;
    if (o.help)
        return result;
    if (entry->takesFile) {
        if (positional.isEmpty())
            return fail(QStringLiteral("%1 needs a file").arg(QLatin1String(entry->name)));
        o.file = positional.takeFirst();
    }
    if (!positional.isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'").arg(positional.first()));
    if (outputGiven && !entry->takesOutput)
        return fail(QStringLiteral("%1 takes no -o").arg(QLatin1String(entry->name)));
    if (o.portGiven && !entry->usesUnit)
        return fail(QStringLiteral("%1 takes no --port").arg(QLatin1String(entry->name)));
    if (secondsGiven && o.command != CliCommand::Monitor)
        return fail(QStringLiteral("only monitor takes --seconds"));
    return result;
}

QString CliUsageText()
{
    return QStringLiteral(
        "Usage: velmor-cli COMMAND [ARGUMENTS] [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  ports                 the COM numbers with their devices and whether each is present\n"
        "  read [-o FILE.ign]    read the unit's settings into FILE.ign (standard output without -o)\n"
        "  program FILE.ign      program the file's settings into the unit, compare them and wait for saving\n"
        "  verify FILE.ign       compare the unit's settings with the file's\n"
        "  reset                 restart the unit\n"
        "  monitor [--seconds S] print the live monitor values once per exchange (default 10 s, 0: no end)\n"
        "  convert IN.ign [-o OUT.ign]  read any known file version and write the current one\n"
        "  show FILE.ign         the settings one per line with their units, and the raw 100 bytes\n"
        "\n"
        "Options:\n"
        "  --port N|auto         the COM port of the unit (default: the one chosen in the program, else auto)\n"
        "  --lang ENGLISH|DEUTSCH|CESKY  language of the status and monitor texts\n"
        "  --timeout SECONDS     how long to look for the unit (default 10)\n"
        "  --quiet               no progress texts on standard error\n"
        "  --help                this text\n"
        "\n"
        "Progress and status go to standard error, data to standard output.\n"
        "\n"
        "Exit codes:\n"
        "  0 success\n"
        "  1 the operation failed (unit lost, read error, file not written)\n"
        "  2 bad usage\n"
        "  3 file error (cannot open, unmatched version)\n"
        "  4 no unit found\n"
        "  5 the unit's program version does not match\n"
        "  6 verify or compare error\n"
        "  7 the unit refuses to be read\n");
}
