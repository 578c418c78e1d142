// The compiled resources carry what the code expects of them.
#include "platform/string_table.h"
#include "platform/text.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

TEST(Resources, StringTableMatchesTheTextsOfTheCode) {
    // Every id the resource script may hold; the two must agree on each one,
    // escapes (quotes, line breaks) included.
    int compared = 0;
    for (int id = 1; id <= 65535; ++id) {
        const std::string expected = platform::StringTableText(id);
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

// What Explorer's properties show of the program: the same version as the
// About box, and that it is Tavro Download.
TEST(Resources, ProgramCarriesItsVersion) {
    const std::wstring exe = platform::ProgramFolder() + L"TavroDownload.exe";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020002u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020002u);
    const auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT chars = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &chars)) {
            return std::string();
        }
        return platform::Narrow(value);
    };
    EXPECT_EQ(text(L"ProductName"), "Tavro Download");
    EXPECT_EQ(text(L"FileVersion"), "2.2");
    EXPECT_EQ(text(L"ProductVersion"), "2.2");
}

} // namespace
