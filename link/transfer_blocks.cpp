#include "link/transfer_blocks.h"

#include "link/transfer_jobs.h"

#include <algorithm>

std::optional<TransferBlock> FindIgnBlock(
    const std::uint8_t* sendFlags, int imageSize, int current, int end, int blockSize)
{
    if (blockSize <= 0 || current < 0)
        return std::nullopt;
    for (int block = current / blockSize; block * blockSize < end; ++block) {
        const int first = block * blockSize;
        const int last = std::min(first + blockSize, imageSize);
        for (int address = first; address < last; ++address) {
            if (sendFlags[address])
                return TransferBlock { first, blockSize };
        }
    }
    return std::nullopt;
}

std::optional<TransferBlock> FindWcomBlock(
    const std::uint8_t* sendFlags, int imageSize, int current, int end, int blockSize)
{
    if (blockSize <= 0 || current < 0)
        return std::nullopt;
    int first = -1;
    int last = -1;
    for (int address = current; address < std::min(end, imageSize); ++address) {
        if (first >= 0 && (address - first >= blockSize || address - last - 1 > kWcomMaxGap))
            break;
        if (!sendFlags[address])
            continue;
        if (first < 0)
            first = address;
        last = address;
    }
    if (first < 0)
        return std::nullopt;
    return TransferBlock { first, last - first + 1 };
}

bool IgnBlockReachable(int job, int block)
{
    // Codes: writes 0x01 + b up to 0x2F, reads 0x41 + b up to 0x7F, monitor exchanges 0x30 + b up
    // to 0x3F; the information read and the command have one code and so only block 0.
    switch (job) {
    case JOB_WRITE:
        return block >= 0 && block <= 0x2E;
    case JOB_READ:
        return block >= 0 && block <= 0x3E;
    case JOB_MONITOR:
        return block >= 0 && block <= 0x0F;
    default:
        return block == 0;
    }
}
