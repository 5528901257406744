#include "platform/screens.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace
{

TEST(MonitorBounds, UsesExclusiveRightAndBottomEdges)
{
    const std::vector<PixelRect> monitors = MonitorBounds();
    ASSERT_EQ(monitors.size(), size_t(QGuiApplication::screens().size()));
    ASSERT_FALSE(monitors.empty());
    const QRect first = QGuiApplication::screens().front()->geometry();
    EXPECT_EQ(monitors.front().Width(), first.width());
    EXPECT_EQ(monitors.front().Height(), first.height());
}

} // namespace
