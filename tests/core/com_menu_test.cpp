#include "core/com_menu.h"

#include <gtest/gtest.h>

namespace {

std::vector<ComMenuPort> Ports(std::initializer_list<int> numbers)
{
    std::vector<ComMenuPort> ports;
    for (int n : numbers)
        ports.push_back({ n, QStringLiteral("COM%1").arg(n) });
    return ports;
}

std::vector<ComMenuItem> Build(const std::vector<ComMenuPort>& ports, int choice, int connected = 0)
{
    return ComMenuModel::Build(ports, choice, connected, "COM &offline", "COM &auto");
}

int VisibleCount(const std::vector<ComMenuItem>& items)
{
    return int(std::count_if(items.begin(), items.end(), [](const auto& i) { return i.visible; }));
}

TEST(ComMenu, OfflineAutoSeparatorThenPortsInIncreasingOrder)
{
    const auto items = Build(Ports({ 5, 1, 3 }), -1);
    ASSERT_EQ(items.size(), 30u);
    EXPECT_EQ(VisibleCount(items), 6);
    EXPECT_EQ(items[0].caption, "COM &offline");
    EXPECT_TRUE(items[0].checked);
    EXPECT_FALSE(items[1].checked);
    EXPECT_TRUE(items[2].separator);
    EXPECT_EQ(items[3].caption, "COM&1");
    EXPECT_EQ(items[4].caption, "COM&3");
    EXPECT_EQ(items[5].caption, "COM&5");
    EXPECT_FALSE(items[3].radio);
}

TEST(ComMenu, AutomaticChoiceShowsRadioItemsAndMarksTheConnectedPort)
{
    const auto items = Build(Ports({ 1, 3 }), 0, 3);
    EXPECT_TRUE(items[1].checked);
    EXPECT_TRUE(items[3].radio);
    EXPECT_FALSE(items[3].checked);
    EXPECT_TRUE(items[4].checked);
}

TEST(ComMenu, FixedChoiceThatDoesNotExistIsListedDisabledAndChecked)
{
    const auto items = Build(Ports({ 1, 9 }), 4);
    EXPECT_EQ(VisibleCount(items), 6);
    EXPECT_EQ(items[4].caption, "COM&4");
    EXPECT_TRUE(items[4].checked);
    EXPECT_FALSE(items[4].enabled);
    EXPECT_TRUE(items[5].enabled);
}

TEST(ComMenu, FortyPortsShowThirtyItemsAndTheLastMakesRoomForTheMarkedPort)
{
    std::vector<ComMenuPort> ports;
    for (int n = 1; n <= 40; ++n)
        ports.push_back({ n, QString() });
    auto items = Build(ports, 0);
    EXPECT_EQ(VisibleCount(items), 30);
    EXPECT_EQ(items[29].caption, "COM&27");

    items = Build(ports, 0, 38);
    EXPECT_EQ(items[29].caption, "COM&38");
    EXPECT_TRUE(items[29].checked);
    items = Build(ports, 33);
    EXPECT_EQ(items[29].caption, "COM&33");
    EXPECT_TRUE(items[29].checked);
}

TEST(ComMenu, DeviceNameStandsBesideTheNumberAndDoesNotDisturbTheChoice)
{
    const auto items = Build({ { 17, "/dev/ttyUSB0" } }, 0);
    EXPECT_EQ(items[3].caption, "COM&17\t/dev/ttyUSB0");
    int choice = 0;
    ASSERT_TRUE(ComMenuModel::ChoiceOfItem(3, items[3].caption, choice));
    EXPECT_EQ(choice, 17);
}

TEST(ComMenu, ChoiceOfEachKindOfItem)
{
    int choice = 99;
    ASSERT_TRUE(ComMenuModel::ChoiceOfItem(0, "COM &offline", choice));
    EXPECT_EQ(choice, -1);
    ASSERT_TRUE(ComMenuModel::ChoiceOfItem(1, "COM &auto", choice));
    EXPECT_EQ(choice, 0);
    EXPECT_FALSE(ComMenuModel::ChoiceOfItem(2, "", choice));
    ASSERT_TRUE(ComMenuModel::ChoiceOfItem(5, "COM&12", choice));
    EXPECT_EQ(choice, 12);
    EXPECT_FALSE(ComMenuModel::ChoiceOfItem(5, "COM&", choice));
    EXPECT_FALSE(ComMenuModel::ChoiceOfItem(5, "COM&99999", choice));
}

} // namespace
