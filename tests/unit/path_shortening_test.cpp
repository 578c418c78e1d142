#include "fields/path_shortening.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every character is 4 pixels wide, so a text's width (3/4 of its extent) is
// 3 pixels per character.
int Extent(const std::string& text) {
    return static_cast<int>(text.size()) * 4;
}
int WidthFor(const std::string& text) {
    return static_cast<int>(text.size()) * 3;
}

// Every text the shortening measures when nothing fits: the steps it takes.
// The last one is what it shows.
std::vector<std::string> Steps(const std::string& path) {
    std::vector<std::string> measured;
    const std::string shown = fields::ShortenFilePath(path, 0, [&](const std::string& text) {
        measured.push_back(text);
        return 1000;
    });
    EXPECT_EQ(shown, measured.back());
    return measured;
}

TEST(ShortenFilePath, DrivePathDropsOneFolderAtATime) {
    EXPECT_EQ(Steps("C:\\a\\b\\file.fdl"),
              (std::vector<std::string>{"C:\\a\\b\\file.fdl", "C:\\...\\a\\b\\file.fdl",
                                        "C:\\...\\b\\file.fdl", "C:\\...\\file.fdl"}));
}

TEST(ShortenFilePath, NetworkPathKeepsTheServer) {
    EXPECT_EQ(Steps("\\\\server\\share\\dir\\file.fdl"),
              (std::vector<std::string>{
                  "\\\\server\\share\\dir\\file.fdl", "\\\\server\\...\\share\\dir\\file.fdl",
                  "\\\\server\\...\\dir\\file.fdl", "\\\\server\\...\\file.fdl"}));
}

TEST(ShortenFilePath, PathWithoutDriveOrServerGetsOnlyDots) {
    EXPECT_EQ(
        Steps("fw\\cpm\\main.fdl"),
        (std::vector<std::string>{"fw\\cpm\\main.fdl", "...\\cpm\\main.fdl", "...\\main.fdl"}));
}

TEST(ShortenFilePath, PathsThatCannotBeShortenedStayWhole) {
    // No backslash to cut at: shown whole even when it does not fit.
    EXPECT_EQ(fields::ShortenFilePath("firmware-with-a-long-name.fdl", 10, Extent),
              "firmware-with-a-long-name.fdl");
    EXPECT_EQ(fields::ShortenFilePath("", 0, Extent), "");
    // A server name alone: only the backslashes can be cut.
    EXPECT_EQ(fields::ShortenFilePath("\\\\server", 3, Extent), "\\\\...\\server");
}

TEST(ShortenFilePath, ComparesThreeQuartersOfTheExtent) {
    const std::string path = "C:\\a\\b\\file.fdl"; // 15 characters: extent 60, width 45
    EXPECT_EQ(fields::ShortenFilePath(path, 45, Extent), path);
    EXPECT_NE(fields::ShortenFilePath(path, 44, Extent), path);
    // An extent whose 3/4 is fractional is truncated.
    const auto odd = [](const std::string& t) { return static_cast<int>(t.size()) * 4 + 1; };
    EXPECT_EQ(fields::ShortenFilePath(path, 45, odd), path); // 61 * 3 / 4 = 45
}

TEST(ShortenFilePath, StopsAtTheFirstStepThatFits) {
    const std::string path = "C:\\one\\two\\three\\file.fdl";
    const std::string expected = "C:\\...\\three\\file.fdl";
    EXPECT_EQ(fields::ShortenFilePath(path, WidthFor(expected), Extent), expected);
}

} // namespace
