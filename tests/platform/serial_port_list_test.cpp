#include "platform/port_list_numbering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace
{

bool AlwaysThere(const QString&)
{
    return true;
}

bool NeverThere(const QString&)
{
    return false;
}

TEST(ComNumbering, DeviceNamesGetStableNumbersByFamily)
{
    struct Case {
        const char* path;
        int number;
    };
    const Case cases[] = {
        { "\\\\.\\COM12", 12 },
        { "COM3", 3 },
        { "/dev/ttyS0", 1 },
        { "/dev/ttyS15", 16 },
        { "/dev/ttyUSB0", 17 },
        { "/dev/ttyUSB3", 20 },
        { "/dev/ttyACM1", 66 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreferredComNumber(c.path), c.number) << c.path;

    // Everything else hashes above the fixed ranges, to the same number every time.
    for (const char* path :
        { "/dev/ttyAMA0", "/dev/rfcomm0", "/dev/ttyUSB99", "/dev/cu.usbserial-1420", "COM0" }) {
        const int number = PreferredComNumber(path);
        EXPECT_GE(number, 113) << path;
        EXPECT_LE(number, 255) << path;
        EXPECT_EQ(PreferredComNumber(QString(path)), number);
    }
    // Pinned, so that the hash can never turn into one that differs between runs.
    EXPECT_EQ(PreferredComNumber("/dev/ttyAMA0"), 159);
    EXPECT_EQ(PreferredComNumber("/dev/rfcomm0"), 202);
}

TEST(ComNumbering, MappedPortsKeepTheirNumbersAndListedDevicesMoveAside)
{
    const std::map<int, QString> mapped
        = { { 17, "/dev/pts/3" }, { 7, "/dev/pts/9" }, { 0, "/dev/pts/1" }, { 300, "/dev/pts/2" } };
    const std::vector<PortListEntry> ports
        = NumberPorts({ "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0" }, mapped, &AlwaysThere);

    std::map<int, QString> byNumber;
    for (const PortListEntry& entry : ports)
        byNumber[entry.number] = entry.devicePath;
    const std::map<int, QString> expected = { { 1, "/dev/ttyS0" }, { 7, "/dev/pts/9" }, { 17, "/dev/pts/3" },
        { 18, "/dev/ttyUSB1" }, { 19, "/dev/ttyUSB0" } };
    EXPECT_EQ(byNumber, expected);
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(),
        [](const PortListEntry& a, const PortListEntry& b) { return a.number < b.number; }));
}

TEST(ComNumbering, MappedDevicesThatAreMissingAreNotListedButKeepTheirNumber)
{
    const std::vector<PortListEntry> ports
        = NumberPorts({ "/dev/ttyUSB0" }, { { 17, "/dev/pts/3" } }, &NeverThere);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].number, 18);
    EXPECT_EQ(ports[0].devicePath, "/dev/ttyUSB0");
}

TEST(ComNumbering, ADeviceAlsoMappedByTheUserAppearsOnceUnderItsMappedNumber)
{
    const std::vector<PortListEntry> ports
        = NumberPorts({ "/dev/ttyUSB0" }, { { 5, "/dev/ttyUSB0" } }, &AlwaysThere);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].number, 5);
}

// However many devices there are and in whatever order the system lists them, no two share a
// number and each gets the same number as before.
TEST(ComNumbering, NumbersAreUniqueAndIndependentOfListOrder)
{
    QStringList devices;
    for (int i = 0; i < 300; ++i)
        devices.append(QString("/dev/ttyX%1").arg(i));
    devices.append("/dev/ttyUSB0");
    devices.append("/dev/ttyUSB0");

    const std::vector<PortListEntry> first = NumberPorts(devices, {}, &AlwaysThere);
    EXPECT_EQ(first.size(), 255u) << "only 255 numbers exist";
    std::set<int> numbers;
    for (const PortListEntry& entry : first) {
        EXPECT_GE(entry.number, 1);
        EXPECT_LE(entry.number, 255);
        EXPECT_TRUE(numbers.insert(entry.number).second) << entry.number;
    }

    QStringList few = devices.mid(0, 40);
    const std::vector<PortListEntry> ordered = NumberPorts(few, {}, &AlwaysThere);
    std::shuffle(few.begin(), few.end(), std::mt19937(99));
    const std::vector<PortListEntry> shuffled = NumberPorts(few, {}, &AlwaysThere);
    ASSERT_EQ(ordered.size(), shuffled.size());
    for (size_t i = 0; i < ordered.size(); ++i) {
        EXPECT_EQ(ordered[i].number, shuffled[i].number);
        EXPECT_EQ(ordered[i].devicePath, shuffled[i].devicePath);
    }
}

} // namespace
