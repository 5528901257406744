#include "bench/link/bench_program.h"

#include "bench/link/private_settings.h"

#include <QCoreApplication>

#include <cstdio>

void Say(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

void Print(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

int RunBenchProgram(int argc, char** argv, const char* name, const char* description, bool withPorts,
    const std::function<int(const BenchOptions&)>& body)
{
    PrivateSettings settings;
    QCoreApplication application(argc, argv);
    BenchOptions options;
    options.simulator = QStringLiteral(VELMOR_SIM_EXECUTABLE);
    QString error;
    if (!ParseBenchOptions(QCoreApplication::arguments().mid(1), withPorts, options, error)) {
        Say(QString::fromLatin1(name) + QStringLiteral(": ") + error);
        return 2;
    }
    if (options.help) {
        std::printf("%s", qPrintable(BenchUsage(name, description, withPorts)));
        return 0;
    }
    if (!settings.Valid()) {
        Say(QString::fromLatin1(name) + QStringLiteral(": no private settings folder could be made"));
        return 1;
    }
    return body(options);
}
