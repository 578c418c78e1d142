#include "filedlg/fdl_open_dlg.h"

CFDLOpenDlg::CFDLOpenDlg(bool openFileDialog, const std::string& defaultExt,
                         const std::string& fileName, DWORD flags, const std::string& filter,
                         HWND parent)
    : platform::FileDialog(openFileDialog, defaultExt, fileName, flags, filter, parent),
      m_pInfoParent(parent) {}

// The preview goes with the dialog object at the latest.
CFDLOpenDlg::~CFDLOpenDlg() {
    m_dlgInfo.DestroyWindow();
}

BOOL CFDLOpenDlg::OnInitDialog() {
    platform::FileDialog::OnInitDialog();
    m_bInfoCreated = FALSE;
    return TRUE;
}

void CFDLOpenDlg::OnFileNameChange() {
    platform::FileDialog::OnFileNameChange();
    const std::string path = GetCurrentFilePath();
    const std::string name = GetCurrentFileSpec();
    // The list also reports a change while it fills, with no file selected;
    // the dialog then gives its folder as the path. That is no selection.
    if (path.empty() || name.empty()) {
        return;
    }
    if (!m_bInfoCreated) {
        if (m_pInfoParent == nullptr) {
            m_pInfoParent = GetSafeHwnd();
        }
        // The new window takes the focus; the user is still choosing in the
        // list and keeps typing there.
        const HWND focus = GetFocus();
        m_dlgInfo.Create(m_pInfoParent);
        if (focus != nullptr) {
            SetFocus(focus);
        }
        // Set even when the window could not be made: the dialog then simply
        // runs without a preview.
        m_bInfoCreated = TRUE;
    }
    m_dlgInfo.ShowFileInfo(path);
    m_dlgInfo.SetCaption("Info <" + name + ">");
}

void CFDLOpenDlg::OnClose() {
    m_dlgInfo.DestroyWindow();
    platform::FileDialog::OnClose();
}
