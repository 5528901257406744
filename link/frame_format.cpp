#include "link/frame_format.h"

#include <algorithm>
#include <cstring>

namespace
{

void PutWord(std::uint8_t* at, int value)
{
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::uint16_t GetWord(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

} // namespace

int BuildIgnFrame(
    std::span<std::uint8_t> out, int dataSize, int base, int offset, const std::uint8_t* data, int key)
{
    const int size = dataSize + kIgnOverhead;
    if (dataSize < 2 || size > static_cast<int>(out.size()))
        return 0;
    out[0] = static_cast<std::uint8_t>((base + offset) & 0xFF);
    if (data)
        std::memcpy(&out[1], data, dataSize);
    else
        std::memset(&out[1], 0, dataSize);
    // The 300-byte frames use every data byte, so they carry no key.
    if (key != 0 && dataSize != 300) {
        out[dataSize] = static_cast<std::uint8_t>(key & 0xFF);
        if (key > 255)
            out[dataSize - 1] = static_cast<std::uint8_t>((key >> 8) & 0xFF);
    }
    out[dataSize + 1] = IgnXor(out.data(), dataSize + 1);
    return size;
}

int BuildWcomFrame(
    std::span<std::uint8_t> out, int commandAndFlags, int address, int length, const std::uint8_t* data)
{
    const int n = std::clamp(length, 0, kWcomMaxData);
    const int size = n + kWcomOverhead;
    if (size > static_cast<int>(out.size()))
        return 0;
    std::uint8_t* frame = out.data();
    const bool sum = (commandAndFlags & kWcomSumFlag) != 0;
    std::uint8_t kind = kWcomKindRequest;
    if (commandAndFlags & kWcomReplyFlag)
        kind = kWcomKindReply;
    else if (commandAndFlags & kWcomOtherReplyFlag)
        kind = kWcomKindOtherReply;

    std::memcpy(frame, kWcomPreamble, kWcomPreambleSize);
    frame[kWcomTypeOffset] = (sum ? kWcomTypeSum : kWcomTypeCrc) | kind;
    PutWord(frame + kWcomCommandOffset, commandAndFlags & 0xFFFF);
    PutWord(frame + kWcomAddressOffset, address);
    PutWord(frame + kWcomLengthOffset, n);
    if (n > 0) {
        if (data)
            std::memcpy(frame + kWcomDataOffset, data, n);
        else
            std::memset(frame + kWcomDataOffset, 0, n);
    }

    const int checkAt = kWcomDataOffset + n;
    if (!sum) {
        PutWord(frame + checkAt, WcomCrc(frame, checkAt));
        return size;
    }
    // The check completes the word sum of the whole frame to 0xFFFF. With an odd n the last data
    // byte starts a word that the first check byte finishes, so the check goes high byte first.
    std::uint16_t total = WordSum(frame, checkAt - checkAt % 2);
    if (n % 2 == 0) {
        PutWord(frame + checkAt, static_cast<std::uint16_t>(~total));
    } else {
        total = static_cast<std::uint16_t>(total + frame[checkAt - 1]);
        frame[checkAt] = static_cast<std::uint8_t>(~(total >> 8));
        frame[checkAt + 1] = static_cast<std::uint8_t>(~total);
    }
    return size;
}

int BuildIdentificationRequest(std::span<std::uint8_t> out, int protocol, int key)
{
    if (IsWcomProtocol(protocol))
        return BuildWcomFrame(out, kWcomIdentify | (protocol == WCOMS ? kWcomSumFlag : 0), 0, 0, nullptr);
    if (IsIgnProtocol(protocol))
        return BuildIgnFrame(
            out, IgnDataSize(protocol), kIgnIdentify, 0, nullptr, protocol == IGN300 ? 0 : key);
    return 0;
}

bool IgnFrameValid(const std::uint8_t* frame, int size)
{
    return size >= kIgnOverhead && IgnXor(frame, size) == 0;
}

bool WcomFrameValid(const std::uint8_t* frame, int size)
{
    if (size < kWcomOverhead || std::memcmp(frame, kWcomPreamble, kWcomPreambleSize) != 0)
        return false;
    if (GetWord(frame + kWcomLengthOffset) + kWcomOverhead != size)
        return false;
    switch (frame[kWcomTypeOffset] & 0xF0) {
    case kWcomTypeCrc:
        return WcomCrc(frame, size - 2) == GetWord(frame + size - 2);
    case kWcomTypeSum:
        return WordSum(frame, size) == 0xFFFF;
    default:
        return false;
    }
}

WcomFields ReadWcomFields(const std::uint8_t* frame)
{
    return { frame[kWcomTypeOffset], GetWord(frame + kWcomCommandOffset), GetWord(frame + kWcomAddressOffset),
        GetWord(frame + kWcomLengthOffset) };
}

void ApplyShortReplyRewrites(std::uint8_t* frame)
{
    const struct {
        std::uint16_t command;
        std::uint8_t kind;
    } forms[] = { { kWcomShortReply, kWcomKindReply }, { kWcomShortOtherReply, kWcomKindOtherReply } };
    for (const auto& form : forms) {
        const WcomFields fields = ReadWcomFields(frame);
        if (fields.command != form.command)
            continue;
        frame[kWcomTypeOffset] = static_cast<std::uint8_t>((fields.type & 0xF0) | form.kind);
        PutWord(frame + kWcomCommandOffset, fields.address);
        PutWord(frame + kWcomAddressOffset, 0);
        if (fields.length == 1) {
            PutWord(frame + kWcomAddressOffset, frame[kWcomDataOffset]);
            PutWord(frame + kWcomLengthOffset, 0);
        } else if (fields.length == 2) {
            PutWord(frame + kWcomAddressOffset, GetWord(frame + kWcomDataOffset));
            PutWord(frame + kWcomLengthOffset, 0);
        }
    }
}

int IgnReplyAddress(std::uint8_t replyCode, int blockSize, bool countsFromOne)
{
    int block = replyCode & 0x3F;
    if (block >= 0x30)
        block &= 0x0F;
    return block * blockSize - (countsFromOne ? blockSize : 0);
}

bool ParseIgnIdentification(const std::uint8_t* frame, int protocol, UnitIdentity& identity)
{
    const int n = IgnDataSize(protocol);
    if (n == 0 || frame[0] != kIgnIdentifyReply)
        return false;
    identity = {};
    identity.frameSize = n + kIgnOverhead;
    identity.overhead = kIgnOverhead;
    identity.hardwareCode = -1;
    // Keyed protocols answer with the unit's own key in the key field; the 300-byte one puts the
    // version big-endian at the start of its data.
    identity.version = protocol == IGN300 ? (frame[2] << 8 | frame[3]) : frame[n];
    return true;
}

bool ParseWcomIdentification(const std::uint8_t* frame, UnitIdentity& identity)
{
    const WcomFields fields = ReadWcomFields(frame);
    if ((fields.type & 0x0F) != kWcomKindReply || fields.command != kWcomIdentify)
        return false;
    const int n = std::min<int>(fields.length, kFrameBufferSize - kWcomOverhead);
    const std::uint8_t* data = frame + kWcomDataOffset;
    const std::uint8_t* nul = static_cast<const std::uint8_t*>(std::memchr(data, 0, n));
    const int nameLength = nul ? static_cast<int>(nul - data) : n;

    identity = {};
    identity.name.assign(reinterpret_cast<const char*>(data), std::min(nameLength, kUnitNameMax));
    identity.overhead = kWcomOverhead;
    identity.frameSize = kWcomDefaultFrameSize;
    identity.hardwareCode = -1;
    identity.version = -1;
    int* words[] = { &identity.frameSize, &identity.hardwareCode, &identity.version };
    int at = nameLength + 1;
    for (int* word : words) {
        if (at + 2 > n)
            break;
        *word = GetWord(data + at);
        at += 2;
    }
    // The frame size sets the data bytes per frame: keep it between one data byte and the most a
    // frame can carry, whatever the unit claims.
    identity.frameSize = std::clamp(identity.frameSize, kWcomOverhead + 1, kWcomOverhead + kWcomMaxData);
    return true;
}
