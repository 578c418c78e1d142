// The compiled resources carry what the code expects of them.
#include "app/string_table.h"
#include "platform/text.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(Resources, StringTableMatchesTheTextsOfTheCode) {
    // Every id the resource script may hold; the two must agree on each one,
    // escapes (quotes, line breaks) included.
    int compared = 0;
    for (int id = 1; id <= 65535; ++id) {
        const std::string expected = app::StringTableText(id);
        const std::string loaded = platform::LoadResString(static_cast<UINT>(id));
        EXPECT_EQ(loaded, expected) << "string " << id;
        compared += expected.empty() ? 0 : 1;
    }
    EXPECT_GT(compared, 80);
    EXPECT_EQ(platform::LoadResString(IDS_LIBRARY_MISSING),
              "\"Vardel.dll\" or \"Ostrel.dll\"\n Wrong version or not present!");
}

TEST(Resources, LedBitmapsAreTwelvePixelsSquare) {
    for (int id : {IDB_LED_OFF, IDB_LED_RED, IDB_LED_GREEN}) {
        const HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(bitmap, nullptr) << id;
        BITMAP info = {};
        GetObjectW(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 12) << id;
        EXPECT_EQ(info.bmHeight, 12) << id;
        DeleteObject(bitmap);
    }
}

TEST(Resources, ProgramIconComesInEverySizeWindowsAsksFor) {
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
        const HICON icon = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        GetIconInfo(icon, &info);
        BITMAP colour = {};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

} // namespace
