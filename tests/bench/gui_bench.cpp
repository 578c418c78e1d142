// Figures of the program's responsiveness under Wine, printed for the README:
// how soon a Cancel press reaches the library's AbortDownload, how much CPU
// the process uses while it polls a download, and what reading and writing
// the settings file costs. A benchmark, not a test: it asserts nothing.
#include "app/download_app.h"
#include "dialog_driver.h"
#include "mainwnd/download_dlg.h"
#include "platform/app_message.h"
#include "platform/profile_file.h"
#include "res/resource.h"
#include "settings/download_settings.h"
#include "test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using namespace testsupport;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

struct Stats {
    double median, p90, max;
};

Stats Summarize(std::vector<double> values) {
    if (values.empty()) {
        return {0, 0, 0};
    }
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 9 / 10], values.back()};
}

std::atomic<double> g_abortCalledAt{0};
PFN_AbortDownload g_realAbort = nullptr;

int32_t VARDEL_API_CALL TimedAbort(int32_t handle) {
    g_abortCalledAt = NowMs();
    return g_realAbort(handle);
}

std::vector<double> g_readTimes;
PFN_GetDownloadStatus g_realRead = nullptr;

int64_t VARDEL_API_CALL TimedRead(int32_t handle) {
    g_readTimes.push_back(NowMs()); // called on the window thread only
    return g_realRead(handle);
}

const char* const kValidIni =
    "[DOWNLOAD]\r\nCPMADR=5\r\nPRIMARYINITSTRING=0xFD Adr 0x08 0x00 0x01 0xFF LRC\r\n"
    "REDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF LRC\r\nPORT=COM1\r\nBAUDRATE=9600\r\n"
    "PARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nRETRY=4\r\nFILENAME=C:\\fw\\main.fdl\r\n"
    "TARGET=PRIMARY\r\n";

HWND WaitForStatus(HWND main) {
    HWND status = nullptr;
    WaitUntil([&] {
        status = FindDialogOfThread(GetWindowThreadProcessId(main, nullptr), "Download Status");
        return status != nullptr;
    });
    return status;
}

// Cancel presses at random moments of the 200 ms poll cycle.
void CancelLatency(TempDir& dir, int presses) {
    StandInConfig config("[Vardel]\r\nPortMask=1\r\n[Script]\r\nReads=0/9 100/5\r\n");
    std::vector<double> latencies;
    std::mt19937 random(42);
    CDownloadDlg dlg;
    RunModal(dlg, [&](HWND main) {
        g_realAbort = dlg.Library().m_pfnAbortDownload;
        dlg.Library().m_pfnAbortDownload = TimedAbort;
        for (int i = 0; i < presses; ++i) {
            PostClick(main, IDC_BUTTON_DOWNLOAD);
            const HWND status = WaitForStatus(main);
            if (status == nullptr) {
                std::printf("No status window: %s\n", TextOf(main).c_str());
                return;
            }
            Sleep(300 + random() % 200);
            g_abortCalledAt = 0;
            const double pressed = NowMs();
            PostMessageW(status, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            WaitUntil([] { return g_abortCalledAt != 0; });
            latencies.push_back(g_abortCalledAt - pressed);
            WaitUntil([&] { return TextOf(main) == "Tavro Download - Cancel"; });
            PostMessageW(status, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); // Exit
            WaitUntil([&] { return !IsWindow(status); });
        }
    });
    const Stats s = Summarize(latencies);
    std::printf(
        "Cancel press to AbortDownload: median %.2f ms, 90th percentile %.2f ms, max %.2f ms "
        "(%d presses)\n",
        s.median, s.p90, s.max, presses);
    (void)dir;
}

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// CPU time of the whole process while a download is polled and nothing else happens.
void CpuWhilePolling(int seconds) {
    StandInConfig config("[Vardel]\r\nPortMask=1\r\n[Script]\r\nReads=0/9 100/5\r\n");
    CDownloadDlg dlg;
    double cpu = 0, wall = 0;
    RunModal(dlg, [&](HWND main) {
        g_realRead = dlg.Library().m_pfnGetDownloadStatus;
        dlg.Library().m_pfnGetDownloadStatus = TimedRead;
        PostClick(main, IDC_BUTTON_DOWNLOAD);
        const HWND status = WaitForStatus(main);
        Sleep(500);
        const double cpuStart = ProcessCpuMs(), wallStart = NowMs();
        Sleep(static_cast<DWORD>(seconds) * 1000);
        cpu = ProcessCpuMs() - cpuStart;
        wall = NowMs() - wallStart;
        PostMessageW(status, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        WaitUntil([&] { return TextOf(main) == "Tavro Download - Cancel"; });
    });
    std::printf("CPU while polling: %.1f ms of CPU in %.1f s (%.2f %% of one core)\n", cpu,
                wall / 1000, 100.0 * cpu / wall);
    std::vector<double> intervals;
    for (size_t i = 1; i < g_readTimes.size(); ++i) {
        intervals.push_back(g_readTimes[i] - g_readTimes[i - 1]);
    }
    if (intervals.empty()) {
        std::printf("No status was read.\n");
        return;
    }
    const Stats s = Summarize(intervals);
    std::printf(
        "Interval between status reads: min %.2f ms, median %.2f ms, max %.2f ms (%zu reads)\n",
        *std::min_element(intervals.begin(), intervals.end()), s.median, s.max, g_readTimes.size());
}

// The settings file through the Win32 profile functions, as the program uses it.
void SettingsFile(TempDir& dir, int rounds) {
    platform::ProfileFile profile(dir.FileUtf8(L"bench.ini"));
    WriteFileBytes(dir.File(L"bench.ini"), kValidIni);
    std::vector<double> reads, writes;
    for (int i = 0; i < rounds; ++i) {
        DownloadSettings s;
        double start = NowMs();
        settings::ReadSettings(s, profile, 0xFFFF, "", nullptr);
        reads.push_back(NowMs() - start);
        start = NowMs();
        settings::WriteSettings(s, profile);
        writes.push_back(NowMs() - start);
    }
    const Stats r = Summarize(reads), w = Summarize(writes);
    std::printf("Settings read: median %.3f ms; write: median %.3f ms (%d rounds)\n", r.median,
                w.median, rounds);
}

} // namespace

int main() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    platform::SetApplicationName("Tavro Download");
    MessageBoxCapture boxes;
    TempDir dir;
    TheApp().m_strProfileName = dir.FileUtf8(L"tavro.ini");
    WriteFileBytes(dir.File(L"tavro.ini"), kValidIni);
    CancelLatency(dir, 30);
    CpuWhilePolling(10);
    SettingsFile(dir, 200);
    return 0;
}
