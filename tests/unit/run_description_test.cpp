#include "run/run_description.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadInfo, NamesAddressTargetPortAndFile) {
    struct Case {
        int address, target, port;
        const char* file;
        const char* info;
    };
    const Case cases[] = {
        {5, 1, 2, "app.fdl", "CPM 5 (red) on COM 2 <app.fdl>"},
        {0, 0, 16, "a b.fdl", "CPM 0 (prim) on COM 16 <a b.fdl>"},
        {255, 0, 1, "file.fdl", "Broadcast (prim) on COM 1 <file.fdl>"},
        {255, 1, 3, "file.fdl", "Broadcast (red) on COM 3 <file.fdl>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run::DownloadInfo(c.address, c.target, c.port, c.file), c.info);
    }
}

TEST(FileNameOfPath, PartAfterTheLastBackslash) {
    EXPECT_EQ(run::FileNameOfPath("C:\\fw\\cpm\\main.fdl"), "main.fdl");
    EXPECT_EQ(run::FileNameOfPath("main.fdl"), "main.fdl");
    EXPECT_EQ(run::FileNameOfPath("C:\\fw\\"), "");
    EXPECT_EQ(run::FileNameOfPath("\\\\server\\share\\x.fdl"), "x.fdl");
}

TEST(TargetAndAddress, TargetInTheHighByte) {
    EXPECT_EQ(run::TargetAndAddress(0, 255), 255);
    EXPECT_EQ(run::TargetAndAddress(1, 255), 511);
    EXPECT_EQ(run::TargetAndAddress(1, 5), 261);
    EXPECT_EQ(run::TargetAndAddress(0, 0), 0);
}

TEST(LibraryBuffer, RoomForTheMinimumAndForLongerTexts) {
    const auto shortBuffer = run::LibraryBuffer("C:\\a.fdl", 261);
    EXPECT_EQ(shortBuffer.size(), 262u);
    EXPECT_STREQ(shortBuffer.data(), "C:\\a.fdl");
    const std::string longText(1000, 'x');
    const auto longBuffer = run::LibraryBuffer(longText, 261);
    EXPECT_EQ(longBuffer.size(), 1001u);
    EXPECT_EQ(std::string(longBuffer.data()), longText);
    const auto exact = run::LibraryBuffer(std::string(256, 'y'), 256);
    EXPECT_EQ(exact.size(), 257u);
    EXPECT_EQ(exact.back(), '\0');
}

} // namespace
