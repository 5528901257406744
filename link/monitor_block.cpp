#include "link/monitor_block.h"

#include "shell/message_table.h"
#include "shell/rskey.h"

#include <algorithm>

void MonitorRecord::SetBlock(std::span<const uint8_t> block)
{
    bytes.fill(0);
    const std::size_t count = std::min<std::size_t>(block.size(), kMonitorBlockSize);
    std::copy_n(block.begin(), count, bytes.begin() + 1);
}

int MonitorRecord::HourMeterMinutes() const
{
    return Byte(MonitorOffset::kHourMeterHigh) * 65536 + Word(MonitorOffset::kHourMeterLow);
}

void BuildMonitorRequest(std::span<uint8_t> pcImage, int testBits)
{
    std::fill_n(pcImage.begin(), kMonitorBlockSize, uint8_t { 0 });
    pcImage[MonitorRequestOffset::kTestBits] = static_cast<uint8_t>(testBits & kTestBitsMask);
    pcImage[MonitorRequestOffset::kKey] = static_cast<uint8_t>(kRsKey);
}

MonitorKey MonitorKeyOf(int unitKey)
{
    MonitorKey key;
    if (unitKey == kRsKey) {
        key.status = MonitorKey::kMatched;
        key.text = QString::asprintf("RSKEY=%d", kRsKey);
    } else {
        key.status = MonitorKey::kUnmatched;
        key.text = MessageText(kMessageUnmatchedUnitVersion) + QString::asprintf("  PC-%d, IGN-%d", kRsKey, unitKey);
    }
    return key;
}
