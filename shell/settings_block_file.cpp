#include "shell/settings_block_file.h"

#include "platform/atomic_file.h"

#include <QFile>

#include <cctype>
#include <cstdio>

namespace
{

// A block file holds about 600 characters; white space beyond this bound cannot precede a value.
constexpr qint64 kMaxBlockFileSize = 64 * 1024;

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

QByteArray FormatBlockFile(const StoredBlock& block)
{
    QByteArray out;
    char value[16];
    for (size_t i = 0; i < block.size(); ++i) {
        std::snprintf(value, sizeof value, "%5u ", unsigned(block[i]));
        out += value;
        if (i % 10 == 9)
            out += '\n';
    }
    out += '\n';
    return out;
}

int ParseBlockFile(const QByteArray& text, StoredBlock& block)
{
    int count = 0;
    qsizetype i = 0;
    while (count < int(block.size())) {
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        if (i == text.size())
            break;
        // The value modulo 256 is kept digit by digit, so a number of any length is exact.
        unsigned value = 0;
        bool number = true;
        for (; i < text.size() && !IsSpace(text[i]); ++i) {
            if (!IsDigit(text[i])) {
                number = false;
                break;
            }
            value = (value * 10 + unsigned(text[i] - '0')) % 256;
        }
        if (!number)
            break;
        block[size_t(count++)] = uint8_t(value);
    }
    return count;
}

int ReadBlockFile(const QString& path, StoredBlock& block)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return ParseBlockFile(file.read(kMaxBlockFileSize), block);
}

bool WriteBlockFile(const QString& path, const StoredBlock& block)
{
    return WriteFileAtomically(path, FormatBlockFile(block));
}
