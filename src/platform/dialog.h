#pragma once

#include <windows.h>

#include <string>

namespace platform {

class DataExchange;

// A dialog from a resource template. One static dialog procedure keeps the
// object in DWLP_USER and hands messages to the virtual handlers below. Modal
// and modeless dialogs differ only in how they are created and ended.
class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    INT_PTR DoModal(HWND parent);
    bool Create(HWND parent); // modeless; false when the window could not be made
    void DestroyWindow();
    void EndDialog(INT_PTR result);

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text);
    std::string Caption() const;
    void SetCaption(const std::string& text);

    // Moves field contents into members (save) or back (load). Returns false
    // when a field failed its check; that field then has the focus.
    bool UpdateData(bool saveAndValidate = true);

protected:
    virtual BOOL OnInitDialog(); // loads the fields; TRUE: default focus
    // Returns true when the command was handled.
    virtual bool OnCommand(int id, int notifyCode, HWND control);
    // Any other message; the result is the dialog procedure's result.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnOK();     // exchange, then end with IDOK
    virtual void OnCancel(); // end with IDCANCEL
    virtual void DoDataExchange(DataExchange& dx);

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    bool m_modal = false;
    bool m_modalEnded = false;
    INT_PTR m_modalResult = -1;
};

// One pass of a dialog's data exchange. After a failure the remaining steps
// do nothing, so DoDataExchange can stop at any point.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate);

    const bool m_bSaveAndValidate;
    bool Failed() const { return m_failed; }

    void Text(int id, std::string& value);
    // A field that is not an integer shows the standard message and fails.
    void Int(int id, int& value);
    void ComboIndex(int id, int& index);
    // Index of the checked button of the group that starts at firstId. When no
    // button is checked the value is left as it was.
    void Radio(int firstId, int& index);
    // Marks the exchange failed: the field gets the focus and, if it is an
    // edit field, its text is selected.
    void Fail(int id);

private:
    Dialog& m_dialog;
    bool m_failed = false;
};

} // namespace platform
