#include "filedlg/fdl_info_dlg.h"

#include "firmware/header_preview.h"
#include "platform/small_file.h"
#include "platform/text.h"
#include "res/resource.h"

#include <optional>

namespace {

// Headers are plain text in whatever encoding their tool wrote: UTF-8 when
// the bytes are valid UTF-8, else the system code page.
std::wstring DecodeHeaderText(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    UINT codePage = CP_UTF8;
    int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (count == 0) {
        codePage = CP_ACP;
        count = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    }
    std::wstring text(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, bytes.data(),
                        size, text.data(), count);
    // The edit field would end the text at a NUL of a binary file and hide
    // the lines behind it.
    for (wchar_t& c : text) {
        if (c == L'\0') {
            c = L' ';
        }
    }
    return text;
}

bool IsFixedPitch(HWND window, HFONT font) {
    const HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    // The flag's name says the opposite of what it means: set for variable pitch.
    return (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
}

} // namespace

CFDLInfoDlg::CFDLInfoDlg() : platform::Dialog(IDD_FDL_INFO) {}

CFDLInfoDlg::~CFDLInfoDlg() {
    // Here, while OnMessage still reaches this class.
    DestroyWindow();
}

void CFDLInfoDlg::DoDataExchange(platform::DataExchange&) {
    m_editInfo = Item(IDC_EDIT_INFO);
}

BOOL CFDLInfoDlg::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    if (m_editInfo == nullptr) {
        return TRUE;
    }
    MakeFontFixedPitch();
    // A quarter of the screen's width and half its height, out of the way of
    // the file dialog, which opens nearer the middle.
    MoveWindow(m_hWnd, 0, 0, GetSystemMetrics(SM_CXFULLSCREEN) / 4,
               GetSystemMetrics(SM_CYFULLSCREEN) / 2, TRUE);
    FitEditToClient();
    return TRUE;
}

INT_PTR CFDLInfoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return FALSE; // the default handling too
    case WM_DESTROY:
        m_editInfo = nullptr; // its handle may soon name another window
        return FALSE;
    case WM_NCDESTROY:
        // The edit field, which used the font, is gone by now.
        if (m_fixedFont != nullptr) {
            DeleteObject(m_fixedFont);
            m_fixedFont = nullptr;
        }
        return FALSE;
    default:
        return platform::Dialog::OnMessage(message, wParam, lParam);
    }
}

void CFDLInfoDlg::OnSize(UINT, int cx, int cy) {
    // Always the whole client area, so dragging the border enlarges the text.
    if (m_editInfo != nullptr) {
        MoveWindow(m_editInfo, 0, 0, cx, cy, TRUE);
    }
}

void CFDLInfoDlg::FitEditToClient() {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    MoveWindow(m_editInfo, 0, 0, client.right - client.left, client.bottom - client.top, TRUE);
}

// Headers are laid out in columns, which line up only in a fixed-pitch font.
// Where the template's Courier New is missing (Wine has none) the dialog
// falls back to a proportional font; then ask for any fixed-pitch one of
// the same size.
void CFDLInfoDlg::MakeFontFixedPitch() {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_editInfo, WM_GETFONT, 0, 0));
    LOGFONTW description = {};
    if (font == nullptr ||
        GetObjectW(font, static_cast<int>(sizeof description), &description) == 0 ||
        IsFixedPitch(m_editInfo, font)) {
        return;
    }
    description.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    description.lfFaceName[0] = L'\0';
    m_fixedFont = CreateFontIndirectW(&description);
    if (m_fixedFont != nullptr) {
        SendMessageW(m_editInfo, WM_SETFONT, reinterpret_cast<WPARAM>(m_fixedFont), FALSE);
    }
}

// The preview closes with the file dialog only: Enter and Escape in its edit
// field must not end it.
void CFDLInfoDlg::OnOK() {}
void CFDLInfoDlg::OnCancel() {}

void CFDLInfoDlg::ShowFileInfo(std::string path) {
    const std::optional<std::string> text =
        firmware::PreviewTextOf(path, [](const std::string& file, std::size_t maxBytes) {
            return platform::ReadFileStart(platform::Widen(file), maxBytes);
        });
    if (text && m_editInfo != nullptr) {
        SetWindowTextW(m_editInfo, DecodeHeaderText(*text).c_str());
    }
}
