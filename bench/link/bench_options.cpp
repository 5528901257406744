#include "bench/link/bench_options.h"

QStringList AllProtocols()
{
    return { QStringLiteral("IGN50"), QStringLiteral("WCOM"), QStringLiteral("WCOMS"),
        QStringLiteral("IGN100"), QStringLiteral("IGN150"), QStringLiteral("IGN300") };
}

namespace
{

bool Count(const QString& text, int minimum, int& value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= minimum;
}

} // namespace

bool ParseBenchOptions(const QStringList& arguments, bool withPorts, BenchOptions& options, QString& error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == QStringLiteral("-h") || option == QStringLiteral("--help")) {
            options.help = true;
            continue;
        }
        if (option == QStringLiteral("--line-speed")) {
            options.lineSpeed = true;
            continue;
        }
        const bool takesValue = option == QStringLiteral("--protocol") || option == QStringLiteral("--repeat")
            || option == QStringLiteral("--sim") || (withPorts && option == QStringLiteral("--ports"));
        if (!takesValue) {
            error = QStringLiteral("unknown option '%1'").arg(option);
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(option);
            return false;
        }
        const QString value = arguments[++i];
        if (option == QStringLiteral("--protocol")) {
            for (const QString& name : value.split(u',', Qt::SkipEmptyParts)) {
                const QString upper = name.trimmed().toUpper();
                if (!AllProtocols().contains(upper)) {
                    error = QStringLiteral("'%1' is not one of %2").arg(name, AllProtocols().join(u' '));
                    return false;
                }
                options.protocols.append(upper);
            }
        } else if (option == QStringLiteral("--repeat")) {
            if (!Count(value, 1, options.repeat)) {
                error = QStringLiteral("--repeat: '%1' is not a count of 1 or more").arg(value);
                return false;
            }
        } else if (option == QStringLiteral("--ports")) {
            if (!Count(value, 0, options.ports) || options.ports > kMostPorts) {
                error
                    = QStringLiteral("--ports: '%1' is not a count from 0 to %2").arg(value).arg(kMostPorts);
                return false;
            }
        } else {
            options.simulator = value;
        }
    }
    if (options.protocols.isEmpty())
        options.protocols = AllProtocols();
    return true;
}

QString BenchUsage(const char* program, const char* what, bool withPorts)
{
    QString text
        = QStringLiteral(
            "Usage: %1 [options]\n\n%2\n\n"
            "  --protocol NAME   only this protocol (repeatable, or a comma list); default all six:\n"
            "                    %3\n"
            "  --repeat N        run every measurement N times; the tables show the median and,\n"
            "                    where runs differ, [lowest-highest]\n")
              .arg(QString::fromLatin1(program), QString::fromLatin1(what), AllProtocols().join(u' '));
    if (withPorts)
        text += QStringLiteral(
            "  --ports N         mapped ports of the automatic-search run, the unit on the last\n"
            "                    one and nothing answering on the others (default 8, 0: none)\n");
    text += QStringLiteral(
        "  --line-speed      make the pseudo-terminals as slow as real lines at the baud rate\n"
        "                    (10 bits a byte each way), so jobs take real line time\n");
    text += QStringLiteral("  --sim PATH        the velmor-sim program (default: the one built beside this)\n"
                           "  -h, --help        this text\n");
    return text;
}

QString SpeedNote(const BenchOptions& options)
{
    return options.lineSpeed ? QStringLiteral(" (pseudo-terminals slowed to line speed)") : QString();
}
