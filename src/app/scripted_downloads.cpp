#include "app/scripted_downloads.h"

#include "app/script_preparation.h"
#include "download/download_run.h"
#include "download/held_firmware.h"
#include "platform/app_message.h"
#include "platform/console.h"
#include "platform/message_pump.h"
#include "platform/session_end.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "res/resource.h"
#include "run/run_description.h"
#include "run/stop_request.h"
#include "script/ending_budget.h"
#include "script/outcomes.h"
#include "script/progress_line.h"
#include "script/retry_rule.h"
#include "script/sequence.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

namespace {

using platform::ResourceText;
using Clock = std::chrono::steady_clock;

script::Sequence::Moment Now() {
    return {download::UtcNow(), Clock::now()};
}

class ScriptedDownloads : private download::RunHost {
public:
    ScriptedDownloads(const script::Request& request, std::string settingsPath,
                      ScriptOutput& output)
        : m_settingsPath(std::move(settingsPath)), m_request(request), m_output(output),
          m_reporter(output.Report()) {}
    ~ScriptedDownloads() override {
        platform::OnConsoleInterrupt(nullptr, {});
        m_sessionWindow.reset(); // its handlers use what follows
    }
    ScriptedDownloads(const ScriptedDownloads&) = delete;
    ScriptedDownloads& operator=(const ScriptedDownloads&) = delete;
    int Run();

private:
    void WatchForStops();
    void RunSequence(PreparedRequest& prepared);
    // The attempts at the CPM index; how the last one ended, nothing when
    // the sequence had ended before.
    std::optional<run::Outcome> RunAttempts(size_t index, const PreparedRequest& prepared);
    script::RunStart StartFacts(size_t index, int attempt, const PreparedRequest& p) const;
    bool PauseBeforeAttempt(int attempt);
    // Ends the sequence once, whoever comes first: the runs' thread, or
    // (hurry) the thread that learnt that Windows ends the process soon,
    // while the runs' thread aborts the run.
    void EndSequence(bool stopped, UINT reasonId, std::optional<std::chrono::milliseconds> hurry);
    void StopNow(run::StopReason reason, UINT reasonId);
    int ExitCode();
    void Refuse(run::Outcome outcome, const std::string& text, const std::string& file);

    // What a run needs of its host: no main window, no input to lock.
    HWND Window() const override { return nullptr; }
    HWND SessionWindow() const override { return m_sessionWindow->Handle(); }
    void SetCaption(const std::string&) override {}
    void EnableInput(bool) override {}
    void FocusDownloadButton() override {}
    void RunEnded() override {}
    bool CanStartAgain() const override { return false; } // a script's run is never repeated
    void StartAgain() override {}
    bool MessageBoxesAllowed() const override { return m_request.wait; }
    bool ShowsStatusWindow() const override { return !m_request.quiet; }
    void Progress(int status, int phase) override;
    void StatusWindowOpened(CDownloadStatusDlg& dlg) override;
    void RunFinished(const DownloadSettings& settings, const run::RunResult& result) override;

    const std::string m_settingsPath;
    // The time Windows gives once the session ends or the console is closed.
    const script::EndingBudget m_budget = script::EndingBudgetFor(platform::HungAppTimeout());
    const script::Request m_request;
    ScriptOutput& m_output;
    script::Reporter& m_reporter;
    download::DownloadLibrary m_library;
    // Cancel Download, Ctrl+C and the session's end stop the whole sequence.
    run::StopRequest m_stop{true};
    download::HeldFirmware m_firmware; // held until the sequence has ended
    std::unique_ptr<download::DownloadRun> m_run;
    std::unique_ptr<platform::SessionWindow> m_sessionWindow;
    DWORD m_runsThread = 0;

    // Shared with the threads that learn of the session's end and of a
    // closed console: the sequence once it has begun (which keeps its own
    // lock), before that whether the request's outcome was told and its code.
    std::mutex m_mutex;
    std::unique_ptr<script::Sequence> m_sequence;
    bool m_bTold = false;
    int m_nExitCode = 0;

    // The runs' thread alone: the attempt being made and how the last ended.
    script::RunProgress m_progress;
    Clock::time_point m_attemptStarted;
    std::optional<run::Outcome> m_lastOutcome;
    bool m_bWorthAnotherAttempt = false;
};

int ScriptedDownloads::Run() {
    download::RunHost& host = *this;
    m_run = std::make_unique<download::DownloadRun>(m_library, host, m_stop);
    WatchForStops();
    m_output.OpenRecord(m_settingsPath, m_request.logPath);
    PreparedRequest prepared =
        PrepareRequest(m_request, m_settingsPath, m_library, m_firmware, m_output.Json());
    m_output.Record().SetCheckedFile(m_firmware.Checked());
    if (prepared.refusal) {
        Refuse(*prepared.refusal, prepared.why, prepared.refusedFile);
    } else {
        RunSequence(prepared);
    }
    return ExitCode();
}

// Ctrl+C, a closed console and the session's end may come at any time, on
// threads of their own: they set the stop request and wake the runs' thread,
// which aborts the run. Windows ends the process soon after the last two.
void ScriptedDownloads::WatchForStops() {
    m_runsThread = GetCurrentThreadId();
    platform::OnConsoleInterrupt(
        [this](bool closing) {
            StopNow(run::StopReason::Interrupt, closing ? IDS_CONSOLE_CLOSED : 0);
            return ExitCode();
        },
        m_budget.total);
    platform::SessionWindow::Handlers handlers;
    // Windows waits only for a program that shows a window: it shows the
    // reason why a run may not be cut. One without is ended soon after the
    // question, whatever its answer, and is told no more: the question is
    // the end.
    handlers.mayEnd = [this] {
        if (platform::ProcessShowsAWindow()) {
            return m_run->SessionMayEnd();
        }
        StopNow(run::StopReason::SessionEnd, IDS_SESSION_ENDED);
        return true;
    };
    handlers.sessionEnd = [this](bool ending) {
        if (ending) {
            StopNow(run::StopReason::SessionEnd, IDS_SESSION_ENDED);
        }
    };
    m_sessionWindow = std::make_unique<platform::SessionWindow>(std::move(handlers));
}

// reasonId: Windows ends the process soon, for this reason; 0: a Ctrl+C.
void ScriptedDownloads::StopNow(run::StopReason reason, UINT reasonId) {
    m_stop.Stop(reason);
    platform::WakeThread(m_runsThread);
    if (reasonId != 0) {
        EndSequence(true, reasonId, m_budget.recordWait);
        // Only the runs' thread calls the library: this waits, briefly,
        // until it has asked the library to abort the run it polls.
        const auto until = Clock::now() + m_budget.abortWait;
        while (m_run->IsPolling() && !m_run->AbortSent() && Clock::now() < until) {
            Sleep(10);
        }
    }
}

void ScriptedDownloads::RunSequence(PreparedRequest& p) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bTold) { // the session ended before the sequence could begin
            return;
        }
        m_sequence = std::make_unique<script::Sequence>(p.addresses, p.settings, m_request.attempts,
                                                        m_library.IsSimulator(), ResourceText);
    }
    run::PollOptions options;
    if (m_request.timeoutSeconds) {
        options.noProgressTimeout = std::chrono::seconds(*m_request.timeoutSeconds);
    }
    m_run->SetPollOptions(options);
    m_progress.attempts = m_request.attempts;
    for (size_t i = 0; i < p.addresses.size() && !m_stop.Stopped(); ++i) {
        p.settings.m_nCpmAddress = p.addresses[i];
        const std::optional<run::Outcome> outcome = RunAttempts(i, p);
        if (!outcome || !script::GoesOn(*outcome, m_request.keepGoing)) {
            break;
        }
    }
    EndSequence(m_stop.Stopped(), 0, std::nullopt);
    if (m_request.wait) { // the last result stays until the user closes it
        while (m_run->HasStatusWindow() && platform::PumpMessage()) {
        }
    }
}

// One CPM: run again, after a pause, while its run ends in a fault a second
// try can cure; its outcome is its last attempt's.
std::optional<run::Outcome> ScriptedDownloads::RunAttempts(size_t index, const PreparedRequest& p) {
    const DownloadSettings& s = p.settings;
    for (int attempt = 1;; ++attempt) {
        if (!m_sequence->BeginAttempt(index, attempt, Now())) {
            break;
        }
        m_progress.address = s.m_nCpmAddress;
        m_progress.cpm = script::SequenceText(s.m_nCpmAddress, index + 1, p.addresses.size());
        m_progress.attempt = attempt;
        m_progress.phase = -1;
        m_attemptStarted = Clock::now();
        m_reporter.RunStarted(StartFacts(index, attempt, p));
        m_run->Run(s, p.libraryPath);
        if (attempt >= m_request.attempts || m_stop.Stopped() || !m_bWorthAnotherAttempt ||
            !PauseBeforeAttempt(attempt)) {
            break;
        }
    }
    return m_lastOutcome;
}

script::RunStart ScriptedDownloads::StartFacts(size_t index, int attempt,
                                               const PreparedRequest& p) const {
    script::RunStart start = p.start;
    start.simulated = m_library.IsSimulator();
    start.port = p.settings.m_nPort;
    start.address = p.settings.m_nCpmAddress;
    start.index = index + 1;
    start.count = p.addresses.size();
    start.target = run::ShortTargetName(p.settings.m_nTarget);
    start.file = p.settings.m_strFilePath;
    start.attempt = attempt;
    start.attempts = m_request.attempts;
    return start;
}

// 2 s after the first attempt, 4 s after the second...: a line that was
// disturbed has time to settle. Windows messages are answered meanwhile;
// false: stopped during the pause.
bool ScriptedDownloads::PauseBeforeAttempt(int attempt) {
    const auto until = Clock::now() + std::chrono::seconds(2 * attempt);
    const auto stopped = [this] { return m_stop.Stopped(); };
    while (Clock::now() < until && !stopped()) {
        if (!platform::PumpMessagesUntil(until, stopped)) {
            return false;
        }
    }
    return !stopped();
}

void ScriptedDownloads::EndSequence(bool stopped, UINT reasonId,
                                    std::optional<std::chrono::milliseconds> hurry) {
    std::optional<script::Sequence::Ending> ending;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_sequence) {
            ending = m_sequence->End(stopped, reasonId ? ResourceText(reasonId) : "", Now());
        } else if (!m_bTold) { // its CPMs are not known yet: the request as a whole
            m_bTold = true;
            m_nExitCode = script::ExitCode(run::Outcome::NotRun);
            script::RunFacts facts = script::RequestFacts(
                m_request, run::Outcome::NotRun, ResourceText(IDS_NOT_RUN_STOPPED),
                m_request.file.empty() ? "" : platform::FullPath(m_request.file), ResourceText);
            facts.time = download::UtcNow();
            ending = script::Sequence::Ending{{facts}, {{run::Outcome::NotRun}, m_nExitCode, ""}};
        }
    }
    if (ending) {
        m_reporter.SequenceEnded(ending->lines, ending->summary, hurry);
    }
}

int ScriptedDownloads::ExitCode() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_sequence ? m_sequence->ExitCode() : m_nExitCode;
}

void ScriptedDownloads::StatusWindowOpened(CDownloadStatusDlg& dlg) {
    dlg.DisableRepeat();
    dlg.SetCaption(dlg.Caption() + " - " + m_progress.cpm +
                   (m_request.attempts > 1 ? ", attempt " + std::to_string(m_progress.attempt) +
                                                 " of " + std::to_string(m_request.attempts)
                                           : ""));
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    SendMessageW(dlg.GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

// Refuses the request before any download: said, and kept in the record.
void ScriptedDownloads::Refuse(run::Outcome outcome, const std::string& text,
                               const std::string& file) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bTold) { // the session's end has told the request already
            return;
        }
        m_bTold = true;
        m_nExitCode = script::ExitCode(outcome);
    }
    script::RunFacts facts = script::RequestFacts(
        m_request, outcome, text,
        m_request.file.empty() ? file : platform::FullPath(m_request.file), ResourceText);
    facts.time = download::UtcNow();
    m_reporter.Refused(facts, m_nExitCode);
    if (m_request.wait) {
        platform::ShowAppMessage(nullptr, text);
    }
}

void ScriptedDownloads::Progress(int status, int phase) {
    if (script::PhaseWords(phase) != nullptr) {
        m_progress.phase = phase;
    }
    m_progress.status = status;
    m_progress.elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_attemptStarted);
    m_reporter.RunProgressed(m_progress);
}

// Every attempt is told and recorded, unless the end of the sequence told
// it already; the CPM counts once, with its last.
void ScriptedDownloads::RunFinished(const DownloadSettings& settings,
                                    const run::RunResult& result) {
    m_lastOutcome = result.outcome;
    m_bWorthAnotherAttempt = script::IsWorthAnotherAttempt(result);
    if (const std::optional<script::RunFacts> facts = m_sequence->EndAttempt(settings, result)) {
        m_reporter.RunEnded(*facts);
    }
}

} // namespace

int RunScriptedSequence(const script::Request& request, const std::string& settingsPath,
                        ScriptOutput& output) {
    return ScriptedDownloads(request, settingsPath, output).Run();
}
