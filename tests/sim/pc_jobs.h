#pragma once

// The transfer jobs of the PC, reduced to what a unit sees and what the PC checks: the job's range
// is cut into the protocol's blocks, each block goes out as one request, and each reply must carry
// the expected code (or command word), the block's address and, where the PC checks it, the echo or
// the length. Enough to run a whole Read, Program or monitor exchange against the simulated unit.

#include "tests/sim/sim_test_support.h"

#include <string>

enum class PcJob { Write, Read, Monitor, Information, Command };

struct PcJobResult {
    bool ok = true;
    int frames = 0;
    std::string failure;
    Bytes readBack = Bytes(8000 + 300, 0);
};

struct PcBlock {
    int address;
    int length;
};

inline std::vector<PcBlock> PcBlocks(const UnitConfig& config, int start, int count)
{
    const int c = BlockSize(config);
    std::vector<PcBlock> blocks;
    if (IsIgnProtocol(config.protocol)) {
        for (int block = start / c; block * c < start + count; ++block)
            blocks.push_back({ block * c, c });
    } else {
        for (int at = start; at < start + count; at += c)
            blocks.push_back({ at, std::min(c, start + count - at) });
    }
    return blocks;
}

inline Bytes Slice(const Bytes& image, int at, int length)
{
    Bytes piece(length, 0);
    for (int i = 0; i < length && at + i < static_cast<int>(image.size()); ++i)
        piece[i] = image[at + i];
    return piece;
}

inline Bytes PcRequest(const UnitConfig& config, PcJob job, const PcBlock& block, const Bytes& pcImage, int& expected)
{
    const int protocol = config.protocol;
    if (IsIgnProtocol(protocol)) {
        const int b = block.address / block.length;
        const Bytes data = Slice(pcImage, block.address, block.length);
        int code = 0;
        int key = 0;
        switch (job) {
        case PcJob::Command: code = 0x00; break;
        case PcJob::Information: code = 0x40; break;
        case PcJob::Write: code = 0x01 + b; break;
        case PcJob::Read: code = 0x41 + b; break;
        case PcJob::Monitor: code = 0x30 + b; key = kRsKey; break;
        }
        expected = code | 0x80;
        return IgnRequestFrame(protocol, code, data, key);
    }
    switch (job) {
    case PcJob::Command:
        expected = WcomRequest::kReset;
        return WcomRequestFrame(protocol, WcomRequest::kReset, WcomRequest::kResetAddress);
    case PcJob::Information:
        expected = WcomRequest::kReadInformation;
        return WcomRequestFrame(protocol, expected, block.address, LengthWord(block.length));
    case PcJob::Read:
        expected = WcomRequest::kReadMemory;
        return WcomRequestFrame(protocol, expected, block.address, LengthWord(block.length));
    case PcJob::Write:
        expected = WcomRequest::kWriteMemory;
        return WcomRequestFrame(protocol, expected, block.address, Slice(pcImage, block.address, block.length));
    case PcJob::Monitor:
        expected = WcomRequest::kMonitor;
        return WcomRequestFrame(protocol, expected, block.address, Slice(pcImage, block.address, block.length));
    }
    return {};
}

// Checks a reply as the PC's worker does; an empty text means it is accepted.
inline std::string PcCheck(const UnitConfig& config, PcJob job, const PcBlock& block, const Bytes& reply, int expected,
    const Bytes& pcImage, Bytes& readBack)
{
    if (IsIgnProtocol(config.protocol)) {
        const int n = IgnDataSize(config.protocol);
        if (reply[0] != expected)
            return "reply code " + std::to_string(reply[0]);
        const bool fromOne = job == PcJob::Write || job == PcJob::Read;
        if (job != PcJob::Command && job != PcJob::Information && IgnReplyAddress(reply[0], n, fromOne) != block.address)
            return "reply address " + std::to_string(IgnReplyAddress(reply[0], n, fromOne));
        const Bytes data(reply.begin() + 1, reply.begin() + 1 + n);
        if (job == PcJob::Write && data != Slice(pcImage, block.address, n))
            return "echo differs";
        if (job != PcJob::Write && job != PcJob::Command)
            std::copy(data.begin(), data.end(), readBack.begin() + block.address);
        return {};
    }
    const WcomFields fields = ReadWcomFields(reply.data());
    if ((fields.type & 0x0F) != kWcomKindReply || fields.command != expected)
        return "ignored reply";
    // The reset travels as a job at address 0.
    const int address = job == PcJob::Command ? 0 : block.address;
    const bool sized = job == PcJob::Read || job == PcJob::Monitor || job == PcJob::Information;
    if (fields.address != address || (sized && fields.length != block.length))
        return "len or address";
    if (sized)
        std::copy_n(reply.begin() + kWcomDataOffset, fields.length, readBack.begin() + block.address);
    return {};
}

// Runs a job at the bench's current time; each request gets its reply at once.
inline PcJobResult RunPcJob(Bench& bench, const UnitConfig& config, PcJob job, int start, int count, const Bytes& pcImage = Bytes(8000, 0))
{
    PcJobResult result;
    std::vector<PcBlock> blocks = PcBlocks(config, start, count);
    if (job == PcJob::Command)
        blocks = { { 0, BlockSize(config) } };
    for (const PcBlock& block : blocks) {
        int expected = -1;
        const std::optional<Bytes> reply = bench.Exchange(PcRequest(config, job, block, pcImage, expected));
        ++result.frames;
        if (!reply) {
            result.ok = false;
            result.failure = "no reply at " + std::to_string(block.address);
            return result;
        }
        result.failure = PcCheck(config, job, block, *reply, expected, pcImage, result.readBack);
        if (!result.failure.empty()) {
            result.ok = false;
            return result;
        }
    }
    return result;
}
