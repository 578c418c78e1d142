// How soon a program shows its first window: from CreateProcess to the first
// visible top-level window of the new process, for the program and for a
// bare window, started in turn. A benchmark: it prints figures and asserts
// nothing.
//   startup_bench.exe <program.exe> <bare_window.exe> [starts of each, 9]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->processId && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindowOf(DWORD processId) {
    Search search{processId, nullptr};
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Milliseconds to the first window; negative when none came within 20 s.
double TimeToFirstWindow(const std::wstring& exe) {
    const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = NowMs();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        return -1;
    }
    double shown = -1;
    HWND window = nullptr;
    while (NowMs() - start < 20000 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        if ((window = VisibleWindowOf(process.dwProcessId)) != nullptr) {
            shown = NowMs() - start;
            break;
        }
        Sleep(1);
    }
    if (window != nullptr) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 5000) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Print(const char* name, const std::vector<double>& times) {
    std::printf("%-12s min %6.1f ms  median %6.1f ms  max %6.1f ms\n", name,
                *std::min_element(times.begin(), times.end()), Median(times),
                *std::max_element(times.begin(), times.end()));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench <program.exe> <bare_window.exe> [starts]\n");
        return 2;
    }
    const int starts = argc > 3 ? std::max(1, _wtoi(argv[3])) : 9;
    std::vector<double> program, bare;
    TimeToFirstWindow(argv[1]); // warms the file cache and Wine's own start-up
    TimeToFirstWindow(argv[2]);
    for (int i = 0; i < starts; ++i) {
        program.push_back(TimeToFirstWindow(argv[1]));
        bare.push_back(TimeToFirstWindow(argv[2]));
    }
    if (*std::min_element(program.begin(), program.end()) < 0 ||
        *std::min_element(bare.begin(), bare.end()) < 0) {
        std::fprintf(stderr, "A program showed no window.\n");
        return 1;
    }
    Print("program", program);
    Print("bare window", bare);
    std::printf("ratio of the medians: %.2f\n", Median(program) / Median(bare));
    std::fflush(stdout);
    return 0;
}
