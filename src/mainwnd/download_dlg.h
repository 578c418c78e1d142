#pragma once

#include "download/download_library.h"
#include "download/download_record.h"
#include "download/download_run.h"
#include "download/held_firmware.h"
#include "mainwnd/port_box.h"
#include "platform/dialog.h"
#include "settings/download_settings.h"

#include <cstdint>
#include <string>

// The program's main window: port, CPM address, target and firmware file, and
// the Download button. It owns the download library's binding and the run,
// which owns the status window.
class CDownloadDlg : public platform::Dialog, private DownloadSettings, private download::RunHost {
public:
    CDownloadDlg();
    ~CDownloadDlg() override;

    // What the window holds, for those who look at it from outside.
    const DownloadSettings& Settings() const { return *this; }
    const std::string& FileDisplay() const { return m_strFileDisplay; }
    const std::string& DownloadInfo() const { return m_run.DownloadInfo(); }
    HICON Icon() const { return m_hIcon; }
    // The binding the runs call through; tests time the calls there.
    download::DownloadLibrary& Library() { return m_library; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(platform::DataExchange& dx) override;

private:
    // Settings file operations, on the application's profile.
    int ReadSettings();
    void SetDefaultSettings();
    bool WriteSettings(); // false: the file could not be written
    void ReportSettingsNotWritten(UINT messageId);

    bool BindDownloadLibrary();
    // Without devices only at the start: Windows is asked for them once the
    // window shows.
    void FillPortList(bool withDevices = true);
    void ShortenFilePathDisplay();
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

    // The Download button: the checks, then runs until no repeat is asked for.
    void OnDownload();
    void TakeTypedFilePath();
    bool CheckDownloadInput();
    void FocusControl(int id);

    // What a run needs of this window.
    HWND Window() const override { return m_hWnd; }
    void SetCaption(const std::string& caption) override { platform::Dialog::SetCaption(caption); }
    void EnableInput(bool enable) override { EnableWindow(m_hWnd, enable); }
    void FocusDownloadButton() override;
    void RunEnded() override;
    // Disabled by a modal dialog of its own while no run is polled.
    bool CanStartAgain() const override { return IsWindowEnabled(m_hWnd) != FALSE; }
    void StartAgain() override { OnDownload(); }
    void RunFinished(const DownloadSettings& settings, const run::RunResult& result) override;

    // The download record of the settings file's [LOG] FILE=, if any.
    void OpenRecord();
    // With the settings file's [FIRMWARE] APPROVED=: only a file on that
    // list is downloaded. false: refused, and said why. A file checked is
    // held until ReleaseFirmware, after its run.
    bool CheckFirmware();
    void ReleaseFirmware();

    int m_nPortIndex = -1;
    std::string m_strFileDisplay;
    uint16_t m_wComPorts = 0;
    bool m_bPortsAvailable = false;
    bool m_bClosing = false;
    HICON m_hIcon = nullptr;
    CPortBox m_portBox;

    download::DownloadLibrary m_library;
    run::StopRequest m_stop{false}; // a person is there to close what stays
    download::DownloadRun m_run{m_library, *this, m_stop};
    download::DownloadRecord m_record;
    download::HeldFirmware m_firmware;

    bool m_bInFocusExchange = false; // a field's focus handler is exchanging
    bool m_bSettingsWriteReported = false;
    // Serial devices came or went while a run was polled: the port list is
    // refilled once the run has ended.
    bool m_bPortsChanged = false;
    HICON m_windowIcons[2] = {nullptr, nullptr}; // big and small, at the window's DPI
};
