#include "dialog_driver.h"

#include "platform/message_box.h"
#include "platform/text.h"
#include "res/resource.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace testsupport {

MessageBoxCapture::MessageBoxCapture(int answer) {
    platform::SetMessageBoxHook(
        [this, answer](HWND owner, const std::string& text, const std::string& caption, UINT type) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_messages.push_back({text, caption, type, !owner || IsWindowEnabled(owner)});
            return answer;
        });
}

MessageBoxCapture::~MessageBoxCapture() {
    platform::SetMessageBoxHook(nullptr);
}

std::vector<ShownMessage> MessageBoxCapture::Messages() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

std::vector<std::string> MessageBoxCapture::Texts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& m : Messages()) {
        texts.push_back(m.text);
    }
    return texts;
}

namespace {

struct FindData {
    std::string captionStart;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM lParam) {
    FindData* data = reinterpret_cast<FindData*>(lParam);
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    if (TextOf(hwnd).compare(0, data->captionStart.size(), data->captionStart) != 0) {
        return TRUE;
    }
    data->found = hwnd;
    return FALSE;
}

BOOL CALLBACK PostCloseProc(HWND hwnd, LPARAM) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

void CloseDialogsOfThread(DWORD threadId) {
    EnumThreadWindows(threadId, PostCloseProc, 0);
}

} // namespace

HWND FindDialogOfThread(DWORD threadId, const std::string& captionStart) {
    FindData data{captionStart, nullptr};
    EnumThreadWindows(threadId, FindDialogProc, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND FocusOf(DWORD threadId) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId, &info);
    return info.hwndFocus;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(5);
    }
    return true;
}

HWND WaitForStatusWindow(HWND mainWindow) {
    HWND status = nullptr;
    WaitUntil([&] {
        status =
            FindDialogOfThread(GetWindowThreadProcessId(mainWindow, nullptr), "Download Status");
        return status != nullptr;
    });
    return status;
}

bool WaitForCaption(HWND window, const std::string& caption) {
    return WaitUntil([&] { return TextOf(window) == caption; });
}

int ProgressOf(HWND statusWindow) {
    return static_cast<int>(SendMessageW(GetDlgItem(statusWindow, IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

INT_PTR RunModal(platform::Dialog& dialog, const std::function<void(HWND)>& script) {
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> ended{false};
    std::thread driver([&] {
        HWND hwnd = nullptr;
        WaitUntil([&] { return ended || (hwnd = FindDialogOfThread(uiThread)) != nullptr; }, 30000);
        if (hwnd != nullptr && !ended) {
            script(hwnd);
        }
        // Whatever the script left open (the dialog, an About box...) is closed.
        while (!ended) {
            CloseDialogsOfThread(uiThread);
            Sleep(20);
        }
    });
    const INT_PTR result = dialog.DoModal(nullptr);
    ended = true;
    driver.join();
    return result;
}

// WM_GETTEXT rather than GetWindowText, which does not ask controls of
// another process for their text.
std::string TextOf(HWND window) {
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return platform::Narrow(text);
}
std::string ItemTextOf(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}

void SetItemTextOf(HWND dialog, int id, const std::string& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(platform::Widen(text).c_str()));
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PostClick(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Focus(HWND dialog, int id) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

std::vector<std::string> ComboItems(HWND dialog, int id) {
    const HWND combo = GetDlgItem(dialog, id);
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(platform::Narrow(text));
    }
    return items;
}

std::vector<LRESULT> ComboItemData(HWND dialog, int id) {
    const HWND combo = GetDlgItem(dialog, id);
    std::vector<LRESULT> data;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        data.push_back(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    }
    return data;
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendMessageW(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

} // namespace testsupport
