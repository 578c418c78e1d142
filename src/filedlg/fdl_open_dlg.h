#pragma once

#include "filedlg/fdl_info_dlg.h"
#include "platform/file_dialog.h"

#include <string>

// The open dialog for firmware files. Each selection in its list shows the
// file's header in a preview window that lives as long as the dialog runs.
class CFDLOpenDlg : public platform::FileDialog {
public:
    // The arguments of the file dialog, passed on unchanged.
    CFDLOpenDlg(bool openFileDialog, const std::string& defaultExt, const std::string& fileName,
                DWORD flags, const std::string& filter, HWND parent);
    ~CFDLOpenDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnFileNameChange() override;
    void OnClose() override;

private:
    HWND m_pInfoParent;          // the preview's parent: the main window
    BOOL m_bInfoCreated = FALSE; // once per run of the dialog
    CFDLInfoDlg m_dlgInfo;
};
