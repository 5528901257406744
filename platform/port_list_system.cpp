#include "platform/port_list_system.h"

#include "platform/port_list_numbering.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace
{

bool DeviceExists(const QString& path)
{
    return QFileInfo::exists(path);
}

// Every serial device has an entry here while it exists, so the list of names changes whenever one is
// plugged in or taken out. Empty where the system has no such folder.
QStringList TtyClassNames()
{
    return QDir(QStringLiteral("/sys/class/tty"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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
    QStringList names = TtyClassNames();
    if (names.isEmpty() || names != m_ttyClassNames) {
        m_systemDevices.clear();
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            m_systemDevices.append(info.systemLocation());
        m_ttyClassNames = std::move(names);
    }
    ports = NumberPorts(m_systemDevices, m_mappedPorts, &DeviceExists);
    return true;
}
