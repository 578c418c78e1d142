#include "platform/file_dialog.h"

#include "platform/com.h"
#include "platform/file_filter.h"
#include "platform/library.h"
#include "platform/text.h"

#include <commctrl.h>

namespace platform {
namespace {

// Room for the longest path Windows knows.
const size_t kPathBufferLength = 32768;
const UINT_PTR kSubclassId = 1;

} // namespace

FileDialog::FileDialog(bool openFileDialog, const std::string& defaultExt,
                       const std::string& fileName, DWORD flags, const std::string& filter,
                       HWND parent)
    : m_open(openFileDialog), m_hParent(parent), m_flags(flags | OFN_ENABLEHOOK),
      m_defaultExt(Widen(defaultExt)),
      m_filter(filter.empty() ? L"" : Widen(CommonDialogFilter(filter))),
      m_file(kPathBufferLength, L'\0') {
    const std::wstring name = Widen(fileName);
    name.copy(m_file.data(), m_file.size() - 1);
}

FileDialog::~FileDialog() = default;

void FileDialog::SetInitialFolder(const std::string& folder) {
    m_initialFolder = Widen(folder);
}

INT_PTR FileDialog::DoModal() {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hParent;
    ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = m_file.data();
    ofn.nMaxFile = static_cast<DWORD>(m_file.size());
    ofn.lpstrInitialDir = m_initialFolder.empty() ? nullptr : m_initialFolder.c_str();
    ofn.Flags = m_flags;
    ofn.lpstrDefExt = m_defaultExt.empty() ? nullptr : m_defaultExt.c_str();
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = HookProc;
    UseCom(); // the shell's folders and icons in the dialog are COM objects
    static const auto getOpen = TAVRO_SYSTEM_FUNCTION(L"comdlg32.dll", GetOpenFileNameW);
    static const auto getSave = TAVRO_SYSTEM_FUNCTION(L"comdlg32.dll", GetSaveFileNameW);
    const auto show = m_open ? getOpen : getSave;
    const BOOL chosen = show && show(&ofn);
    m_hWnd = nullptr;
    return chosen ? IDOK : IDCANCEL;
}

std::string FileDialog::GetPathName() const {
    return Narrow(m_file.data());
}

std::string FileDialog::GetCurrentFilePath() const {
    return QueryText(CDM_GETFILEPATH);
}

std::string FileDialog::GetCurrentFileSpec() const {
    return QueryText(CDM_GETSPEC);
}

std::string FileDialog::QueryText(UINT message) const {
    if (m_hWnd == nullptr) {
        return {};
    }
    std::wstring text(kPathBufferLength, L'\0');
    const LRESULT length = SendMessageW(m_hWnd, message, static_cast<WPARAM>(text.size()),
                                        reinterpret_cast<LPARAM>(text.data()));
    if (length <= 0) {
        return {};
    }
    text.resize(std::char_traits<wchar_t>::length(text.c_str()));
    return Narrow(text);
}

BOOL FileDialog::OnInitDialog() {
    return TRUE;
}

void FileDialog::OnFileNameChange() {}

void FileDialog::OnClose() {}

// The hook runs in the explorer dialog's empty child; the dialog itself is
// its parent.
UINT_PTR CALLBACK FileDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const OPENFILENAMEW* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        FileDialog* self = reinterpret_cast<FileDialog*>(ofn->lCustData);
        SetWindowLongPtrW(hook, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = GetParent(hook);
        // The close message goes to the dialog, never to the hook.
        SetWindowSubclass(self->m_hWnd, DialogSubclassProc, kSubclassId,
                          reinterpret_cast<DWORD_PTR>(self));
        return static_cast<UINT_PTR>(self->OnInitDialog());
    }
    FileDialog* self = reinterpret_cast<FileDialog*>(GetWindowLongPtrW(hook, DWLP_USER));
    if (self == nullptr) {
        return 0;
    }
    if (message == WM_NOTIFY) {
        const OFNOTIFYW* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
        if (notify->hdr.code == CDN_SELCHANGE) {
            self->OnFileNameChange();
        }
    }
    return 0;
}

LRESULT CALLBACK FileDialog::DialogSubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id, DWORD_PTR refData) {
    FileDialog* self = reinterpret_cast<FileDialog*>(refData);
    if (message == WM_CLOSE) {
        self->OnClose();
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, DialogSubclassProc, id);
        self->m_hWnd = nullptr;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace platform
