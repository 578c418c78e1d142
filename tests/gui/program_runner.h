#pragma once

#include "test_support.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// TavroDownload.exe started as its own process from a folder of the test's,
// seen from outside as a user's desktop would see it: its windows, message
// boxes and files.
class ProgramRun {
public:
    // Starts folder\TavroDownload.exe (or program) with the command line
    // given; its standard output goes to outputFile when one is named, its
    // standard error beside it (outputFile.err).
    // With CREATE_NEW_PROCESS_GROUP, as `start /b` starts it: in this
    // process's console, with its handles.
    ProgramRun(const std::wstring& folder, const std::wstring& arguments = L"",
               const std::wstring& workingFolder = L"", const std::wstring& outputFile = L"",
               const std::wstring& program = L"TavroDownload.exe", DWORD flags = 0);
    ~ProgramRun(); // ends the process if it still runs
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }
    // A visible dialog window of the process: a message box when it has the
    // message box's text control, the main window when it has the Download button.
    HWND WaitForMessageBox(DWORD timeoutMs = 15000);
    HWND WaitForMainWindow(DWORD timeoutMs = 15000);
    // A dialog window of the process with this caption, other than except.
    HWND WaitForDialog(const std::string& caption, HWND except, DWORD timeoutMs = 15000);
    static std::string MessageBoxText(HWND box);
    static void PressOk(HWND box);
    bool WaitForExit(DWORD timeoutMs = 15000);
    DWORD ExitCode() const;
    // Whether the process shows any window now, of any kind.
    bool ShowsAnyWindow() const;
    // A top-level window of the process of this class, shown or hidden.
    HWND FindWindowOfClass(const wchar_t* className) const;
    // Answers every message box with OK until the main window shows; returns
    // the texts in the order they came.
    std::vector<std::string> AnswerMessagesUntilMainWindow(HWND& mainWindow,
                                                           DWORD timeoutMs = 20000);

private:
    HWND FindWindowOfProcess(bool messageBox) const;
    HWND FindWindowOfProcess(const std::function<bool(HWND)>& wanted) const;
    PROCESS_INFORMATION m_process = {};
};

// What a window answers a message sent to it, within 5 s; nothing when it did not answer.
std::optional<LRESULT> Answer(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Damages the status window's template in folder\TavroDownload.exe: its
// progress bar names a window class that does not exist, so the window
// cannot be made, as on a system out of window resources.
bool BreakStatusWindowTemplate(const std::wstring& folder);

// A folder with the program and the stand-in library configured by iniText.
void PrepareProgramFolder(const TempDir& dir, const std::string& standInIni, bool withVardel = true,
                          bool withOstrel = true);

} // namespace testsupport
