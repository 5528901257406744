#pragma once

#include "bench/link/bench_options.h"

#include <QString>

#include <functional>

// Progress and messages to stderr, figures to stdout; each line flushed at once so a long run shows
// how far it is.
void Say(const QString& text);
void Print(const QString& text);

// The frame of a link benchmark program: a private settings folder (made before anything reads the
// environment, the simulators included), the application, the options with --help, then `body`.
// Returns the program's exit code: 2 for bad options, 1 without a settings folder, else the body's.
int RunBenchProgram(int argc, char** argv, const char* name, const char* description, bool withPorts,
    const std::function<int(const BenchOptions&)>& body);
