#include "platform/port_list_system.h"

#include "platform/port_list_numbering.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace
{

bool DeviceExists(const QString& path)
{
    return QFileInfo::exists(path);
}

} // namespace

SystemPortList::SystemPortList(std::map<int, QString> mappedPorts)
    : m_mappedPorts(std::move(mappedPorts))
{
}

void SystemPortList::SetMappedPorts(std::map<int, QString> mappedPorts)
{
    m_mappedPorts = std::move(mappedPorts);
}

bool SystemPortList::List(std::vector<PortListEntry>& ports)
{
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.append(info.systemLocation());
    ports = NumberPorts(devices, m_mappedPorts, &DeviceExists);
    return true;
}
