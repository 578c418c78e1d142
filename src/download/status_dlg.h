#pragma once

#include "platform/dialog.h"
#include "run/status_model.h"
#include "run/status_view.h"

#include <string>

namespace download {

// What the status window's buttons ask of the run it shows.
class StatusOwner {
public:
    virtual ~StatusOwner() = default;
    // Cancel Download: while polling, or after a cancellation nobody asked for
    virtual void CancelDownload() = 0;
    virtual void CloseStatusDlg() = 0; // Exit
    virtual void RepeatDownload() = 0;
    // The window's taskbar button is there (a window without an owner has one).
    virtual void TaskbarButtonCreated() = 0;
};

} // namespace download

// The modeless window that shows one download run while it is polled and its
// result afterwards. The run makes it, feeds it and destroys it.
class CDownloadStatusDlg : public platform::Dialog, private run::StatusView {
public:
    CDownloadStatusDlg(download::StatusOwner& owner, int handle, int cpmAddress,
                       std::string targetName, std::string fileName, int port, int retry);
    ~CDownloadStatusDlg() override;

    void UpdateStatus(int status, int phase) { m_model.UpdateStatus(status, phase); }
    void ShowError(const std::string& text) { m_model.ShowError(text); }
    // The run is being aborted, whoever asked: Cancel becomes Exit.
    void ShowCancelRequested() { m_model.OnCancelPressed(); }
    // For a run that cannot be started again from here (a script's).
    void DisableRepeat();

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
    void SetRunLed(run::Led led) override;
    void SetErrorLed(run::Led led) override;
    void SetMessage(const std::string& text) override;
    void SetElapsed(const std::string& text) override;
    void SetEstimate(const std::string& text) override;
    void SetPercent(const std::string& text) override;
    void SetProgress(int position) override;
    void RepaintProgress() override;
    void SetCancelText(const std::string& text) override;
    void EnableRepeat(bool enable) override;
    HBITMAP LedBitmap(run::Led led) const;

    download::StatusOwner& m_owner;
    run::StatusModel m_model;
    HBITMAP m_bmpLedOff = nullptr;
    HBITMAP m_bmpLedRed = nullptr;
    HBITMAP m_bmpLedGreen = nullptr;
    HWND m_pProgress = nullptr;
    HWND m_pErrorLed = nullptr;
    HWND m_pRunLed = nullptr;
    HWND m_pRepeatButton = nullptr;
    HWND m_pCancelButton = nullptr;
    run::Led m_runLed = run::Led::Off;
    run::Led m_errorLed = run::Led::Off;
    bool m_bRepeatAllowed = true;
};
