#include "download/quiet_run.h"

#include "download/download_record.h"
#include "platform/run_indicators.h"
#include "platform/text.h"
#include "run/poll_loop.h"

#include <chrono>
#include <optional>
#include <thread>

namespace download {
namespace {

using Clock = std::chrono::steady_clock;
using platform::ResourceText;
using run::kAbortGrace;
using run::kPollInterval;
const auto kAbortCheck = std::chrono::milliseconds(20);

class QuietPoll : public run::PollTarget {
public:
    QuietPoll(const DownloadLibrary& library, int handle, const std::atomic<bool>& abortRequested)
        : m_library(library), m_handle(handle), m_abortRequested(abortRequested),
          m_lastRead(Clock::now()) {}

    bool WaitForNextRead() override {
        while (Clock::now() < m_lastRead + kPollInterval) {
            if (m_abortRequested && !m_abortSent) {
                m_library.m_pfnAbortDownload(m_handle);
                m_abortSent = Clock::now();
            }
            std::this_thread::sleep_for(kAbortCheck);
        }
        return !(m_abortSent && Clock::now() - *m_abortSent >= kAbortGrace);
    }
    vardel_api::DownloadStatus ReadStatus() override {
        m_lastRead = Clock::now();
        return vardel_api::SplitDownloadStatus(m_library.m_pfnGetDownloadStatus(m_handle));
    }
    void SetCaption(const std::string&) override {}
    void UpdateStatus(int, int) override {}
    void ShowError(const std::string&) override {}

private:
    const DownloadLibrary& m_library;
    const int m_handle;
    const std::atomic<bool>& m_abortRequested;
    Clock::time_point m_lastRead;
    std::optional<Clock::time_point> m_abortSent;
};

} // namespace

run::RunResult RunWithoutWindow(DownloadLibrary& library, const DownloadSettings& settings,
                                const std::string& libraryPath,
                                const std::atomic<bool>& abortRequested) {
    const Clock::time_point started = Clock::now();
    const run::UtcTime startedUtc = UtcNow();
    run::RunResult result;
    const int32_t handle = library.InitDownloadFor(settings, libraryPath);
    if (handle < 0) {
        result = run::ResultOfStartError(handle, ResourceText);
    } else {
        library.m_pfnStartDownload(handle);
        const platform::RunIndicators awake(nullptr); // no sleep while it runs
        QuietPoll poll(library, handle, abortRequested);
        int lastPercent = 0;
        int endStatus = 0;
        const run::RunEnd end = run::PollDownload(poll, ResourceText, lastPercent, &endStatus);
        if (end == run::RunEnd::Stopped) {
            library.KeepLoaded();
        }
        result = run::ResultOfEnd(end, endStatus, ResourceText);
    }
    result.started = startedUtc;
    result.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return result;
}

} // namespace download
