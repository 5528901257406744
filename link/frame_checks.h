#pragma once

#include <cstdint>

// Protocol codes of the unit: the WCOM family (variable length, preamble, CRC or word sum) and the
// IGN family (fixed size, command byte first, XOR byte).
constexpr int PROTOCOL_NONE = 0;
constexpr int WCOM = 1;
constexpr int WCOMS = 2;
constexpr int IGN50 = 3050;
constexpr int IGN100 = 3100;
constexpr int IGN150 = 3150;
constexpr int IGN300 = 3300;

bool IsWcomProtocol(int protocol);
bool IsIgnProtocol(int protocol);
// N, the data bytes of an IGN-family frame (50, 100, 150, 300); 0 for other codes.
int IgnDataSize(int protocol);
// "WCOM", "WCOMS", "IGN50" …; "" for codes that are not protocols.
const char* ProtocolName(int protocol);

// WCOM CRC: a 16-bit register, bits fed least significant first into bit 0, polynomial word
// 0x1083 applied when bit 15 falls out. No table, no augmentation, no final XOR.
constexpr std::uint16_t kCrcStart = 1;
constexpr std::uint16_t kCrcPolynomial = 0x1083;
// The register after the seven preamble bytes, and the word sum of those bytes.
constexpr std::uint16_t kCrcAfterPreamble = 0xB797;
constexpr std::uint16_t kSumAfterPreamble = 0x5B5E;

std::uint16_t CrcStep(std::uint16_t crc, std::uint8_t byte);
std::uint16_t WcomCrc(const std::uint8_t* bytes, int count, std::uint16_t crc = kCrcStart);

// WCOM word sum: the frame read as little-endian words from offset 0, so a byte at an even
// offset is a low byte and one at an odd offset a high byte. Sums wrap at 65536.
std::uint16_t WordSumStep(std::uint16_t sum, std::uint8_t byte, int offset);
std::uint16_t WordSum(const std::uint8_t* bytes, int count, std::uint16_t sum = 0);

// IGN check: 0xFF XOR every byte; a whole frame including its check byte gives 0.
std::uint8_t IgnXor(const std::uint8_t* bytes, int count);
