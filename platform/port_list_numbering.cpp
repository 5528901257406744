#include "platform/port_list_numbering.h"

#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace
{

// Fixed ranges for the common device families, so that the first USB adapter is always the same
// small number: first, count, number of the family's device 0.
struct DeviceFamily {
    const char* prefix;
    int firstNumber;
    int count;
};

constexpr DeviceFamily kFamilies[] = {
    { "ttyS", 1, 16 },
    { "ttyUSB", 17, 48 },
    { "ttyACM", 65, 48 },
};

// Everything else hashes into the numbers above the fixed ranges.
constexpr int kHashedFirst = 113;
constexpr int kHashedCount = kLastComNumber - kHashedFirst + 1;

QString BaseName(const QString& devicePath)
{
    const qsizetype slash = std::max(devicePath.lastIndexOf('/'), devicePath.lastIndexOf('\\'));
    return devicePath.mid(slash + 1);
}

// FNV-1a over the UTF-8 path: stable across runs and platforms, unlike qHash.
quint32 StableHash(const QString& text)
{
    quint32 hash = 2166136261u;
    for (const char byte : text.toUtf8()) {
        hash ^= static_cast<quint8>(byte);
        hash *= 16777619u;
    }
    return hash;
}

int NextNumber(int number)
{
    return number >= kLastComNumber ? kFirstComNumber : number + 1;
}

} // namespace

int PreferredComNumber(const QString& devicePath)
{
    const QString name = BaseName(devicePath);
    static const QRegularExpression numbered(QStringLiteral("^([A-Za-z]+)(\\d{1,3})$"));
    const QRegularExpressionMatch match = numbered.match(name);
    if (match.hasMatch()) {
        const QString prefix = match.captured(1);
        const int index = match.captured(2).toInt();
        if (prefix.compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0 && index >= kFirstComNumber
            && index <= kLastComNumber)
            return index;
        for (const DeviceFamily& family : kFamilies) {
            if (prefix == QLatin1String(family.prefix) && index < family.count)
                return family.firstNumber + index;
        }
    }
    return kHashedFirst + static_cast<int>(StableHash(devicePath) % kHashedCount);
}

std::vector<PortListEntry> NumberPorts(const QStringList& devicePaths,
    const std::map<int, QString>& mappedPorts, bool (*exists)(const QString& path))
{
    std::set<int> taken;
    std::set<QString> mappedPaths;
    std::vector<PortListEntry> numbered;
    for (const auto& [number, path] : mappedPorts) {
        if (number < kFirstComNumber || number > kLastComNumber || path.isEmpty())
            continue;
        taken.insert(number);
        mappedPaths.insert(path);
        if (exists(path))
            numbered.push_back({ number, path });
    }

    // Sorted and without duplicates, so that who yields to whom does not depend on list order.
    QStringList devices = devicePaths;
    devices.removeDuplicates();
    devices.sort();
    devices.removeIf([&](const QString& path) { return path.isEmpty() || mappedPaths.count(path) > 0; });

    // Every device that can have its own number takes it first; only the rest move up.
    QStringList displaced;
    for (const QString& path : devices) {
        const int wanted = PreferredComNumber(path);
        if (taken.insert(wanted).second)
            numbered.push_back({ wanted, path });
        else
            displaced.append(path);
    }
    for (const QString& path : displaced) {
        if (static_cast<int>(taken.size()) >= kLastComNumber)
            break;
        int number = NextNumber(PreferredComNumber(path));
        while (taken.count(number) > 0)
            number = NextNumber(number);
        taken.insert(number);
        numbered.push_back({ number, path });
    }

    std::sort(numbered.begin(), numbered.end(),
        [](const PortListEntry& a, const PortListEntry& b) { return a.number < b.number; });
    return numbered;
}
