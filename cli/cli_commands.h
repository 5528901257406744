#pragma once

#include "cli/cli_arguments.h"
#include "platform/port_list.h"
#include "platform/serial_port.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>

// What the commands reach outside themselves: the ports, the passing of time and the two output
// streams. The program fills it with the system's ports; tests with in-memory lines.
struct CliEnvironment {
    IPortListProvider* portList = nullptr;
    SerialPortFactory serialFactory;
    // The [PORTS] map of the settings, for listing mapped ports that are not present.
    std::map<int, QString> mappedPorts;
    // The COM choice of the settings, used when --port is not given: 0 automatic, n COM n.
    int savedPort = 0;
    // Called between two ticks of the link.
    std::function<void()> pause;
    // Data (standard output) and progress/status (standard error).
    std::function<void(const QByteArray&)> out;
    std::function<void(const QByteArray&)> err;
};

// Runs one parsed command; returns its exit code (CliExit).
int RunCliCommand(const CliOptions& options, CliEnvironment& environment);
