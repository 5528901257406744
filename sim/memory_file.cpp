#include "sim/memory_file.h"

#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

const QByteArray kHeader = "VELMOR-SIM-MEMORY 1";
constexpr int kBytesPerLine = 32;
constexpr int kLines = kUnitMemorySize / kBytesPerLine;

bool ParseNumber(const QByteArray& text, qint64 maximum, qint64& value)
{
    bool ok = false;
    value = text.toLongLong(&ok, 10);
    return ok && value >= 0 && value <= maximum;
}

} // namespace

QByteArray SerializeUnitMemory(const PersistentUnit& unit)
{
    QByteArray text = kHeader + '\n';
    text += "PROGRAMMINGS " + QByteArray::number(unit.programmings) + '\n';
    text += "HOURMETER " + QByteArray::number(unit.hourMinutes) + '\n';
    for (int line = 0; line < kLines; ++line) {
        const int address = line * kBytesPerLine;
        text += QByteArray::number(address, 16).rightJustified(4, '0').toUpper() + ' ';
        text += QByteArray(reinterpret_cast<const char*>(unit.memory.data() + address), kBytesPerLine).toHex().toUpper();
        text += '\n';
    }
    return text;
}

bool ParseUnitMemory(const QByteArray& text, PersistentUnit& unit, QString& error)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != kHeader) {
        error = QStringLiteral("not a memory file of the simulator");
        return false;
    }
    PersistentUnit parsed;
    std::vector<bool> seen(kLines, false);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> words = line.split(' ');
        auto fail = [&](const char* why) {
            error = QStringLiteral("line %1: %2").arg(i + 1).arg(QString::fromLatin1(why));
            return false;
        };
        if (words.size() != 2)
            return fail("expected a keyword or an address and its bytes");
        qint64 value = 0;
        if (words[0] == "PROGRAMMINGS") {
            if (!ParseNumber(words[1], 0xFFFF, value))
                return fail("programming count out of range");
            parsed.programmings = static_cast<int>(value);
            continue;
        }
        if (words[0] == "HOURMETER") {
            if (!ParseNumber(words[1], 0xFFFFFF, value))
                return fail("hour meter out of range");
            parsed.hourMinutes = static_cast<std::uint32_t>(value);
            continue;
        }
        bool ok = false;
        const int address = words[0].toInt(&ok, 16);
        if (!ok || words[0].size() != 4 || address % kBytesPerLine != 0 || address >= kUnitMemorySize)
            return fail("bad address");
        const int row = address / kBytesPerLine;
        if (seen[row])
            return fail("address given twice");
        const QByteArray hex = words[1];
        if (hex.size() != 2 * kBytesPerLine)
            return fail("expected 32 bytes");
        for (char c : hex)
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return fail("not hexadecimal");
        const QByteArray bytes = QByteArray::fromHex(hex);
        std::copy(bytes.begin(), bytes.end(), parsed.memory.begin() + address);
        seen[row] = true;
    }
    for (int row = 0; row < kLines; ++row) {
        if (!seen[row]) {
            error = QStringLiteral("address %1 is missing").arg(row * kBytesPerLine, 4, 16, QLatin1Char('0'));
            return false;
        }
    }
    unit = parsed;
    return true;
}

MemoryFileStatus LoadUnitMemory(const QString& path, PersistentUnit& unit, QString& error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return MemoryFileStatus::Missing;
    if (info.size() > kMaxMemoryFileSize) {
        error = QStringLiteral("larger than a memory file can be");
        return MemoryFileStatus::Damaged;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return MemoryFileStatus::Damaged;
    }
    const QByteArray text = file.read(kMaxMemoryFileSize + 1);
    if (text.size() > kMaxMemoryFileSize) {
        error = QStringLiteral("larger than a memory file can be");
        return MemoryFileStatus::Damaged;
    }
    return ParseUnitMemory(text, unit, error) ? MemoryFileStatus::Loaded : MemoryFileStatus::Damaged;
}

bool SaveUnitMemory(const QString& path, const PersistentUnit& unit)
{
    return WriteFileAtomically(path, SerializeUnitMemory(unit));
}
