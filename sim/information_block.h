#pragma once

#include "shell/version_texts.h"

#include <array>
#include <cstdint>
#include <string>

// The unit's 50-byte information block: what its program is, when it was built, its serial number
// and update history. The PC reads it before every program and every connection check.
constexpr int kInformationBlockSize = 50;
using InformationBlock = std::array<std::uint8_t, kInformationBlockSize>;

// Byte positions inside the block.
namespace InfoIndex {
inline constexpr int kName = 0;          // three characters
inline constexpr int kNameNumber = 3;    // below 100
inline constexpr int kBuildDay = 4;
inline constexpr int kBuildMonthCode = 5;
inline constexpr int kBuildYear = 6;     // within the century
inline constexpr int kBuildHour = 7;
inline constexpr int kBuildMinute = 8;
inline constexpr int kReadingAllowed = 9;
inline constexpr int kVersion = 10;
inline constexpr int kSubVersion = 11;
inline constexpr int kLongName = 16;     // zero-terminated, replaces bytes 0..3 when byte 16 is not 0
inline constexpr int kUpdateLetter = 31; // letter in the low 7 bits, flag in bit 7
inline constexpr int kUpdateNumbers = 32; // three numbers below 100, shown 34, 33, 32
inline constexpr int kLastUpdate = 35;   // 32-bit seconds since 1970, lowest byte first
inline constexpr int kSerial = 39;       // byte 39 shown in hexadecimal, 40..46 in decimal
inline constexpr int kOptions = 47;      // three option letters
} // namespace InfoIndex

// The long name shares bytes with the update code, so it is kept short enough to end (with its zero)
// before byte 31 and leave the update code, update time and serial number intact.
constexpr int kMaxLongNameLength = 14;
constexpr int kMaxOptionLetters = 3;
constexpr int kSerialBytes = 8;

struct InformationSettings {
    std::string name = "TVX";
    int nameNumber = 3;
    int buildDay = 14;
    int buildMonth = 3;
    int buildYear = 2024;
    int buildHour = 10;
    int buildMinute = 42;
    int version = kRsKey;
    int subVersion = 0;
    std::string longName;
    // 0: the unit reports no update code.
    char updateLetter = 'B';
    bool updateFlag = false;
    // In the order the PC shows them: bytes 34, 33, 32.
    std::array<int, 3> updateNumbers = { 24, 3, 14 };
    // 0: the unit reports no update time.
    std::uint32_t lastUpdate = 1710412920;
    // Bytes 39..46; a first byte of 0 means no serial number.
    std::array<std::uint8_t, kSerialBytes> serial = { 0x23, 7, 1, 0, 0, 14, 3, 24 };
    std::string options = "S";
};

// The block as the unit reports it. readingAllowed follows the unit's no-reading setting.
InformationBlock BuildInformationBlock(const InformationSettings& settings, bool readingAllowed);

// The month code of a build month 1..12: the sum of the characters of its English three-letter
// abbreviation, modulo 64. 0 for other months.
int BuildMonthCode(int month);

// Reads a serial-number text in the form the PC shows it, "YYMMDD-hhmmss-NNNxx" (six two-digit
// numbers, one number up to 255 in three digits and one hexadecimal byte), into bytes 39..46.
bool ParseSerialNumber(const std::string& text, std::array<std::uint8_t, kSerialBytes>& serial);
