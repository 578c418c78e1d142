#pragma once

#include "download/library_api.h"
#include "platform/dialog.h"
#include "settings/download_settings.h"

#include <cstdint>
#include <string>

class CDownloadStatusDlg;

// The program's main window: port, CPM address, target and firmware file, and
// the Download button. It owns the download library's binding and the status
// window of the current or last run.
class CDownloadDlg : public platform::Dialog, public DownloadSettings {
public:
    CDownloadDlg();
    ~CDownloadDlg() override;

    // Settings file operations, on the application's profile.
    int ReadSettings();
    void SetDefaultSettings();
    void WriteSettings();

    void FillPortList();
    void ShortenFilePathDisplay();

    // The download run and the status window's calls back into the main window.
    void OnDownload();
    void PollDownload(CDownloadStatusDlg* dlg);
    void CreateStatusDlg(int handle, const std::string& fileName);
    void CloseStatusDlg();
    void RepeatDownload();
    void ShowDownloadError(int code, HWND owner);
    PFN_AbortDownload AbortEntryPoint() const { return m_pfnAbortDownload; }

    int m_nPortIndex = -1;
    std::string m_strFileDisplay;
    std::string m_strDownloadInfo;
    uint16_t m_wComPorts = 0;
    bool m_bPortsAvailable = false;
    bool m_bClosing = false;
    HICON m_hIcon = nullptr;
    CDownloadStatusDlg* m_pStatusDlg = nullptr;
    int m_nLastPercent = 0;

    HMODULE m_hDownloadLib = nullptr;
    PFN_GetCOMsStatus m_pfnGetCOMsStatus = nullptr;
    PFN_InitDownload m_pfnInitDownload = nullptr;
    PFN_StartDownload m_pfnStartDownload = nullptr;
    PFN_AbortDownload m_pfnAbortDownload = nullptr;
    PFN_GetDownloadStatus m_pfnGetDownloadStatus = nullptr;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;
    void DoDataExchange(platform::DataExchange& dx) override;

private:
    bool BindDownloadLibrary();
    void FreeDownloadLibrary();
    void ExchangeCpmAddressAndPort(platform::DataExchange& dx);
    void SelectPortOfSettings();
    void AddAboutToSystemMenu();
    void PaintMinimized();
    void SetWindowIcons();
    void OnFileFieldFocus(bool gotFocus);
    void OnBrowse();
    void OnExit();
    void OnDeviceChange(WPARAM event);
    void OnPortRefreshTimer();

    // One run from the button to its end; OnDownload repeats it on request.
    void RunDownload();
    bool CheckDownloadInput();
    void FocusControl(int id);

    // Exit or Repeat Download pressed while a run is polled: carried out
    // right after the polling loop, which still uses the status window.
    enum class PendingAction { None, Close, Repeat };

    bool m_bInFocusExchange = false; // a field's focus handler is exchanging
    bool m_bPolling = false;
    PendingAction m_pendingAction = PendingAction::None;
    // The library was left running (it never confirmed an end): it must not
    // be unloaded under its own worker.
    bool m_bLibraryBusy = false;
    // Serial devices came or went while a run was polled: the port list is
    // refilled once the run has ended.
    bool m_bPortsChanged = false;
    HICON m_windowIcons[2] = {nullptr, nullptr}; // big and small, at the window's DPI
};
