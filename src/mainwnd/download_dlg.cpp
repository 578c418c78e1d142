#include "mainwnd/download_dlg.h"

#include "fields/cpm_address.h"
#include "fields/path_shortening.h"
#include "fields/port_list.h"
#include "mainwnd/about_dlg.h"
#include "platform/app_message.h"
#include "platform/dpi.h"
#include "platform/help.h"
#include "platform/taskbar_progress.h"
#include "platform/text.h"
#include "res/resource.h"

#include <cstdio>
#include <dbt.h>

namespace {
const char* const kMainCaption = "Tavro Download";
// Device notifications come in bursts (an adapter brings several devices):
// the list is refilled once they have stopped for this long.
const UINT_PTR kPortRefreshTimer = 1;
const UINT kPortRefreshDelayMs = 300;
// Posted at the start: what Windows tells of the ports' devices is looked up
// once the window shows, so it never holds up the window.
const UINT kLookUpPortDevices = WM_APP + 1;
// Posted when the DPI changed, to run after the dialog manager's rescaling.
const UINT kFitPortBoxToDpi = WM_APP + 2;
const int kCpmAddressMin = 0;
const int kCpmAddressMax = 127;
} // namespace

CDownloadDlg::CDownloadDlg() : platform::Dialog(IDD_DOWNLOAD_DIALOG) {
    m_nTarget = -1;
    m_nCpmAddress = 0;
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CDownloadDlg::~CDownloadDlg() = default;

BOOL CDownloadDlg::OnInitDialog() {
    SetCaption(platform::ApplicationName());
    if (!BindDownloadLibrary()) {
        platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_LIBRARY_MISSING));
        EndDialog(0);
        return FALSE;
    }
    if (ReadSettings() == -1) {
        SetDefaultSettings();
        // Only a record that was written may be called created.
        if (WriteSettings()) {
            platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_DEFAULT_INI));
        } else {
            ReportSettingsNotWritten(IDS_DEFAULT_INI_NOT_WRITTEN);
        }
    }
    OpenRecord();
    m_portBox.Attach(Item(IDC_COMBO_PORT));
    FillPortList(false);
    if (!m_bPortsAvailable) {
        platform::ShowAppMessage(m_hWnd, platform::LoadResString(IDS_NO_PORT));
    }
    ShortenFilePathDisplay();
    platform::Dialog::OnInitDialog();
    AddAboutToSystemMenu();
    SetWindowIcons();
    SetCaption(kMainCaption);
    PostMessageW(m_hWnd, kLookUpPortDevices, 0, 0);
    // Shown here, as the dialog manager would right after, but before it
    // gives the first field the focus: a field focused in a hidden window
    // activates that window while it is hidden, and activating starts the
    // input method (under Wine its COM, about 9 ms). Shown first, the window
    // is activated as any window is, once it shows.
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    return TRUE;
}

bool CDownloadDlg::OnCommand(int id, int notifyCode, HWND control) {
    switch (id) {
    case IDC_BUTTON_DOWNLOAD:
        if (notifyCode == BN_CLICKED) {
            OnDownload();
            return true;
        }
        return false;
    case IDC_BUTTON_EXIT:
        if (notifyCode == BN_CLICKED) {
            OnExit();
            return true;
        }
        return false;
    case IDC_BUTTON_BROWSE:
        if (notifyCode == BN_CLICKED) {
            OnBrowse();
            return true;
        }
        return false;
    case IDC_BUTTON_HELP:
        if (notifyCode == BN_CLICKED) {
            platform::ShowHelpContents(m_hWnd);
            return true;
        }
        return false;
    case IDC_COMBO_PORT:
        if (notifyCode == CBN_DROPDOWN) {
            FillPortList();
            return true;
        }
        if (notifyCode == CBN_SELCHANGE) {
            m_portBox.Update();
            return true;
        }
        return false;
    case IDC_EDIT_FILE:
        if (notifyCode == EN_SETFOCUS || notifyCode == EN_KILLFOCUS) {
            OnFileFieldFocus(notifyCode == EN_SETFOCUS);
            return true;
        }
        return false;
    default:
        return platform::Dialog::OnCommand(id, notifyCode, control);
    }
}

INT_PTR CDownloadDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == platform::TaskbarButtonCreatedMessage()) { // Explorer restarted
        m_run.TaskbarButtonCreated();
        return TRUE;
    }
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            CAboutDlg about;
            about.DoModal(m_hWnd);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        if (IsIconic(m_hWnd)) {
            PaintMinimized();
            return TRUE;
        }
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_HELP:
        platform::ShowHelpContents(m_hWnd);
        return TRUE;
    case WM_DPICHANGED:
        SetWindowIcons();
        PostMessageW(m_hWnd, kFitPortBoxToDpi, 0, 0);
        return FALSE; // per-monitor v2, the only one asked for: the dialog manager rescales
    case kFitPortBoxToDpi:
        m_portBox.FitToDpi();
        return TRUE;
    case kLookUpPortDevices:
        // The window and its controls are painted first.
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        m_portBox.LookUpDevices();
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_COMBO_PORT) {
            m_portBox.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return FALSE;
    case WM_QUERYENDSESSION:
        // Not halfway through a flash: Windows shows the run's reason instead.
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, m_run.SessionMayEnd() ? TRUE : FALSE);
        return TRUE;
    case WM_ENDSESSION:
        m_run.OnSessionEnd(wParam != FALSE);
        return FALSE; // answered 0 by the default handling, as Windows expects

    case WM_DEVICECHANGE:
        OnDeviceChange(wParam);
        return TRUE;
    case WM_TIMER:
        if (wParam == kPortRefreshTimer) {
            OnPortRefreshTimer();
            return TRUE;
        }
        return FALSE;
    default:
        (void)lParam;
        return FALSE;
    }
}

// While a run is polled the window is disabled; a close request that still
// reaches it (sent by another program or an accessibility tool) must not end
// the dialog under the loop, which would take the run's result off the screen.
void CDownloadDlg::OnExit() {
    if (m_run.IsPolling()) {
        return;
    }
    m_bClosing = true;
    OnOK();
}

void CDownloadDlg::OnOK() {
    if (!m_run.IsPolling()) {
        platform::Dialog::OnOK();
    }
}

void CDownloadDlg::OnCancel() {
    if (!m_run.IsPolling()) {
        platform::Dialog::OnCancel();
    }
}

// USB serial adapters are plugged in and out all day: the port list follows
// them by itself, keeping the selected port by its number.
void CDownloadDlg::OnDeviceChange(WPARAM event) {
    // Without the library there is nothing to ask for ports: a device that
    // arrives while the library's message is shown changes nothing.
    if (!m_library.IsBound()) {
        return;
    }
    if (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE ||
        event == DBT_DEVNODES_CHANGED) {
        SetTimer(m_hWnd, kPortRefreshTimer, kPortRefreshDelayMs, nullptr);
    }
}

void CDownloadDlg::OnPortRefreshTimer() {
    KillTimer(m_hWnd, kPortRefreshTimer);
    if (!m_library.IsBound()) {
        return;
    }
    if (m_run.IsPolling()) {
        m_bPortsChanged = true; // never under a running download
        return;
    }
    m_bPortsChanged = false;
    FillPortList();
}

void CDownloadDlg::AddAboutToSystemMenu() {
    const HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (menu == nullptr) {
        return;
    }
    const std::wstring text = platform::Widen(platform::LoadResString(IDS_ABOUTBOX));
    if (text.empty()) {
        return;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

// The icon's own images for the caption and the taskbar at this DPI, rather
// than one image squeezed or stretched by the system.
void CDownloadDlg::SetWindowIcons() {
    for (HICON& icon : m_windowIcons) {
        if (icon) {
            DestroyIcon(icon);
        }
    }
    m_windowIcons[0] = platform::LoadIconForDpi(m_hWnd, IDR_MAINFRAME, false);
    m_windowIcons[1] = platform::LoadIconForDpi(m_hWnd, IDR_MAINFRAME, true);
    // Small first: a big icon that comes alone has the system scale a small
    // copy of it, only for this one to replace it a moment later.
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(m_windowIcons[1] ? m_windowIcons[1] : m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(m_windowIcons[0] ? m_windowIcons[0] : m_hIcon));
}

void CDownloadDlg::PaintMinimized() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

void CDownloadDlg::FillPortList(bool withDevices) {
    m_wComPorts = m_library.ReadPortMask();
    const HWND combo = Item(IDC_COMBO_PORT);
    // Remember the port, not the position: after ports came or went the same
    // position may name another device.
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const LRESULT selectedPort =
        selected == CB_ERR ? CB_ERR : SendMessageW(combo, CB_GETITEMDATA, selected, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    m_bPortsAvailable = m_wComPorts != 0;
    SendMessageW(combo, CB_INITSTORAGE, 16, 10);
    const std::vector<fields::PortItem> items = fields::PortItemsForMask(m_wComPorts);
    for (const fields::PortItem& item : items) {
        const LRESULT index = SendMessageW(
            combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(item.text).c_str()));
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), item.port);
    }
    if (selected != CB_ERR) {
        const int index = fields::IndexOfPort(items, static_cast<int>(selectedPort));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    if (withDevices) {
        m_portBox.LookUpDevices();
    } else {
        m_portBox.Update();
    }
}

void CDownloadDlg::DoDataExchange(platform::DataExchange& dx) {
    if (m_bClosing) {
        return;
    }
    dx.ComboIndex(IDC_COMBO_PORT, m_nPortIndex);
    dx.Radio(IDC_RADIO_PRIM, m_nTarget);
    dx.Text(IDC_EDIT_FILE, m_strFileDisplay);
    if (dx.m_bSaveAndValidate) {
        ExchangeCpmAddressAndPort(dx);
    } else {
        SelectPortOfSettings();
        SetItemText(IDC_EDIT_CPMADR,
                    m_nCpmAddress == fields::kNoCpmAddress ? "" : std::to_string(m_nCpmAddress));
    }
}

void CDownloadDlg::SelectPortOfSettings() {
    const HWND combo = Item(IDC_COMBO_PORT);
    const std::wstring text = platform::Widen(fields::PortItemText(m_nPort));
    const LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    m_portBox.Update();
}

void CDownloadDlg::ExchangeCpmAddressAndPort(platform::DataExchange& dx) {
    if (fields::IsCpmAddressFieldEmpty(ItemText(IDC_EDIT_CPMADR))) {
        m_nCpmAddress = fields::kNoCpmAddress;
    } else {
        dx.Int(IDC_EDIT_CPMADR, m_nCpmAddress);
        if (dx.Failed()) {
            return;
        }
    }
    // No selection gives -1 (CB_ERR), the "<none>" item 0.
    m_nPort = static_cast<int>(
        SendMessageW(Item(IDC_COMBO_PORT), CB_GETITEMDATA, static_cast<WPARAM>(m_nPortIndex), 0));
    if (settings::IsValidCpmAddress(m_nCpmAddress, m_nDownloadMode)) {
        return; // an empty field (-1) is out of range too
    }
    char text[160];
    std::snprintf(text, sizeof text, platform::LoadResString(IDS_CPM_ADDRESS_RANGE).c_str(),
                  kCpmAddressMin, kCpmAddressMax);
    platform::ShowAppMessage(m_hWnd, text);
    dx.Fail(IDC_EDIT_CPMADR);
}

void CDownloadDlg::OnFileFieldFocus(bool gotFocus) {
    // A message box of the exchange moves the focus too; its notifications
    // must not start another exchange and another box.
    if (m_bInFocusExchange) {
        return;
    }
    m_bInFocusExchange = true;
    UpdateData(true);
    if (gotFocus) {
        m_strFileDisplay = m_strFilePath;
    } else {
        m_strFilePath = m_strFileDisplay;
        ShortenFilePathDisplay();
    }
    UpdateData(false);
    m_bInFocusExchange = false;
}

void CDownloadDlg::ShortenFilePathDisplay() {
    const HWND field = Item(IDC_EDIT_FILE);
    RECT format = {};
    SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    // Measured in the field's own device context, as it comes.
    const HDC dc = GetDC(field);
    const auto extent = [dc](const std::string& text) {
        const std::wstring wide = platform::Widen(text);
        SIZE size = {};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
    };
    m_strFileDisplay = fields::ShortenFilePath(m_strFilePath, format.right - format.left, extent);
    ReleaseDC(field, dc);
}
