#pragma once

#include <QString>
#include <QStringList>

// The command line of velmor-cli, parsed but not acted on.
enum class CliCommand { None, Ports, Read, Program, Verify, Reset, Monitor, Convert, Show };

struct CliOptions {
    CliCommand command = CliCommand::None;
    QString file; // the input file of program, verify, convert and show
    QString output; // -o: where read and convert write; empty: standard output
    bool portGiven = false; // --port was given
    int port = 0; // 0: automatic search, 1..255: only this COM port
    int language = -1; // -1: the saved language; otherwise kEnglish, kGerman or kCzech
    int timeoutSeconds = 10; // for finding the unit
    int monitorSeconds = 10; // how long monitor runs; 0: until interrupted
    bool quiet = false;
    bool help = false;
};

struct CliParseResult {
    CliOptions options;
    QString error; // empty when the command line is usable
    bool Ok() const { return error.isEmpty(); }
};

// Parses the arguments after the program name. Options may stand before or after the command;
// "--name=value" and "--name value" are both accepted. --help alone, or with a command, is valid.
CliParseResult ParseCliArguments(const QStringList& arguments);

// The text of --help, with the commands, options and exit codes.
QString CliUsageText();
