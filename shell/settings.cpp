#include "shell/settings.h"

#include "shell/settings_escape.h"
#include "shell/settings_ini.h"

#include <optional>

namespace
{

const QString kBasic = QStringLiteral("BASIC");
const QString kPorts = QStringLiteral("PORTS");
constexpr int kCzech = 2;
constexpr int kStoredCzech = 3;
constexpr int kMaxComNumber = 255;

QString HistoryKey(int index)
{
    return QStringLiteral("MenuHistory%1").arg(index, 2, 10, QLatin1Char('0'));
}

// The COM number of a PORTS key ("COM7", any case), or 0 when the key is not one.
int PortNumber(const QString& key)
{
    const QString digits = key.mid(3);
    if (!key.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive) || digits.isEmpty()
        || !digits.front().isDigit())
        return 0;
    bool ok = false;
    const int number = digits.toInt(&ok, 10);
    return ok && number >= 1 && number <= kMaxComNumber ? number : 0;
}

WindowPlacement ReadWindow(const IniDocument& ini, const WindowPlacement& current)
{
    WindowPlacement window;
    window.left = ini.Integer(kBasic, QStringLiteral("Left"), current.left);
    window.top = ini.Integer(kBasic, QStringLiteral("Top"), current.top);
    window.height = ini.Integer(kBasic, QStringLiteral("Height"), current.height);
    window.width = ini.Integer(kBasic, QStringLiteral("Width"), current.width);
    return window;
}

// Entries are read up to the first empty one; an empty entry 0 (no current file) still counts.
QStringList ReadHistory(const IniDocument& ini)
{
    QStringList entries;
    for (int i = 0; i < FileHistory::kMaxEntries; ++i) {
        const QString value = ini.String(kBasic, HistoryKey(i));
        if (value.isEmpty() && i > 0)
            break;
        entries.append(UnescapePath(value));
    }
    return entries;
}

std::map<int, QString> ReadPorts(const IniDocument& ini)
{
    std::map<int, QString> ports;
    for (const QString& key : ini.Keys(kPorts)) {
        const int number = PortNumber(key);
        const QString device = UnescapePath(ini.String(kPorts, key));
        if (number != 0 && !device.isEmpty())
            ports.emplace(number, device);
    }
    return ports;
}

void WriteHistory(IniDocument& ini, const FileHistory& history)
{
    for (int i = 0; i < history.Count(); ++i)
        ini.SetString(kBasic, HistoryKey(i), EscapePath(history.Entry(i)));
    // Keys past the end of the list would be read back as entries at the next start and bring a
    // removed file back, or a moved one twice.
    for (int i = history.Count(); i < FileHistory::kMaxEntries; ++i)
        ini.Remove(kBasic, HistoryKey(i));
}

} // namespace

int EncodeLanguage(int language)
{
    return language == kCzech ? kStoredCzech : language;
}

int DecodeLanguage(int stored, int current)
{
    switch (stored) {
    case 0:
    case 1:
        return stored;
    case kStoredCzech:
        return kCzech;
    default:
        return current;
    }
}

VelmorSettings LoadSettings(
    const SettingsLocation& where, const VelmorSettings& current, const std::vector<PixelRect>& monitors)
{
    IniDocument ini;
    ini.Load(where.iniPath);

    VelmorSettings settings;
    settings.window = FitWindowToMonitors(ReadWindow(ini, current.window), monitors);
    settings.comPort = ini.Integer(kBasic, QStringLiteral("ComPort"), 0);
    settings.comPortAuto = ini.Integer(kBasic, QStringLiteral("ComPortAuto"), current.comPortAuto);
    settings.language = DecodeLanguage(
        ini.Integer(kBasic, QStringLiteral("Language"), EncodeLanguage(current.language)), current.language);
    settings.updateNumber = ini.Integer(kBasic, QStringLiteral("UpdateNumber"), -1);
    settings.file = UnescapePath(ini.String(kBasic, QStringLiteral("File")));
    const std::optional<QString> dialogPath = ini.Value(kBasic, QStringLiteral("IniDir"));
    settings.dialogPath = dialogPath ? UnescapePath(*dialogPath) : settings.file;
    settings.newInstall = ini.Integer(kBasic, QStringLiteral("NEWINSTAL"), 1);
    settings.monitorPlayer = ini.Integer(kBasic, QStringLiteral("MONITORPLAYER"), 0) != 0;
    settings.history.Assign(ReadHistory(ini));
    settings.ports = ReadPorts(ini);
    settings.block = current.block;
    ReadBlockFile(where.blockPath, settings.block);
    return settings;
}

bool SaveSettings(const SettingsLocation& where, const VelmorSettings& settings)
{
    // Start from the file as it is, so that keys written by hand or by other versions survive.
    IniDocument ini;
    ini.Load(where.iniPath);

    ini.SetInteger(kBasic, QStringLiteral("Left"), settings.window.left);
    ini.SetInteger(kBasic, QStringLiteral("Top"), settings.window.top);
    ini.SetInteger(kBasic, QStringLiteral("Height"), settings.window.height);
    ini.SetInteger(kBasic, QStringLiteral("Width"), settings.window.width);
    ini.SetInteger(kBasic, QStringLiteral("ComPort"), settings.comPort);
    ini.SetInteger(kBasic, QStringLiteral("ComPortAuto"), settings.comPortAuto);
    ini.SetInteger(kBasic, QStringLiteral("Language"), EncodeLanguage(settings.language));
    ini.SetInteger(kBasic, QStringLiteral("UpdateNumber"), settings.updateNumber);
    ini.SetString(kBasic, QStringLiteral("File"), EscapePath(settings.file));
    ini.SetString(kBasic, QStringLiteral("IniFileDir"), EscapePath(settings.dialogPath));
    ini.SetInteger(kBasic, QStringLiteral("NEWINSTAL"), settings.newInstall);
    ini.SetInteger(kBasic, QStringLiteral("MONITORPLAYER"), settings.monitorPlayer ? 1 : 0);
    WriteHistory(ini, settings.history);
    // [PORTS] is never written here: its entries belong to the user or to a simulator that maps its
    // pseudo-terminal while it runs. Writing back the map read at start-up would bring back an entry
    // that a simulator removed in the meantime, pointing at a terminal that may now be someone else's.

    const bool iniWritten = ini.Save(where.iniPath);
    const bool blockWritten = WriteBlockFile(where.blockPath, settings.block);
    return iniWritten && blockWritten;
}
