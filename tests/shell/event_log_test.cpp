#include "shell/event_log.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace
{

TEST(EventLog, LinesCarryTimeWithHundredthsLoopCountAndMessage)
{
    EXPECT_EQ(
        FormatEventLine({ 9, 5, 7, 3 }, 12, "FORM Initialised"), "09:05:07.03:   (12) FORM Initialised\n");
    EXPECT_EQ(FormatEventLine({ 23, 59, 59, 99 }, 0, "x"), "23:59:59.99:   (0) x\n");
}

TEST(EventLog, WritesOnlyWhileOpenAndAppendsToWhatIsThere)
{
    TempFolder folder;
    folder.write("uart.log", "earlier run\n");
    EventLog log([] { return EventTime { 1, 2, 3, 4 }; });

    log.WriteEvent(1, "before open");
    ASSERT_TRUE(log.Open(folder.file("uart.log")));
    log.WriteEvent(2, "opened");
    log.WriteTrace("/0a//0b/");
    EXPECT_EQ(folder.read("uart.log"), "earlier run\n01:02:03.04:   (2) opened\n/0a//0b/");
    log.Close();
    log.WriteEvent(3, "after close");

    EXPECT_EQ(folder.read("uart.log"), "earlier run\n01:02:03.04:   (2) opened\n/0a//0b/");
}

} // namespace
