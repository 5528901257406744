#pragma once

#include "link/frame_checks.h"

#include <cstdint>
#include <span>
#include <string>

// Byte layout of both frame families, their builders and the readers of reply fields. Shared by
// the PC's codec and by anything that answers like a unit.

// Receive and transmit buffers hold any frame up to this size.
constexpr int kFrameBufferSize = 1040;

// IGN family: command byte, N data bytes, check byte.
constexpr int kIgnOverhead = 2;
// Requests have bit 7 of the command byte clear, replies have it set.
constexpr std::uint8_t kIgnReplyBit = 0x80;

// WCOM family: preamble, type, command word, address, length n, n data bytes, check word.
constexpr std::uint8_t kWcomPreamble[7] = { 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB };
constexpr int kWcomPreambleSize = 7;
constexpr int kWcomTypeOffset = 7;
constexpr int kWcomCommandOffset = 8;
constexpr int kWcomAddressOffset = 10;
constexpr int kWcomLengthOffset = 12;
constexpr int kWcomDataOffset = 14;
constexpr int kWcomOverhead = 16;
constexpr int kWcomMaxData = 512;
// Type byte: high nibble is the check (CRC or sum), low nibble the kind of frame.
constexpr std::uint8_t kWcomTypeCrc = 0xB0;
constexpr std::uint8_t kWcomTypeSum = 0xF0;
constexpr std::uint8_t kWcomKindRequest = 0x0B;
constexpr std::uint8_t kWcomKindReply = 0x0C;
constexpr std::uint8_t kWcomKindOtherReply = 0x0D;
// Flags above the command word in BuildWcomFrame's first argument.
constexpr int kWcomSumFlag = 1 << 16;
constexpr int kWcomReplyFlag = 1 << 17;
constexpr int kWcomOtherReplyFlag = 1 << 18;
// Short replies: a command word that moves into place of the address field.
constexpr std::uint16_t kWcomShortReply = 0xFFFF;
constexpr std::uint16_t kWcomShortOtherReply = 0xFFFE;

// Identification exchange.
constexpr std::uint8_t kIgnIdentify = 0x30;
constexpr std::uint8_t kIgnIdentifyReply = 0xB0;
constexpr std::uint16_t kWcomIdentify = 0xFEEE;

// Writes an IGN frame of dataSize + 2 bytes: command (base + offset) mod 256, the data (zeros when
// none), the key field (requests of 50, 100 and 150 data bytes, when key is not 0: the last data
// byte is the key's low byte, and for keys above 255 the byte before it the high byte), the check
// byte. Returns the frame size, or 0 when it does not fit into out.
int BuildIgnFrame(
    std::span<std::uint8_t> out, int dataSize, int base, int offset, const std::uint8_t* data, int key);

// Writes a WCOM frame of 16 + length bytes; length is clamped to 0..512, data may be null (zeros).
// The low 16 bits of commandAndFlags are the command word; kWcomSumFlag selects the sum check,
// kWcomReplyFlag / kWcomOtherReplyFlag the kind 0xC / 0xD instead of a request. Returns the size.
int BuildWcomFrame(
    std::span<std::uint8_t> out, int commandAndFlags, int address, int length, const std::uint8_t* data);

// The identification request of a protocol, with the PC's key where the protocol has a key field.
int BuildIdentificationRequest(std::span<std::uint8_t> out, int protocol, int key);

// Whole-frame checks, for frames already cut out of a stream.
bool IgnFrameValid(const std::uint8_t* frame, int size);
bool WcomFrameValid(const std::uint8_t* frame, int size);

struct WcomFields {
    std::uint8_t type = 0;
    std::uint16_t command = 0;
    std::uint16_t address = 0;
    std::uint16_t length = 0;
};
WcomFields ReadWcomFields(const std::uint8_t* frame);

// Turns the two short reply forms (command word 0xFFFF, then 0xFFFE) into ordinary replies of kind
// 0xC / 0xD: the address field becomes the command word, and a one- or two-byte value in the data
// becomes the address field with no data left.
void ApplyShortReplyRewrites(std::uint8_t* frame);

// Unit address of the block an IGN reply names: its code counts blocks of blockSize; replies to
// parameter writes and reads count from 1 (countsFromOne).
int IgnReplyAddress(std::uint8_t replyCode, int blockSize, bool countsFromOne);

// What an identification reply tells about the unit.
struct UnitIdentity {
    std::string name;
    int frameSize = 0;
    int overhead = 0;
    int hardwareCode = -1;
    int version = -1;
};
constexpr int kWcomDefaultFrameSize = 48;
constexpr int kUnitNameMax = 31;

// false when the frame is not an identification reply of the protocol.
bool ParseIgnIdentification(const std::uint8_t* frame, int protocol, UnitIdentity& identity);
// frame holds a whole WCOM frame (after the short-reply rewrites); every field read lies inside
// its n data bytes.
bool ParseWcomIdentification(const std::uint8_t* frame, UnitIdentity& identity);
