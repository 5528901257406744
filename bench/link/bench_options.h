#pragma once

#include <QString>
#include <QStringList>

// The simulated units get COM numbers from here up to 255, above anything a system numbers.
inline constexpr int kFirstBenchCom = 201;
inline constexpr int kMostPorts = 255 - kFirstBenchCom + 1;

// Command line of the link benchmarks.
struct BenchOptions {
    QStringList protocols; // simulator protocol names, in the order of the search's table
    int repeat = 1; // runs of every measurement
    int ports = 8; // mapped ports of the automatic-search run (connect benchmark); 0 leaves it out
    QString simulator; // the velmor-sim program
    bool lineSpeed = false; // the pseudo-terminals as slow as real lines at their baud rates
    bool help = false;
};

// All six protocols, in the order the search tries them first.
QStringList AllProtocols();

// Reads --protocol NAME (repeatable, or a comma list), --repeat N, --ports N (when `withPorts`),
// --line-speed, --sim PATH and --help. False with `error` set on anything else.
bool ParseBenchOptions(const QStringList& arguments, bool withPorts, BenchOptions& options, QString& error);
// The heading's note on the line speed: nothing for plain pseudo-terminals.
QString SpeedNote(const BenchOptions& options);
QString BenchUsage(const char* program, const char* what, bool withPorts);
