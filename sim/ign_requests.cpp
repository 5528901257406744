#include "sim/unit_requests.h"

#include "link/frame_format.h"

#include <algorithm>
#include <cstring>

namespace {

using Data = std::vector<std::uint8_t>;

// Bytes of the parameter memory from address on; what lies past the memory reads as 0.
Data ReadPadded(const UnitState& unit, int address, int count)
{
    Data data(count, 0);
    const int inside = std::clamp(kUnitMemorySize - address, 0, count);
    unit.ReadMemory(address, inside, data.data());
    return data;
}

std::vector<std::uint8_t> Reply(int dataSize, std::uint8_t code, const Data& data, int key)
{
    std::vector<std::uint8_t> frame(kFrameBufferSize);
    frame.resize(BuildIgnFrame(frame, dataSize, code | kIgnReplyBit, 0, data.data(), key));
    return frame;
}

bool AllZero(const std::uint8_t* bytes, int count)
{
    return std::all_of(bytes, bytes + count, [](std::uint8_t b) { return b == 0; });
}

} // namespace

std::vector<std::uint8_t> AnswerIgnRequest(UnitState& unit, const std::uint8_t* frame, SimTime now)
{
    using namespace IgnRequest;
    const int n = IgnDataSize(unit.Config().protocol);
    const std::uint8_t code = frame[0];
    const std::uint8_t* request = frame + 1;
    const int key = unit.Config().key;

    if (code == kCommand) {
        if (request[kResetCodeAt] == kResetCode[0] && request[kResetCodeAt + 1] == kResetCode[1]) {
            unit.Reset(now);
        }
        return Reply(n, code, Data(n, 0), 0);
    }
    if (code >= kWriteFirst && code <= kWriteLast) {
        const int address = (code - kWriteFirst) * n;
        if (unit.WriteMemory(address, request, n, now) == 0) {
            ++unit.LinkCounters().rejected;
            return {};
        }
        // The echo is what the memory holds afterwards, so bytes that could not be stored show up as
        // differences instead of being confirmed.
        return Reply(n, code, ReadPadded(unit, address, n), 0);
    }
    if (code >= kMonitorFirst && code <= kMonitorLast) {
        // The largest frames carry no key: there the identification is the all-zero request, and
        // the answer gives the key as a big-endian word at the start of the data.
        if (n == 300 && code == kMonitorFirst && AllZero(request, n)) {
            Data data(n, 0);
            data[1] = static_cast<std::uint8_t>((key >> 8) & 0xFF);
            data[2] = static_cast<std::uint8_t>(key & 0xFF);
            return Reply(n, code, data, 0);
        }
        const int address = (code - kMonitorFirst) * n;
        unit.TakeMonitorRequest(address, request, n, now);
        const MonitorBlock monitor = unit.Monitor();
        Data data(n, 0);
        for (int i = 0; i < n && address + i < kMonitorBlockSize; ++i)
            data[i] = monitor[address + i];
        // Keyed protocols answer with the unit's own key in the key field.
        return Reply(n, code, data, key);
    }
    if (code == kInformation) {
        const InformationBlock information = unit.Information();
        Data data(n, 0);
        std::copy(information.begin(), information.end(), data.begin());
        return Reply(n, code, data, 0);
    }
    if (code >= kReadFirst && code <= kReadLast) {
        const int address = (code - kReadFirst) * n;
        if (address >= kUnitMemorySize) {
            ++unit.LinkCounters().rejected;
            return {};
        }
        return Reply(n, code, ReadPadded(unit, address, n), 0);
    }
    return {};
}
