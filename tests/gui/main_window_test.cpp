// The main window in this process, driven through window messages.
#include "app/download_app.h"
#include "dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "mainwnd/port_box.h"
#include "platform/help.h"
#include "platform/text.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <utility>

namespace {

using namespace testsupport;

const char* const kMessage725 = "For the CPM address only values between 0 and 127 are valid!";
const char* const kMessage703 = "No COM port avaible. \nQuit your other port using applications";
const char* const kMessage739 =
    "The COM port from ini file not available.\n Selecting first accesible port .";

std::string ValidIni(const std::string& port = "COM1", const std::string& extra = "",
                     const std::string& file = "C:\\fw\\main.fdl") {
    return "[DOWNLOAD]\r\nCPMADR=5\r\nPRIMARYINITSTRING=p\r\nREDUNDANTINITSTRING=r\r\nPORT=" +
           port +
           "\r\nBAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nFILENAME=" + file +
           "\r\nTARGET=PRIMARY\r\n" + extra;
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override {
        TheApp().m_strProfileName = m_dir.FileUtf8(L"tavro.ini");
        TheApp().m_strCmdLine.clear();
        SetPortMask(0x0001);
        WriteFileBytes(m_dir.File(L"tavro.ini"), ValidIni());
    }
    void SetPortMask(unsigned mask) {
        char text[64];
        snprintf(text, sizeof text, "[Vardel]\r\nPortMask=0x%04X\r\n", mask);
        m_config = std::make_unique<StandInConfig>(text);
    }
    void WriteIni(const std::string& text) { WriteFileBytes(m_dir.File(L"tavro.ini"), text); }
    std::string ReadIni() const { return ReadFileBytes(m_dir.File(L"tavro.ini")); }

    TempDir m_dir;
    MessageBoxCapture m_boxes;
    std::unique_ptr<StandInConfig> m_config;
    CDownloadDlg m_dlg;
};

TEST_F(MainWindow, StartsWithCaptionIconsAndAboutEntry) {
    HMENU systemMenu = nullptr;
    std::string caption, aboutText;
    RunModal(m_dlg, [&](HWND dlg) {
        // The first field has the focus, though the window shows before it.
        EXPECT_TRUE(WaitUntil([&] {
            return FocusOf(GetWindowThreadProcessId(dlg, nullptr)) ==
                   GetDlgItem(dlg, IDC_COMBO_PORT);
        }));
        caption = TextOf(dlg);
        EXPECT_NE(SendMessageW(dlg, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(SendMessageW(dlg, WM_GETICON, ICON_SMALL, 0), 0);
        systemMenu = GetSystemMenu(dlg, FALSE);
        wchar_t text[64] = {};
        GetMenuStringW(systemMenu, IDM_ABOUTBOX, text, 64, MF_BYCOMMAND);
        aboutText = platform::Narrow(text);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dlg, WM_QUERYDRAGICON, 0, 0)), m_dlg.Icon());
    });
    EXPECT_EQ(caption, "Tavro Download");
    EXPECT_EQ(aboutText, "&About Tavro Download...");
    EXPECT_TRUE(m_boxes.Texts().empty());
}

TEST_F(MainWindow, SystemMenuAboutShowsTheAboutBox) {
    std::string aboutCaption, aboutText;
    RunModal(m_dlg, [&](HWND dlg) {
        PostMessageW(dlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HWND about = nullptr;
        WaitUntil([&] {
            about = FindDialogOfThread(GetWindowThreadProcessId(dlg, nullptr), "");
            return about != nullptr && about != dlg;
        });
        ASSERT_NE(about, dlg);
        aboutCaption = TextOf(about);
        HWND child = GetWindow(about, GW_CHILD);
        for (; child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (TextOf(child).find("Version") != std::string::npos) {
                aboutText = TextOf(child);
            }
        }
        Click(about, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    });
    EXPECT_EQ(aboutCaption, "Tavro Download");
    EXPECT_EQ(aboutText, "Tavro Download\nVersion 2.2");
}

TEST_F(MainWindow, HelpButtonAndHelpRequestOpenTheHelpPage) {
    std::vector<std::wstring> opened;
    platform::SetOpenDocumentHook([&](const std::wstring& path) {
        opened.push_back(path);
        return true;
    });
    RunModal(m_dlg, [&](HWND dlg) {
        Click(dlg, IDC_BUTTON_HELP);
        HELPINFO info = {};
        info.cbSize = sizeof info;
        SendMessageW(dlg, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    });
    platform::SetOpenDocumentHook(nullptr);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], BinFolder() + L"TavroDownload.html");
    EXPECT_EQ(opened[1], opened[0]);
}

TEST_F(MainWindow, PortListShowsUsablePortsWithTheirNumbers) {
    SetPortMask(0x0005);
    std::vector<std::string> items;
    std::vector<LRESULT> data;
    RunModal(m_dlg, [&](HWND dlg) {
        items = ComboItems(dlg, IDC_COMBO_PORT);
        data = ComboItemData(dlg, IDC_COMBO_PORT);
    });
    EXPECT_EQ(items, (std::vector<std::string>{"COM 1", "COM 3"}));
    EXPECT_EQ(data, (std::vector<LRESULT>{1, 3}));
}

// The port box draws its items, yet stands as high as a plain drop-down list
// of its font, with items as high as that box's: worked out from the font at
// the start, and taken from a plain box once the window shows if they differ.
class PortBoxHeights : public testing::TestWithParam<int> {};

TEST_P(PortBoxHeights, AreThoseOfAPlainBox) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr,
                                        nullptr, instance, nullptr);
    const HFONT font = CreateFontW(-GetParam(), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
    const auto makeBox = [&](DWORD style) {
        const HWND box = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VSCROLL | style, 0, 0,
                                         50, 100, parent, nullptr, instance, nullptr);
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return box;
    };
    const auto heights = [](HWND box) {
        RECT rect = {};
        GetWindowRect(box, &rect);
        return std::make_pair(rect.bottom - rect.top, SendMessageW(box, CB_GETITEMHEIGHT, 0, 0));
    };
    const HWND plain = makeBox(CBS_DROPDOWNLIST);
    const HWND drawn = makeBox(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
    CPortBox portBox;
    portBox.Attach(drawn);
    EXPECT_EQ(heights(drawn), heights(plain));
    SendMessageW(drawn, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 3 * GetParam());
    SendMessageW(drawn, CB_SETITEMHEIGHT, 0, 2 * GetParam());
    portBox.LookUpDevices();
    EXPECT_EQ(heights(drawn), heights(plain));
    DestroyWindow(parent);
    DeleteObject(font);
}

INSTANTIATE_TEST_SUITE_P(FontSizes, PortBoxHeights, testing::Values(11, 16, 24));

// The port box's tooltip text: what Windows tells of the selected port's device.
std::string PortToolTip(HWND dlg) {
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr &&
           GetWindow(tip, GW_OWNER) != dlg) {
    }
    wchar_t text[256] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = dlg;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dlg, IDC_COMBO_PORT));
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return platform::Narrow(text);
}

// Windows' names of the devices come once the window shows, and with every
// fill of the list; the items stay as they were: texts, data, port order.
TEST_F(MainWindow, PortListNamesTheDevicesKeepingItsItems) {
    auto devices = std::make_unique<SerialDevicesInRegistry>(kSerialDevices);
    SetPortMask(0x000D);
    WriteIni(ValidIni("COM3"));
    std::vector<std::string> items;
    std::vector<LRESULT> data;
    std::string selected, ftdi, prolific, unplugged;
    bool named = false;
    RunModal(m_dlg, [&](HWND dlg) {
        const HWND combo = GetDlgItem(dlg, IDC_COMBO_PORT);
        RECT box = {};
        GetWindowRect(combo, &box);
        named = WaitUntil([&] { // the drop-down grows to hold the names
            return SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0) > box.right - box.left;
        });
        items = ComboItems(dlg, IDC_COMBO_PORT);
        data = ComboItemData(dlg, IDC_COMBO_PORT);
        selected = ItemTextOf(dlg, IDC_COMBO_PORT);
        ftdi = PortToolTip(dlg);
        SendMessageW(combo, CB_SETCURSEL, 2, 0);
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO_PORT, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        prolific = PortToolTip(dlg);
        devices.reset();
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO_PORT, CBN_DROPDOWN),
                     reinterpret_cast<LPARAM>(combo));
        unplugged = PortToolTip(dlg);
    });
    EXPECT_TRUE(named);
    EXPECT_EQ(items, (std::vector<std::string>{"COM 1", "COM 3", "COM 4"}));
    EXPECT_EQ(data, (std::vector<LRESULT>{1, 3, 4}));
    EXPECT_EQ(selected, "COM 3");
    EXPECT_EQ(ftdi, "USB Serial Port\r\nFTDI\r\nUSB 0403:6001\r\nserial A12345");
    EXPECT_EQ(prolific, "Prolific USB-to-Serial Comm Port\r\nProlific\r\nUSB 067B:2303");
    EXPECT_EQ(unplugged, "");
}

TEST_F(MainWindow, NoPortShowsNoneAndTheNoPortMessage) {
    SetPortMask(0);
    std::vector<std::string> items;
    RunModal(m_dlg, [&](HWND dlg) { items = ComboItems(dlg, IDC_COMBO_PORT); });
    EXPECT_EQ(items, std::vector<std::string>{"<none>"});
    EXPECT_EQ(m_boxes.Texts(), (std::vector<std::string>{kMessage739, kMessage703}));
    EXPECT_EQ(m_dlg.Settings().m_nPort, 17);
}

TEST_F(MainWindow, PortOfTheSettingsIsSelectedAtStartUp) {
    SetPortMask(0x000F);
    WriteIni(ValidIni("COM3"));
    std::string selected;
    RunModal(m_dlg, [&](HWND dlg) { selected = ItemTextOf(dlg, IDC_COMBO_PORT); });
    EXPECT_EQ(selected, "COM 3");
    EXPECT_TRUE(m_boxes.Texts().empty());
}

struct RefillCase {
    const char* name;
    unsigned before;
    const char* selectedBefore;
    unsigned after;
    const char* selectedAfter; // "" for no selection
};

void PrintTo(const RefillCase& c, std::ostream* os) {
    *os << c.name;
}

class PortListRefill : public MainWindow, public testing::WithParamInterface<RefillCase> {};

TEST_P(PortListRefill, KeepsTheSamePortOrNone) {
    const RefillCase& c = GetParam();
    SetPortMask(c.before);
    WriteIni(ValidIni(std::string("COM") + (c.selectedBefore + 4)));
    std::string before, after;
    int selection = -2;
    RunModal(m_dlg, [&](HWND dlg) {
        before = ItemTextOf(dlg, IDC_COMBO_PORT);
        SetPortMask(c.after);
        // The list refills when it is about to drop down.
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO_PORT, CBN_DROPDOWN),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_COMBO_PORT)));
        after = ItemTextOf(dlg, IDC_COMBO_PORT);
        selection = ComboSelection(dlg, IDC_COMBO_PORT);
    });
    EXPECT_EQ(before, c.selectedBefore);
    EXPECT_EQ(after, c.selectedAfter);
    EXPECT_EQ(selection == -1, std::string(c.selectedAfter).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Masks, PortListRefill,
    testing::Values(RefillCase{"SamePortNewPosition", 0x0004, "COM 3", 0x0005, "COM 3"},
                    RefillCase{"SamePositionOtherPort", 0x0006, "COM 2", 0x0005, ""},
                    RefillCase{"PortGone", 0x0005, "COM 3", 0x0003, ""},
                    RefillCase{"AllGone", 0x0001, "COM 1", 0x0000, ""},
                    RefillCase{"Unchanged", 0x00F0, "COM 6", 0x00F0, "COM 6"}),
    [](const testing::TestParamInfo<RefillCase>& info) { return info.param.name; });

TEST_F(MainWindow, DeviceArrivalRefillsThePortListKeepingThePort) {
    SetPortMask(0x0004);
    WriteIni(ValidIni("COM3"));
    std::vector<std::string> items;
    std::string selected;
    RunModal(m_dlg, [&](HWND dlg) {
        SetPortMask(0x0025); // an adapter brought COM 1 and COM 6
        SendMessageW(dlg, WM_DEVICECHANGE, 0x8000 /* DBT_DEVICEARRIVAL */, 0);
        WaitUntil([&] { return ComboItems(dlg, IDC_COMBO_PORT).size() == 3; }, 3000);
        items = ComboItems(dlg, IDC_COMBO_PORT);
        selected = ItemTextOf(dlg, IDC_COMBO_PORT);
    });
    EXPECT_EQ(items, (std::vector<std::string>{"COM 1", "COM 3", "COM 6"}));
    EXPECT_EQ(selected, "COM 3");
}

TEST_F(MainWindow, ExitNeverShowsAValidationMessage) {
    for (const char* address : {"", "abc", "999", "255"}) {
        CDownloadDlg dlg;
        const INT_PTR result = RunModal(dlg, [&](HWND hwnd) {
            SetItemTextOf(hwnd, IDC_EDIT_CPMADR, address);
            Click(hwnd, IDC_BUTTON_EXIT);
        });
        EXPECT_EQ(result, IDOK) << address;
    }
    EXPECT_TRUE(m_boxes.Texts().empty());
}

// Entering and leaving the file field runs the exchange with the address check.
struct AddressCase {
    const char* text;
    const char* downloadMode; // nullptr: not in the file
    int expectedAddress;
    bool message725;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class AddressField : public MainWindow, public testing::WithParamInterface<AddressCase> {};

TEST_P(AddressField, ExchangeChecksTheAddress) {
    const AddressCase& c = GetParam();
    if (c.downloadMode) {
        WriteIni(ValidIni("COM1", std::string("DOWNLOADMODE=") + c.downloadMode + "\r\n"));
    }
    bool focusOnAddress = false;
    RunModal(m_dlg, [&](HWND dlg) {
        SetItemTextOf(dlg, IDC_EDIT_CPMADR, c.text);
        Focus(dlg, IDC_EDIT_FILE);
        focusOnAddress = WaitUntil(
            [&] {
                return FocusOf(GetWindowThreadProcessId(dlg, nullptr)) ==
                       GetDlgItem(dlg, IDC_EDIT_CPMADR);
            },
            500);
    });
    const std::vector<std::string> texts = m_boxes.Texts();
    EXPECT_EQ(m_dlg.Settings().m_nCpmAddress, c.expectedAddress);
    if (c.message725) {
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.front(), kMessage725);
        EXPECT_TRUE(focusOnAddress);
    } else {
        EXPECT_TRUE(texts.empty()) << texts.front();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddressField,
    testing::Values(AddressCase{"", nullptr, -1, true}, AddressCase{"", "0", -1, true},
                    AddressCase{"  12", nullptr, -1, true}, AddressCase{"12", nullptr, 12, false},
                    AddressCase{"127", nullptr, 127, false}, AddressCase{"128", nullptr, 128, true},
                    AddressCase{"255", "0", 255, false}, AddressCase{"255", "1", 255, true},
                    AddressCase{"255", nullptr, 255, true}, AddressCase{"-1", nullptr, -1, true},
                    AddressCase{"99999999999", nullptr, 2147483647, true}));

TEST_F(MainWindow, AddressThatIsNoNumberShowsTheIntegerMessage) {
    RunModal(m_dlg, [&](HWND dlg) {
        SetItemTextOf(dlg, IDC_EDIT_CPMADR, "abc");
        Focus(dlg, IDC_EDIT_FILE);
    });
    const std::vector<std::string> texts = m_boxes.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Please enter an integer.");
    EXPECT_EQ(m_dlg.Settings().m_nCpmAddress, 5); // unchanged from the settings
}

TEST_F(MainWindow, FileFieldShowsTheFullPathOnlyWhileFocused) {
    const std::string path =
        "C:\\firmware\\controllers\\plant-north\\line-4\\cpm-release-2026\\main.fdl";
    WriteIni(ValidIni("COM1", "", path));
    std::string before, focused, after, typedAfter;
    RunModal(m_dlg, [&](HWND dlg) {
        before = ItemTextOf(dlg, IDC_EDIT_FILE);
        Focus(dlg, IDC_EDIT_FILE);
        focused = ItemTextOf(dlg, IDC_EDIT_FILE);
        SetItemTextOf(dlg, IDC_EDIT_FILE, "C:\\other\\typed.fdl");
        Focus(dlg, IDC_EDIT_CPMADR);
        typedAfter = ItemTextOf(dlg, IDC_EDIT_FILE);
    });
    EXPECT_EQ(focused, path);
    EXPECT_NE(before, path);
    EXPECT_EQ(before.compare(0, 6, "C:\\..."), 0) << before;
    EXPECT_EQ(before.substr(before.size() - 9), "\\main.fdl");
    EXPECT_EQ(typedAfter, "C:\\other\\typed.fdl");
    EXPECT_EQ(m_dlg.Settings().m_strFilePath, "C:\\other\\typed.fdl");
    EXPECT_TRUE(m_boxes.Texts().empty());
}

} // namespace
