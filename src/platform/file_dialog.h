#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

namespace platform {

// The common open or save dialog, explorer style, with a hook so that a
// subclass hears of its start, of selection changes and of its close box.
class FileDialog {
public:
    // flags are OFN_* options; the hook flag is added here. The filter is
    // written "Name|pattern||" (see CommonDialogFilter). Empty texts mean none.
    FileDialog(bool openFileDialog, const std::string& defaultExt, const std::string& fileName,
               DWORD flags, const std::string& filter, HWND parent);
    virtual ~FileDialog();
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // Empty: the dialog picks the folder itself.
    void SetInitialFolder(const std::string& folder);

    // IDOK when the user chose a file, else IDCANCEL.
    INT_PTR DoModal();
    // The chosen file's full path, after DoModal returned IDOK.
    std::string GetPathName() const;

    // The dialog window while it is open, else null.
    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetParentWindow() const { return m_hParent; }
    // While it is open: full path of the item selected in the list, and the
    // text of the file name box. Empty when there is none.
    std::string GetCurrentFilePath() const;
    std::string GetCurrentFileSpec() const;

protected:
    // Called when the dialog has been created, before it shows.
    virtual BOOL OnInitDialog();
    // Called each time the selection in the dialog's list changes.
    virtual void OnFileNameChange();
    // Called when the dialog is asked to close (close box, Alt+F4); it then
    // closes as it would without the call.
    virtual void OnClose();

private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DialogSubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR id, DWORD_PTR refData);
    std::string QueryText(UINT message) const;

    bool m_open;
    HWND m_hParent;
    DWORD m_flags;
    std::wstring m_defaultExt;
    std::wstring m_filter;
    std::wstring m_initialFolder;
    std::vector<wchar_t> m_file;
    HWND m_hWnd = nullptr;
};

} // namespace platform
