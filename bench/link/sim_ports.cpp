#include "bench/link/sim_ports.h"

#include "shell/rskey.h"
#include "shell/settings.h"

bool SimulatedPorts::Start(const QString& program, const std::vector<SimulatedPort>& ports, QString& error)
{
    std::map<int, QString> printed;
    for (const SimulatedPort& port : ports) {
        QStringList arguments = port.arguments;
        arguments << QStringLiteral("--map-com") << QString::number(port.com) << QStringLiteral("--quiet");
        auto process = std::make_unique<SimProcess>(program);
        const bool started = process->Start(arguments);
        const QString device = process->Device();
        m_processes.push_back(std::move(process));
        if (!started || !device.startsWith(QStringLiteral("/dev/"))) {
            error = QStringLiteral("%1 did not come up for COM%2").arg(program).arg(port.com);
            return false;
        }
        printed[port.com] = device;
    }
    const VelmorSettings settings = LoadSettings(LocateSettings(kRsKey), VelmorSettings {}, {});
    for (const auto& [com, device] : printed) {
        const auto mapped = settings.ports.find(com);
        if (mapped == settings.ports.end() || mapped->second != device) {
            error = QStringLiteral("COM%1 is not mapped to %2 in the settings").arg(com).arg(device);
            return false;
        }
        m_portList.push_back({ com, mapped->second });
    }
    return true;
}

QString SimulatedPorts::Device(int com) const
{
    for (const PortListEntry& entry : m_portList)
        if (entry.number == com)
            return entry.devicePath;
    return {};
}
