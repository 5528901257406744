#pragma once

#include "platform/port_list.h"
#include "sim/sim_process.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

// One simulated device: the COM number it maps itself to, and the simulator's other options.
struct SimulatedPort {
    int com = 0;
    QStringList arguments;
};

// A set of velmor-sim programs, each on its own pseudo-terminal and mapped to its COM number in the
// [PORTS] section of the (private) settings, as a user maps a simulator for Velmor. The port list
// the link gets is read back from those settings and holds exactly the started numbers: the search
// sees nothing else, no system port least of all.
class SimulatedPorts
{
public:
    // Starts them one after the other: each writes its [PORTS] entry before it prints its device,
    // so no two write the settings file at once. False with `error` set when one did not come up
    // or its entry is not in the settings.
    bool Start(const QString& program, const std::vector<SimulatedPort>& ports, QString& error);

    const std::vector<PortListEntry>& PortList() const { return m_portList; }
    QString Device(int com) const;

private:
    std::vector<std::unique_ptr<SimProcess>> m_processes;
    std::vector<PortListEntry> m_portList;
};
