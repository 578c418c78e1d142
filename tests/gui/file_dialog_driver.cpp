#include "file_dialog_driver.h"

#include "dialog_driver.h"
#include "platform/text.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

namespace testsupport {
namespace {

const int kHeaderFieldId = 1011;

struct Search {
    bool preview;
    HWND found;
};

bool HasClass(HWND hwnd, const wchar_t* name) {
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    return lstrcmpW(className, name) == 0;
}

BOOL CALLBACK SearchProc(HWND hwnd, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    if (!HasClass(hwnd, L"#32770") || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    // The open dialog is the one with a file type box, the preview the one
    // with the header field.
    const bool match = GetDlgItem(hwnd, search->preview ? kHeaderFieldId : cmb1) != nullptr;
    if (match) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND Find(DWORD threadId, bool preview) {
    Search search{preview, nullptr};
    EnumThreadWindows(threadId, SearchProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FileList(HWND fileDialog) {
    const HWND view = FindWindowExW(fileDialog, nullptr, L"SHELLDLL_DefView", nullptr);
    return FindWindowExW(view, nullptr, L"SysListView32", nullptr);
}

std::string ItemText(HWND list, int index) {
    wchar_t text[MAX_PATH] = {};
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    return platform::Narrow(text);
}

// Windows names the file name box cmb13, older dialogs edt1.
HWND FileNameBox(HWND fileDialog) {
    const HWND combo = GetDlgItem(fileDialog, cmb13);
    return combo != nullptr ? combo : GetDlgItem(fileDialog, edt1);
}

void PressButton(HWND fileDialog, int id) {
    PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, id)));
}

} // namespace

HWND FindFileDialogOfThread(DWORD threadId) {
    return Find(threadId, false);
}

HWND FindPreviewOfThread(DWORD threadId) {
    return Find(threadId, true);
}

HWND OpenFileDialogFrom(HWND mainWindow) {
    const DWORD thread = GetWindowThreadProcessId(mainWindow, nullptr);
    PostClick(mainWindow, 1004);
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindFileDialogOfThread(thread)) != nullptr; });
    return dialog;
}

std::string FolderOf(HWND fileDialog) {
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(fileDialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    return platform::Narrow(folder);
}

std::vector<std::string> ListedNames(HWND fileDialog) {
    const HWND list = FileList(fileDialog);
    std::vector<std::string> names;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        names.push_back(ItemText(list, i));
    }
    return names;
}

bool SelectListed(HWND fileDialog, const std::string& name) {
    const HWND list = FileList(fileDialog);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (ItemText(list, i) == name) {
            LVITEMW item = {};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&item));
            return true;
        }
    }
    return false;
}

void FocusFileList(HWND fileDialog) {
    SendMessageW(fileDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(FileList(fileDialog)), TRUE);
}

void SetFileNameBox(HWND fileDialog, const std::string& text) {
    SendMessageW(FileNameBox(fileDialog), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(platform::Widen(text).c_str()));
}

std::string FileNameBoxText(HWND fileDialog) {
    return TextOf(FileNameBox(fileDialog));
}

void PressOpen(HWND fileDialog) {
    PressButton(fileDialog, IDOK);
}

void PressCancel(HWND fileDialog) {
    PressButton(fileDialog, IDCANCEL);
}

} // namespace testsupport
