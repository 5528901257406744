#pragma once

#include "platform/port_list.h"

#include <QStringList>

#include <map>

// The system's serial ports (QSerialPortInfo) numbered as COM ports, plus the user's mapped ports
// that exist right now. Pseudo-terminals never show up in the system's list, so the map is how a
// simulator or an unusual device is reached.
class SystemPortList : public IPortListProvider
{
public:
    explicit SystemPortList(std::map<int, QString> mappedPorts = {});

    // The [PORTS] map as read from the settings: COM number → device path. Main thread.
    void SetMappedPorts(std::map<int, QString> mappedPorts);
    bool List(std::vector<PortListEntry>& ports) override;

private:
    std::map<int, QString> m_mappedPorts;
    // The system's answer is asked again only when the names of the tty class changed (a device came
    // or went): asking walks every terminal of the machine and its parents, milliseconds each time.
    QStringList m_systemDevices;
    QStringList m_ttyClassNames; // empty: no tty class to watch, the system is asked every time
};
