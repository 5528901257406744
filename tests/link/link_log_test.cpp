#include "link/link_log.h"
#include "tests/link/link_test_support.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace
{

TEST(LinkLog, EventLinesCarryTimeOfDayWithHundredthsAndTheLoopCount)
{
    struct Case {
        QTime time;
        int loop;
        const char* line;
    };
    const Case cases[] = {
        { QTime(9, 5, 7, 345), 12, "09:05:07.34:   (12) Close Port COM7...\n" },
        { QTime(23, 59, 59, 999), 0, "23:59:59.99:   (0) Close Port COM7...\n" },
        { QTime(0, 0, 0, 5), 3, "00:00:00.00:   (3) Close Port COM7...\n" },
    };
    for (const Case& c : cases) {
        LinkLog log;
        CapturedLog captured;
        captured.AttachTo(log);
        log.SetWallClock([&] { return c.time; });
        log.SetLoopCount(c.loop);
        log.Event("Close Port COM%i...", 7);
        EXPECT_EQ(captured.Text(), c.line);
    }
}

TEST(LinkLog, FileIsAppendedToAndOnlyWrittenWhileOpen)
{
    TempFolder folder;
    const QString path = folder.write("uart.log", "earlier run\n");
    LinkLog log;
    log.SetWallClock([] { return QTime(10, 0, 1, 500); });
    log.Event("before opening");
    ASSERT_TRUE(log.OpenFile(path));
    log.Trace("/%02x/", 0xb0);
    log.Event("FORM Initialised");
    // Flushed with every write: another reader sees the lines at once.
    EXPECT_EQ(folder.read("uart.log"), "earlier run\n/b0/10:00:01.50:   (0) FORM Initialised\n");
    log.Close();
    log.Event("after closing");
    EXPECT_EQ(folder.read("uart.log"), "earlier run\n/b0/10:00:01.50:   (0) FORM Initialised\n");
}

TEST(LinkLog, UnwritablePlaceLeavesTheLogClosed)
{
    TempFolder folder;
    LinkLog log;
    EXPECT_FALSE(log.OpenFile(folder.file("missing/uart.log")));
    EXPECT_FALSE(log.IsOpen());
}

} // namespace
