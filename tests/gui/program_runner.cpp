#include "program_runner.h"

#include "dialog_driver.h"
#include "platform/text.h"
#include "res/resource.h"

namespace testsupport {
namespace {

const int kMessageBoxTextId = 0xFFFF;
// The icon of a message box: id 20 on Windows, stc1 (0x440) on Wine. Other
// dialogs of the program have 0xFFFF statics too, but no such icon.
const int kMessageBoxIconIds[] = {0x14, 0x440};
const int kDownloadButtonId = 1006;

bool IsMessageBox(HWND hwnd) {
    if (GetDlgItem(hwnd, kMessageBoxTextId) == nullptr) {
        return false;
    }
    for (int id : kMessageBoxIconIds) {
        if (GetDlgItem(hwnd, id) != nullptr) {
            return true;
        }
    }
    return false;
}

bool IsMainWindow(HWND hwnd) {
    return GetDlgItem(hwnd, kDownloadButtonId) != nullptr;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    return className;
}

struct SearchData {
    DWORD processId;
    const std::function<bool(HWND)>* wanted;
    HWND found;
};

BOOL CALLBACK SearchProc(HWND hwnd, LPARAM lParam) {
    SearchData* data = reinterpret_cast<SearchData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == data->processId && (*data->wanted)(hwnd)) {
        data->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The first top-level window of the process, shown or not, that wanted wants.
HWND FirstWindowOf(DWORD processId, const std::function<bool(HWND)>& wanted) {
    SearchData data{processId, &wanted, nullptr};
    EnumWindows(SearchProc, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

} // namespace

ProgramRun::ProgramRun(const std::wstring& folder, const std::wstring& arguments,
                       const std::wstring& workingFolder, const std::wstring& outputFile,
                       const std::wstring& program, DWORD flags) {
    const std::wstring exe = folder + program;
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE output = INVALID_HANDLE_VALUE, errors = INVALID_HANDLE_VALUE;
    // Without a file, no standard handles at all: as Explorer or a scheduler
    // starts it, with no console to write to.
    startup.dwFlags = (flags & CREATE_NEW_PROCESS_GROUP) ? 0 : STARTF_USESTDHANDLES;
    if (!outputFile.empty()) { // as a script redirects it: cmd > file 2> file.err
        for (HANDLE* handle : {&output, &errors}) {
            *handle = CreateFileW((outputFile + (handle == &errors ? L".err" : L"")).c_str(),
                                  GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        startup.hStdOutput = output;
        startup.hStdError = errors;
    }
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr,
                        output != INVALID_HANDLE_VALUE, flags, nullptr,
                        workingFolder.empty() ? folder.c_str() : workingFolder.c_str(), &startup,
                        &m_process)) {
        m_process = {};
    }
    for (HANDLE handle : {output, errors}) {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
}

ProgramRun::~ProgramRun() {
    if (m_process.hProcess == nullptr) {
        return;
    }
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

// Visible dialog windows of the process that the predicate wants.
HWND ProgramRun::FindWindowOfProcess(const std::function<bool(HWND)>& wanted) const {
    return FirstWindowOf(m_process.dwProcessId, [&wanted](HWND hwnd) {
        return IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770" && wanted(hwnd);
    });
}

HWND ProgramRun::FindWindowOfProcess(bool messageBox) const {
    return FindWindowOfProcess([messageBox](HWND hwnd) {
        return messageBox ? !IsMainWindow(hwnd) && IsMessageBox(hwnd) : IsMainWindow(hwnd);
    });
}

HWND ProgramRun::WaitForDialog(const std::string& caption, HWND except, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindWindowOfProcess(
                [&](HWND hwnd) { return hwnd != except && TextOf(hwnd) == caption; });
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

HWND ProgramRun::WaitForMessageBox(DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindWindowOfProcess(true)) != nullptr; }, timeoutMs);
    return box;
}

HWND ProgramRun::WaitForMainWindow(DWORD timeoutMs) {
    HWND main = nullptr;
    WaitUntil([&] { return (main = FindWindowOfProcess(false)) != nullptr; }, timeoutMs);
    return main;
}

std::string ProgramRun::MessageBoxText(HWND box) {
    return ItemTextOf(box, kMessageBoxTextId);
}

void ProgramRun::PressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitUntil([box] { return !IsWindow(box); }, 5000);
}

DWORD ProgramRun::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

bool ProgramRun::ShowsAnyWindow() const {
    return FirstWindowOf(m_process.dwProcessId,
                         [](HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }) != nullptr;
}

HWND ProgramRun::FindWindowOfClass(const wchar_t* className) const {
    return FirstWindowOf(m_process.dwProcessId,
                         [className](HWND hwnd) { return ClassOf(hwnd) == className; });
}

std::optional<LRESULT> Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

bool BreakStatusWindowTemplate(const std::wstring& folder) {
    const std::wstring exe = folder + L"TavroDownload.exe";
    const WORD language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC found =
        FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(IDD_DOWNLOAD_STATUS), language);
    if (found == nullptr) {
        FreeLibrary(module);
        return false;
    }
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    std::string bytes(data, SizeofResource(module, found));
    FreeLibrary(module);
    const std::wstring wide = L"MSCTLS_PROGRESS32";
    const std::string name(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    const size_t at = bytes.find(name);
    if (at == std::string::npos) {
        return false;
    }
    bytes[at + name.size() - 2] = 'X';
    const HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    return update != nullptr &&
           UpdateResourceW(update, RT_DIALOG, MAKEINTRESOURCEW(IDD_DOWNLOAD_STATUS), language,
                           bytes.data(), static_cast<DWORD>(bytes.size())) &&
           EndUpdateResourceW(update, FALSE);
}

bool ProgramRun::WaitForExit(DWORD timeoutMs) {
    return m_process.hProcess != nullptr &&
           WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

std::vector<std::string> ProgramRun::AnswerMessagesUntilMainWindow(HWND& mainWindow,
                                                                   DWORD timeoutMs) {
    std::vector<std::string> texts;
    mainWindow = nullptr;
    WaitUntil(
        [&] {
            if (HWND box = FindWindowOfProcess(true)) {
                texts.push_back(MessageBoxText(box));
                PressOk(box);
                return false;
            }
            mainWindow = FindWindowOfProcess(false);
            return mainWindow != nullptr ||
                   WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
    return texts;
}

void PrepareProgramFolder(const TempDir& dir, const std::string& standInIni, bool withVardel,
                          bool withOstrel) {
    CopyFromBin(L"TavroDownload.exe", dir.Path());
    if (withVardel) {
        CopyFromBin(L"Vardel.dll", dir.Path());
    }
    if (withOstrel) {
        CopyFromBin(L"Ostrel.dll", dir.Path());
    }
    WriteFileBytes(dir.File(L"Vardel.ini"), standInIni);
}

} // namespace testsupport
