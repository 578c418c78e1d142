#include "fields/port_list.h"

#include <gtest/gtest.h>

namespace {

TEST(PortItemsForMask, ListsUsablePortsInPortOrder) {
    const auto items = fields::PortItemsForMask(0x0005);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "COM 1");
    EXPECT_EQ(items[0].port, 1);
    EXPECT_EQ(items[1].text, "COM 3");
    EXPECT_EQ(items[1].port, 3);
}

TEST(PortItemsForMask, EdgeMasks) {
    EXPECT_EQ(fields::PortItemsForMask(0xFFFF).size(), 16u);
    EXPECT_EQ(fields::PortItemsForMask(0xFFFF).back().text, "COM 16");
    const auto only16 = fields::PortItemsForMask(0x8000);
    ASSERT_EQ(only16.size(), 1u);
    EXPECT_EQ(only16[0].port, 16);
    const auto none = fields::PortItemsForMask(0);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].text, "<none>");
    EXPECT_EQ(none[0].port, 0);
}

TEST(IndexOfPort, FindsByPortNumberNotPosition) {
    const auto before = fields::PortItemsForMask(0x0006); // COM 2, COM 3
    const auto after = fields::PortItemsForMask(0x0005);  // COM 1, COM 3
    EXPECT_EQ(fields::IndexOfPort(before, 3), 1);
    EXPECT_EQ(fields::IndexOfPort(after, 3), 1);
    EXPECT_EQ(fields::IndexOfPort(after, 2), -1);
    EXPECT_EQ(fields::IndexOfPort(fields::PortItemsForMask(0), 0), 0);
}

} // namespace
