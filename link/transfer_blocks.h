#pragma once

#include <cstdint>
#include <optional>

// How a job's range is cut into frames. The send flags mark the addresses that take part; a block
// is what one frame carries.
struct TransferBlock {
    int start = 0;
    int length = 0;
};

// IGN family: whole blocks of blockSize bytes aligned at multiples of it. The first block, from the
// one holding current up to the last one starting below end, with any flag among its addresses
// (flags past end count: they lie inside the block). Addresses from imageSize on are never flagged.
std::optional<TransferBlock> FindIgnBlock(
    const std::uint8_t* sendFlags, int imageSize, int current, int end, int blockSize);

// Unflagged addresses after a block's last flagged one that end a WCOM block.
constexpr int kWcomMaxGap = 50;

// WCOM family: a run of flagged addresses from current on, below end. It starts at the first
// flagged address and takes in every further flagged one that lies less than blockSize past the
// start, until more than kWcomMaxGap unflagged addresses follow its last flagged one. The block runs
// from its first to its last flagged address; unflagged bytes between them travel with it.
std::optional<TransferBlock> FindWcomBlock(
    const std::uint8_t* sendFlags, int imageSize, int current, int end, int blockSize);

// Whether an IGN request code for block number `block` exists for the job: the block number is part
// of the command byte, and past the codes of its operation it would name another operation.
bool IgnBlockReachable(int job, int block);
