#include "sim/port_mapping.h"

#include "shell/settings_escape.h"
#include "shell/settings_ini.h"

#include <QFileInfo>

namespace {

const QString kPorts = QStringLiteral("PORTS");

QString PortKey(int number)
{
    return QStringLiteral("COM%1").arg(number);
}

} // namespace

bool MapComPort(const SettingsLocation& where, int number, const QString& devicePath, QString* previous)
{
    if (number < kFirstComNumber || number > kLastComNumber || devicePath.isEmpty())
        return false;
    IniDocument ini;
    // A missing file is a first start of Velmor and the mapping makes a new one; a file that is there
    // but cannot be read is left alone rather than replaced by the mapping alone.
    if (!ini.Load(where.iniPath) && QFileInfo::exists(where.iniPath))
        return false;
    if (previous) {
        const auto stored = ini.Value(kPorts, PortKey(number));
        *previous = stored ? UnescapePath(*stored) : QString();
    }
    ini.SetString(kPorts, PortKey(number), EscapePath(devicePath));
    return ini.Save(where.iniPath);
}

bool UnmapComPort(const SettingsLocation& where, int number, const QString& devicePath, const QString& previous)
{
    IniDocument ini;
    if (!ini.Load(where.iniPath))
        return true;
    const auto stored = ini.Value(kPorts, PortKey(number));
    if (!stored || UnescapePath(*stored) != devicePath)
        return true;
    if (previous.isEmpty() || previous == devicePath)
        ini.Remove(kPorts, PortKey(number));
    else
        ini.SetString(kPorts, PortKey(number), EscapePath(previous));
    return ini.Save(where.iniPath);
}
