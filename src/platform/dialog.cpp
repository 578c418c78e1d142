#include "platform/dialog.h"

#include "platform/app_message.h"
#include "platform/int_text.h"
#include "platform/message_box.h"
#include "platform/message_pump.h"
#include "platform/text.h"
#include "res/resource.h"

namespace platform {

Dialog::Dialog(int templateId) : m_templateId(templateId) {}

Dialog::~Dialog() {
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

// The modal loop is our own rather than DialogBox's: that one gives the
// keyboard (Tab, Escape, Space) to this dialog alone, so a modeless window
// that lives beside it, the status window after a run, would not answer keys.
INT_PTR Dialog::DoModal(HWND parent) {
    m_modal = true;
    m_modalEnded = false;
    m_modalResult = -1;
    const HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    if (CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this)) == nullptr) {
        return -1;
    }
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) {
        EnableWindow(owner, FALSE);
    }
    if (!m_modalEnded) { // it may have ended while it initialised
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
    }
    while (!m_modalEnded && PumpMessage()) {
    }
    // The owner is enabled before this window goes, so it becomes active again.
    if (disableOwner) {
        EnableWindow(owner, TRUE);
    }
    DestroyWindow();
    return m_modalResult;
}

bool Dialog::Create(HWND parent) {
    m_modal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                              DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::DestroyWindow() {
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

void Dialog::EndDialog(INT_PTR result) {
    if (m_modal) {
        m_modalResult = result;
        m_modalEnded = true;
        PostMessageW(m_hWnd, WM_NULL, 0, 0); // the loop sees the end at once
    } else {
        DestroyWindow();
    }
}

std::string Dialog::ItemText(int id) const {
    return GetWindowTextUtf8(Item(id));
}
void Dialog::SetItemText(int id, const std::string& text) {
    SetWindowTextUtf8(Item(id), text);
}
std::string Dialog::Caption() const {
    return GetWindowTextUtf8(m_hWnd);
}
void Dialog::SetCaption(const std::string& text) {
    SetWindowTextUtf8(m_hWnd, text);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

bool Dialog::OnCommand(int id, int notifyCode, HWND) {
    if (notifyCode != BN_CLICKED) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

void Dialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void Dialog::DoDataExchange(DataExchange&) {}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE; // messages that arrive before WM_INITDIALOG
    }
    INT_PTR result = FALSE;
    switch (message) {
    case WM_INITDIALOG:
        result = self->OnInitDialog();
        break;
    case WM_COMMAND:
        result = self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))
                     ? TRUE
                     : FALSE;
        break;
    default:
        result = self->OnMessage(message, wParam, lParam);
        break;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return result;
}

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_dialog(dialog) {}

void DataExchange::Text(int id, std::string& value) {
    if (m_failed) {
        return;
    }
    if (m_bSaveAndValidate) {
        value = m_dialog.ItemText(id);
    } else {
        m_dialog.SetItemText(id, value);
    }
}

void DataExchange::Int(int id, int& value) {
    if (m_failed) {
        return;
    }
    if (!m_bSaveAndValidate) {
        m_dialog.SetItemText(id, std::to_string(value));
        return;
    }
    int parsed = 0;
    if (!ParseIntegerText(m_dialog.ItemText(id), parsed)) {
        ShowAppMessage(m_dialog.GetSafeHwnd(), LoadResString(IDS_PARSE_INT));
        Fail(id);
        return;
    }
    value = parsed;
}

void DataExchange::ComboIndex(int id, int& index) {
    if (m_failed) {
        return;
    }
    if (m_bSaveAndValidate) {
        index = static_cast<int>(SendMessageW(m_dialog.Item(id), CB_GETCURSEL, 0, 0));
    } else {
        SendMessageW(m_dialog.Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void DataExchange::Radio(int firstId, int& index) {
    if (m_failed) {
        return;
    }
    // The group runs from firstId up to the next control that starts a group.
    HWND button = m_dialog.Item(firstId);
    for (int i = 0; button != nullptr; ++i) {
        if (m_bSaveAndValidate) {
            if (SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                index = i;
                return;
            }
        } else {
            SendMessageW(button, BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        button = GetWindow(button, GW_HWNDNEXT);
        if (button != nullptr && (GetWindowLongW(button, GWL_STYLE) & WS_GROUP) != 0) {
            break;
        }
    }
}

void DataExchange::Fail(int id) {
    m_failed = true;
    const HWND control = m_dialog.Item(id);
    if (control == nullptr) {
        return;
    }
    SendMessageW(m_dialog.GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, L"Edit") == 0) {
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

} // namespace platform
