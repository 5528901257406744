#pragma once

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/exit_codes.h"

#include <QByteArray>
#include <QStringList>

#include <gtest/gtest.h>

// One velmor-cli run inside the test: parsed like the program parses it, with both streams captured.
struct CliRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun RunCli(const QStringList& arguments, CliEnvironment environment = {})
{
    CliRun run;
    const CliParseResult parsed = ParseCliArguments(arguments);
    EXPECT_TRUE(parsed.Ok()) << parsed.error.toStdString();
    if (!parsed.Ok()) {
        run.code = CliExit::kUsage;
        return run;
    }
    environment.out = [&](const QByteArray& bytes) { run.out += bytes; };
    environment.err = [&](const QByteArray& bytes) { run.err += bytes; };
    run.code = RunCliCommand(parsed.options, environment);
    return run;
}
