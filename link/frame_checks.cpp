#include "link/frame_checks.h"

bool IsWcomProtocol(int protocol)
{
    return protocol == WCOM || protocol == WCOMS;
}

bool IsIgnProtocol(int protocol)
{
    return IgnDataSize(protocol) > 0;
}

int IgnDataSize(int protocol)
{
    switch (protocol) {
    case IGN50:
        return 50;
    case IGN100:
        return 100;
    case IGN150:
        return 150;
    case IGN300:
        return 300;
    default:
        return 0;
    }
}

const char* ProtocolName(int protocol)
{
    switch (protocol) {
    case WCOM:
        return "WCOM";
    case WCOMS:
        return "WCOMS";
    case IGN50:
        return "IGN50";
    case IGN100:
        return "IGN100";
    case IGN150:
        return "IGN150";
    case IGN300:
        return "IGN300";
    default:
        return "";
    }
}

std::uint16_t CrcStep(std::uint16_t crc, std::uint8_t byte)
{
    for (int bit = 0; bit < 8; ++bit) {
        const bool carry = (crc & 0x8000) != 0;
        crc = static_cast<std::uint16_t>((crc << 1) | ((byte >> bit) & 1));
        if (carry)
            crc ^= kCrcPolynomial;
    }
    return crc;
}

std::uint16_t WcomCrc(const std::uint8_t* bytes, int count, std::uint16_t crc)
{
    for (int i = 0; i < count; ++i)
        crc = CrcStep(crc, bytes[i]);
    return crc;
}

std::uint16_t WordSumStep(std::uint16_t sum, std::uint8_t byte, int offset)
{
    return static_cast<std::uint16_t>(sum + (offset % 2 == 0 ? byte : byte << 8));
}

std::uint16_t WordSum(const std::uint8_t* bytes, int count, std::uint16_t sum)
{
    for (int i = 0; i < count; ++i)
        sum = WordSumStep(sum, bytes[i], i);
    return sum;
}

std::uint8_t IgnXor(const std::uint8_t* bytes, int count)
{
    std::uint8_t check = 0xFF;
    for (int i = 0; i < count; ++i)
        check ^= bytes[i];
    return check;
}
