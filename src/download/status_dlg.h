#pragma once

#include "download/status_model.h"
#include "download/status_view.h"
#include "platform/dialog.h"

#include <string>

class CDownloadDlg;

// The modeless window that shows one download run while it is polled and its
// result afterwards. The main window makes it, feeds it and destroys it.
class CDownloadStatusDlg : public platform::Dialog, private download::StatusView {
public:
    CDownloadStatusDlg(CDownloadDlg* parent, int handle, int cpmAddress, std::string targetName,
                       std::string fileName, int port, int retry);
    ~CDownloadStatusDlg() override;

    void UpdateStatus(int status, int phase) { m_model.UpdateStatus(status, phase); }
    void ShowError(const std::string& text) { m_model.ShowError(text); }
    bool IsFinished() const { return m_model.m_bFinished; }

    const int m_nDownloadHandle;
    const int m_nRetry;
    const int m_nCpmAddress;
    const int m_nPort;
    const std::string m_strTarget;
    const std::string m_strFileName;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    void OnOK() override {} // Enter has no meaning here
    void OnCancel() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadLeds(UINT dpi);
    void OnRepeatDownload();

    // How the run's state reaches the controls.
    void SetRunLed(download::Led led) override;
    void SetErrorLed(download::Led led) override;
    void SetMessage(const std::string& text) override;
    void SetElapsed(const std::string& text) override;
    void SetEstimate(const std::string& text) override;
    void SetPercent(const std::string& text) override;
    void SetProgress(int position) override;
    void RepaintProgress() override;
    void SetCancelText(const std::string& text) override;
    void EnableRepeat(bool enable) override;
    HBITMAP LedBitmap(download::Led led) const;

    CDownloadDlg* m_pOwner;
    download::StatusModel m_model;
    HBITMAP m_bmpLedOff = nullptr;
    HBITMAP m_bmpLedRed = nullptr;
    HBITMAP m_bmpLedGreen = nullptr;
    HWND m_pProgress = nullptr;
    HWND m_pErrorLed = nullptr;
    HWND m_pRunLed = nullptr;
    HWND m_pRepeatButton = nullptr;
    HWND m_pCancelButton = nullptr;
    download::Led m_runLed = download::Led::Off;
    download::Led m_errorLed = download::Led::Off;
};
