#include "sim/information_block.h"

#include <algorithm>
#include <cctype>

namespace {

std::uint8_t Byte(int value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

int TwoDigits(int value)
{
    return std::clamp(value, 0, 99);
}

// Digits of text[at..at+count) as a decimal number; -1 when any is not a digit.
int Decimal(const std::string& text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int Hex(const std::string& text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        if (c >= '0' && c <= '9')
            value = value * 16 + (c - '0');
        else if (c >= 'a' && c <= 'f')
            value = value * 16 + (c - 'a' + 10);
        else
            return -1;
    }
    return value;
}

} // namespace

int BuildMonthCode(int month)
{
    static const char* const kMonths[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct",
        "Nov", "Dec" };
    if (month < 1 || month > 12)
        return 0;
    const char* name = kMonths[month - 1];
    return (name[0] + name[1] + name[2]) % 64;
}

InformationBlock BuildInformationBlock(const InformationSettings& settings, bool readingAllowed)
{
    using namespace InfoIndex;
    InformationBlock block {};
    for (int i = 0; i < 3; ++i)
        block[kName + i] = static_cast<std::uint8_t>(i < static_cast<int>(settings.name.size()) ? settings.name[i] : ' ');
    block[kNameNumber] = Byte(TwoDigits(settings.nameNumber));
    block[kBuildDay] = Byte(settings.buildDay);
    block[kBuildMonthCode] = Byte(BuildMonthCode(settings.buildMonth));
    block[kBuildYear] = Byte(TwoDigits(settings.buildYear % 100));
    block[kBuildHour] = Byte(settings.buildHour);
    block[kBuildMinute] = Byte(settings.buildMinute);
    block[kReadingAllowed] = readingAllowed ? 1 : 0;
    block[kVersion] = Byte(settings.version);
    block[kSubVersion] = Byte(settings.subVersion);

    const int nameLength = std::min<int>(static_cast<int>(settings.longName.size()), kMaxLongNameLength);
    for (int i = 0; i < nameLength; ++i)
        block[kLongName + i] = static_cast<std::uint8_t>(settings.longName[i]);

    if (settings.updateLetter != 0) {
        block[kUpdateLetter] = static_cast<std::uint8_t>((settings.updateLetter & 0x7F) | (settings.updateFlag ? 0x80 : 0));
        // Shown most significant first from byte 34 down to byte 32.
        for (int i = 0; i < 3; ++i)
            block[kUpdateNumbers + 2 - i] = Byte(TwoDigits(settings.updateNumbers[i]));
    }
    for (int i = 0; i < 4; ++i)
        block[kLastUpdate + i] = static_cast<std::uint8_t>((settings.lastUpdate >> (8 * i)) & 0xFF);
    for (int i = 0; i < kSerialBytes; ++i)
        block[kSerial + i] = settings.serial[i];
    const int optionCount = std::min<int>(static_cast<int>(settings.options.size()), kMaxOptionLetters);
    for (int i = 0; i < optionCount; ++i)
        block[kOptions + i] = static_cast<std::uint8_t>(settings.options[i]);
    return block;
}

bool ParseSerialNumber(const std::string& text, std::array<std::uint8_t, kSerialBytes>& serial)
{
    // YYMMDD-hhmmss-NNNxx: bytes 46 45 44 - 43 42 41 - 40 (decimal) 39 (hexadecimal).
    if (text.size() != 19 || text[6] != '-' || text[13] != '-')
        return false;
    std::array<std::uint8_t, kSerialBytes> parsed {};
    const size_t pairs[] = { 0, 2, 4, 7, 9, 11 };
    for (int i = 0; i < 6; ++i) {
        const int value = Decimal(text, pairs[i], 2);
        if (value < 0)
            return false;
        parsed[7 - i] = static_cast<std::uint8_t>(value);
    }
    const int number = Decimal(text, 14, 3);
    const int hex = Hex(text, 17, 2);
    if (number < 0 || number > 255 || hex < 0)
        return false;
    parsed[1] = static_cast<std::uint8_t>(number);
    parsed[0] = static_cast<std::uint8_t>(hex);
    serial = parsed;
    return true;
}
