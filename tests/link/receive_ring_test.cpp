#include "link/ccomiosys.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "tests/link/link_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace
{

TEST(ReceiveRing, FreeRoomKeepsOneByteFree)
{
    struct Case {
        int read;
        int write;
        int first;
        int second;
    };
    const Case cases[] = {
        { 0, 0, 329, 0 }, // empty, from the start
        { 5, 5, 325, 4 }, // empty in the middle: up to the end, then up to before the read index
        { 10, 20, 310, 9 }, // bytes waiting, room on both sides
        { 20, 10, 9, 0 }, // wrapped: room up to the read index
        { 10, 9, 0, 0 }, // full: the one free byte stays free
        { 0, 329, 0, 0 }, // full without wrapping
        { 1, 329, 1, 0 }, // one byte of room at the end
    };
    for (const Case& c : cases) {
        const RingSpans spans = ReceiveRingFree(c.read, c.write);
        EXPECT_EQ(spans.first, c.first) << c.read << "/" << c.write;
        EXPECT_EQ(spans.second, c.second) << c.read << "/" << c.write;
    }
}

class PortThreadRing : public ::testing::Test
{
protected:
    PortThreadRing()
    {
        m_line = m_devices.Add("mem:4");
        m_list.Set({ { 4, "mem:4" } });
        m_io.PortManagerStep();
        m_io.OpenRequest(4, 57600);
    }

    bool Opened()
    {
        return WaitUntil([&] {
            m_io.PortManagerStep();
            return m_io.Port(4).Status() == kPortOpen;
        });
    }

    Bytes Take(int count)
    {
        Bytes taken;
        std::uint8_t byte = 0;
        while (static_cast<int>(taken.size()) < count && m_io.Port(4).TakeReceived(byte))
            taken.push_back(byte);
        return taken;
    }

    // Hands a piece to the port thread and waits until the device has it: the thread has then
    // finished at least one whole pass (write, then read) after anything sent before.
    bool PassOfThePortThread()
    {
        const std::uint8_t marker = 0x55;
        CCOM& port = m_io.Port(4);
        if (!WaitUntil([&] { return port.HandOverTransmit(&marker, 1); }) || !m_line->WaitFromPc(1, 10000))
            return false;
        m_line->TakeFromPc();
        if (!WaitUntil([&] { return port.HandOverTransmit(&marker, 1); }) || !m_line->WaitFromPc(1, 10000))
            return false;
        m_line->TakeFromPc();
        return true;
    }

    MemorySerialDevices m_devices;
    std::shared_ptr<MemorySerialLine> m_line;
    FixedPortList m_list;
    CCOMIOSYS m_io { m_list, m_devices.Factory() };
};

TEST_F(PortThreadRing, FullRingStopsReadingAndTheRestWaitsAtTheDevice)
{
    ASSERT_TRUE(Opened());
    CCOM& port = m_io.Port(4);
    Bytes stream(339);
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<std::uint8_t>(i);
    m_line->SendToPc(ToQByteArray(stream));

    ASSERT_TRUE(WaitUntil([&] { return port.WriteIndex() == 329; }));
    ASSERT_TRUE(PassOfThePortThread());
    EXPECT_EQ(m_line->PendingToPc(), 10);

    // Ten bytes taken: the thread refills up to one byte before the read index.
    const Bytes head = Take(10);
    ASSERT_TRUE(WaitUntil([&] { return port.WriteIndex() == 9; }));
    EXPECT_EQ(port.ReadIndex(), 10);
    EXPECT_EQ(m_line->PendingToPc(), 0);

    m_line->SendToPc(QByteArray(5, '\x77'));
    ASSERT_TRUE(PassOfThePortThread());
    EXPECT_EQ(port.WriteIndex(), 9) << "read index 10, write index 9: nothing more is read";
    EXPECT_EQ(m_line->PendingToPc(), 5);

    const Bytes rest = Take(400);
    ASSERT_TRUE(WaitUntil([&] { return m_line->PendingToPc() == 0 && port.WriteIndex() == 14; }));
    const Bytes tail = Take(10);
    EXPECT_EQ(Concat({ head, rest }), stream);
    EXPECT_EQ(tail, Bytes(5, 0x77));
}

// Bytes pour in while the codec's thread takes them in uneven bites: none is lost, doubled or
// reordered, however the ring wraps.
TEST_F(PortThreadRing, LongStreamArrivesCompleteAndInOrder)
{
    ASSERT_TRUE(Opened());
    std::mt19937 random(4711);
    Bytes stream(20000);
    for (auto& byte : stream)
        byte = static_cast<std::uint8_t>(random());

    Bytes received;
    size_t sent = 0;
    const bool done = WaitUntil(
        [&] {
            if (sent < stream.size()) {
                const size_t n = std::min<size_t>(1 + random() % 700, stream.size() - sent);
                m_line->SendToPc(ToQByteArray(Bytes(stream.begin() + sent, stream.begin() + sent + n)));
                sent += n;
            }
            const Bytes bite = Take(1 + random() % 200);
            received.insert(received.end(), bite.begin(), bite.end());
            return received.size() >= stream.size();
        },
        30000);
    ASSERT_TRUE(done) << received.size();
    EXPECT_EQ(received, stream);
}

} // namespace
