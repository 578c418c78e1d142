#include "platform/file_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(CommonDialogFilter, EndsEachPartWithNulAndTheListWithTwo) {
    EXPECT_EQ(platform::CommonDialogFilter("Tavro Firmware files (*.fdl)|*.fdl||"),
              "Tavro Firmware files (*.fdl)\0*.fdl\0\0"s);
    EXPECT_EQ(platform::CommonDialogFilter("A (*.a)|*.a|All (*.*)|*.*||"),
              "A (*.a)\0*.a\0All (*.*)\0*.*\0\0"s);
}

TEST(CommonDialogFilter, EndsAListWrittenWithoutItsEnd) {
    EXPECT_EQ(platform::CommonDialogFilter("A|*.a"), "A\0*.a\0\0"s);
    EXPECT_EQ(platform::CommonDialogFilter("A|*.a|"), "A\0*.a\0\0"s);
}

} // namespace
