#include "sim/unit_requests.h"

#include "link/frame_format.h"

#include <algorithm>

namespace {

using Frame = std::vector<std::uint8_t>;

void PutWord(std::vector<std::uint8_t>& to, int value)
{
    to.push_back(static_cast<std::uint8_t>(value & 0xFF));
    to.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

class WcomAnswer {
public:
    explicit WcomAnswer(const UnitConfig& config) : m_check(config.protocol == WCOMS ? kWcomSumFlag : 0), m_short(config.wcomShortReplies) {}

    Frame Reply(std::uint16_t command, int address, const std::vector<std::uint8_t>& data) const
    {
        return Build(command | kWcomReplyFlag, address, data);
    }

    // A reply without data: in the short form the command word moves into the address field and a
    // non-zero address travels as the data.
    Frame Confirm(std::uint16_t command, int address) const
    {
        if (!m_short)
            return Reply(command, address, {});
        std::vector<std::uint8_t> data;
        if (address != 0)
            PutWord(data, address);
        return Build(kWcomShortReply | kWcomReplyFlag, command, data);
    }

    // The refusal: the other short form, naming the command and the address it could not serve.
    Frame Refuse(std::uint16_t command, int address) const
    {
        std::vector<std::uint8_t> data;
        PutWord(data, address);
        return Build(kWcomShortOtherReply | kWcomOtherReplyFlag, command, data);
    }

private:
    Frame Build(int commandAndFlags, int address, const std::vector<std::uint8_t>& data) const
    {
        Frame frame(kFrameBufferSize);
        frame.resize(BuildWcomFrame(frame, commandAndFlags | m_check, address, static_cast<int>(data.size()), data.data()));
        return frame;
    }

    int m_check;
    bool m_short;
};

int Word(const std::uint8_t* at)
{
    return at[0] | (at[1] << 8);
}

} // namespace

std::vector<std::uint8_t> AnswerWcomRequest(UnitState& unit, const std::uint8_t* frame, SimTime now)
{
    using namespace WcomRequest;
    const UnitConfig& config = unit.Config();
    const WcomFields fields = ReadWcomFields(frame);
    const std::uint8_t check = config.protocol == WCOMS ? kWcomTypeSum : kWcomTypeCrc;
    // Frames of the other check variant, and replies (a line that echoes), are not for this unit.
    if (fields.type != (check | kWcomKindRequest))
        return {};

    const WcomAnswer answer(config);
    const std::uint8_t* data = frame + kWcomDataOffset;
    const int address = fields.address;
    const int n = fields.length;
    const int maxData = std::clamp(config.wcomFrameSize - kWcomOverhead, 1, kWcomMaxData);
    auto refuse = [&] {
        ++unit.LinkCounters().rejected;
        return answer.Refuse(fields.command, address);
    };
    if (n > maxData)
        return refuse();

    switch (fields.command) {
    case kWcomIdentify: {
        std::vector<std::uint8_t> reply(config.wcomName.begin(),
            config.wcomName.begin() + std::min<size_t>(config.wcomName.size(), kUnitNameMax));
        reply.push_back(0);
        PutWord(reply, config.wcomFrameSize);
        PutWord(reply, config.hardwareCode);
        PutWord(reply, config.key);
        return answer.Reply(fields.command, 0, reply);
    }
    case kReadInformation:
    case kReadMemory: {
        const int count = n == 2 ? Word(data) : 0;
        const int space = fields.command == kReadInformation ? kInformationBlockSize : kUnitMemorySize;
        if (count < 1 || count > maxData || address + count > space)
            return refuse();
        std::vector<std::uint8_t> bytes(count);
        if (fields.command == kReadInformation) {
            const InformationBlock information = unit.Information();
            std::copy_n(information.begin() + address, count, bytes.begin());
        } else {
            unit.ReadMemory(address, count, bytes.data());
        }
        return answer.Reply(fields.command, address, bytes);
    }
    case kWriteMemory:
        if (n < 1 || address + n > kUnitMemorySize)
            return refuse();
        unit.WriteMemory(address, data, n, now);
        return answer.Confirm(fields.command, address);
    case kMonitor: {
        if (n < 1 || address + n > kMonitorBlockSize)
            return refuse();
        unit.TakeMonitorRequest(address, data, n, now);
        const MonitorBlock monitor = unit.Monitor();
        return answer.Reply(fields.command, address, std::vector<std::uint8_t>(monitor.begin() + address, monitor.begin() + address + n));
    }
    case kReset:
        if (address != kResetAddress)
            return refuse();
        unit.Reset(now);
        // The PC sends the reset as a job at address 0 and expects that address back.
        return answer.Confirm(fields.command, 0);
    default:
        return refuse();
    }
}
