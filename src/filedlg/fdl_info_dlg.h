#pragma once

#include "platform/dialog.h"

#include <string>

// The firmware header preview: a modeless, sizable window at the top-left
// corner of the screen whose edit field shows the header of the file selected
// in the file dialog.
class CFDLInfoDlg : public platform::Dialog {
public:
    CFDLInfoDlg();
    ~CFDLInfoDlg() override;

    // Shows the header of the file (UTF-8 path). A file that cannot be opened
    // leaves the text as it was.
    void ShowFileInfo(std::string path);

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(platform::DataExchange& dx) override;
    void OnOK() override;
    void OnCancel() override;
    void OnSize(UINT type, int cx, int cy);

private:
    void FitEditToClient();
    void MakeFontFixedPitch();

    HWND m_editInfo = nullptr;
    HFONT m_fixedFont = nullptr; // only when the template's font was not fixed-pitch
};
