#include "core/gauge_value.h"

#include <QProgressBar>

#include <gtest/gtest.h>

// The gauge takes the value like setValue does, and is left able to paint it.
TEST(GaugeValue, TakesValuesInRangeAndStaysPaintable)
{
    QProgressBar gauge;
    gauge.setRange(0, 100);
    gauge.setValue(10);

    SetGaugeValue(gauge, 40);
    EXPECT_EQ(gauge.value(), 40);
    EXPECT_TRUE(gauge.updatesEnabled());

    SetGaugeValue(gauge, 40);
    EXPECT_EQ(gauge.value(), 40);

    // Out of range is refused, as by setValue.
    SetGaugeValue(gauge, 250);
    EXPECT_EQ(gauge.value(), 40);
    EXPECT_TRUE(gauge.updatesEnabled());
}
