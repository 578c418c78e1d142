#include "download/status_dlg.h"

#include "platform/dpi.h"
#include "platform/static_image.h"
#include "platform/taskbar_progress.h"
#include "platform/text.h"
#include "res/resource.h"

#include <chrono>
#include <commctrl.h>

namespace {

// Whole seconds on a clock that never goes back, so a clock change during a
// run cannot make its times jump.
long long SecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The 12 x 12 LED grown by whole pixels on high-DPI screens (2x at 192 DPI),
// so it keeps its size beside the text without blurring.
HBITMAP LoadLed(int id, UINT dpi) {
    const HBITMAP original = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    const int factor = static_cast<int>(dpi / 96);
    if (factor <= 1 || original == nullptr) {
        return original;
    }
    const HBITMAP scaled = platform::ScaleBitmap(original, factor);
    DeleteObject(original);
    return scaled;
}

} // namespace

CDownloadStatusDlg::CDownloadStatusDlg(download::StatusOwner& owner, int handle, int cpmAddress,
                                       std::string targetName, std::string fileName, int port,
                                       int retry)
    : platform::Dialog(IDD_DOWNLOAD_STATUS), m_nDownloadHandle(handle), m_nRetry(retry),
      m_nCpmAddress(cpmAddress), m_nPort(port), m_strTarget(std::move(targetName)),
      m_strFileName(std::move(fileName)), m_owner(owner), m_model(*this, SecondsNow) {}

CDownloadStatusDlg::~CDownloadStatusDlg() {
    DestroyWindow(); // before the bitmaps its LEDs show
    for (HBITMAP bitmap : {m_bmpLedOff, m_bmpLedRed, m_bmpLedGreen}) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
}

BOOL CDownloadStatusDlg::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    m_pProgress = Item(IDC_PROGRESS);
    m_pRepeatButton = Item(IDC_BUTTON_REPEAT);
    m_pCancelButton = Item(IDCANCEL);
    m_pErrorLed = Item(IDC_LED_ERROR);
    m_pRunLed = Item(IDC_LED_RUN);
    LoadLeds(platform::WindowDpi(m_hWnd));
    SendMessageW(m_pProgress, PBM_SETPOS, 0, 0);
    SendMessageW(m_pProgress, PBM_SETRANGE32, 0, 500);
    SetItemText(IDC_STATIC_CPM, m_nCpmAddress == 255
                                    ? "Broadcast, " + m_strTarget
                                    : std::to_string(m_nCpmAddress) + ", " + m_strTarget);
    SetItemText(IDC_STATIC_RETRY, std::to_string(m_nRetry));
    SetItemText(IDC_STATIC_FILE, m_strFileName);
    SetItemText(IDC_STATIC_COM, std::to_string(m_nPort));
    m_model.Start();
    return TRUE;
}

// The first time, the LEDs hand back the bitmaps their template loaded, which
// are deleted; later the set of the old size, deleted here.
void CDownloadStatusDlg::LoadLeds(UINT dpi) {
    const HBITMAP old[] = {m_bmpLedOff, m_bmpLedRed, m_bmpLedGreen};
    m_bmpLedOff = LoadLed(IDB_LED_OFF, dpi);
    m_bmpLedRed = LoadLed(IDB_LED_RED, dpi);
    m_bmpLedGreen = LoadLed(IDB_LED_GREEN, dpi);
    platform::SetStaticBitmap(m_pRunLed, LedBitmap(m_runLed), {old[0], old[1], old[2]});
    platform::SetStaticBitmap(m_pErrorLed, LedBitmap(m_errorLed), {old[0], old[1], old[2]});
    for (HBITMAP bitmap : old) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
}

INT_PTR CDownloadStatusDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DPICHANGED) {
        LoadLeds(HIWORD(wParam));
        // Sent under per-monitor v2 only (the manifest asks for no other
        // per-monitor mode), where the dialog manager rescales the window.
        return FALSE;
    }
    if (message == platform::TaskbarButtonCreatedMessage()) {
        m_owner.TaskbarButtonCreated();
        return TRUE;
    }
    if (message == WM_DESTROY) {
        // Nothing of the LEDs' may outlive them: a copy the control made
        // would be lost with it.
        platform::SetStaticBitmap(m_pRunLed, nullptr, {m_bmpLedOff, m_bmpLedRed, m_bmpLedGreen});
        platform::SetStaticBitmap(m_pErrorLed, nullptr, {m_bmpLedOff, m_bmpLedRed, m_bmpLedGreen});
        return FALSE;
    }
    return platform::Dialog::OnMessage(message, wParam, lParam);
}

bool CDownloadStatusDlg::OnCommand(int id, int notifyCode, HWND control) {
    if (id == IDC_BUTTON_REPEAT && notifyCode == BN_CLICKED) {
        OnRepeatDownload();
        return true;
    }
    return platform::Dialog::OnCommand(id, notifyCode, control);
}

// Cancel Download, Escape and the close box: ask the library to abort while
// the run is polled, close the window once it has ended.
void CDownloadStatusDlg::OnCancel() {
    if (!m_model.m_bFinished) {
        m_owner.CancelDownload(); // the library first: the window's changes can wait
        m_model.OnCancelPressed();
        return;
    }
    m_owner.CloseStatusDlg(); // may destroy this object: nothing after it
}

void CDownloadStatusDlg::OnRepeatDownload() {
    if (m_bRepeatAllowed) {
        m_owner.RepeatDownload(); // may destroy this object: nothing after it
    }
}

void CDownloadStatusDlg::DisableRepeat() {
    m_bRepeatAllowed = false;
    EnableWindow(m_pRepeatButton, FALSE);
}

HBITMAP CDownloadStatusDlg::LedBitmap(run::Led led) const {
    switch (led) {
    case run::Led::Red:
        return m_bmpLedRed;
    case run::Led::Green:
        return m_bmpLedGreen;
    default:
        return m_bmpLedOff;
    }
}

void CDownloadStatusDlg::SetRunLed(run::Led led) {
    m_runLed = led;
    platform::SetStaticBitmap(m_pRunLed, LedBitmap(led), {m_bmpLedOff, m_bmpLedRed, m_bmpLedGreen});
}

void CDownloadStatusDlg::SetErrorLed(run::Led led) {
    m_errorLed = led;
    platform::SetStaticBitmap(m_pErrorLed, LedBitmap(led),
                              {m_bmpLedOff, m_bmpLedRed, m_bmpLedGreen});
}

void CDownloadStatusDlg::SetMessage(const std::string& text) {
    SetItemText(IDC_STATIC_MESSAGE, text);
}
void CDownloadStatusDlg::SetElapsed(const std::string& text) {
    SetItemText(IDC_STATIC_TIME, text);
}
void CDownloadStatusDlg::SetEstimate(const std::string& text) {
    SetItemText(IDC_STATIC_ESTIMATE, text);
}
void CDownloadStatusDlg::SetPercent(const std::string& text) {
    SetItemText(IDC_STATIC_PERCENT, text);
}

void CDownloadStatusDlg::SetProgress(int position) {
    SendMessageW(m_pProgress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CDownloadStatusDlg::RepaintProgress() {
    UpdateWindow(m_pProgress);
}

void CDownloadStatusDlg::SetCancelText(const std::string& text) {
    platform::SetWindowTextUtf8(m_pCancelButton, text);
}

void CDownloadStatusDlg::EnableRepeat(bool enable) {
    EnableWindow(m_pRepeatButton, enable && m_bRepeatAllowed);
}
