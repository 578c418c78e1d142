#include "app/script_mode.h"

#include "app/version_report.h"
#include "app/ports_command.h"
#include "download/download_record.h"
#include "download/download_run.h"
#include "download/held_firmware.h"
#include "platform/ansi_text.h"
#include "platform/app_message.h"
#include "platform/console.h"
#include "platform/console_output.h"
#include "platform/message_pump.h"
#include "platform/profile_file.h"
#include "platform/session_end.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "res/resource.h"
#include "run/run_description.h"
#include "run/stop_request.h"
#include "script/approved_list.h"
#include "script/command_line.h"
#include "script/ending_budget.h"
#include "script/outcomes.h"
#include "script/progress_line.h"
#include "script/report_lines.h"
#include "script/retry_rule.h"
#include "script/sequence.h"
#include "settings/download_settings.h"

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

// Whether a switch was given, in a command line that may not parse.
bool Asks(const std::vector<std::string>& arguments, const wchar_t* flag) {
    for (const std::string& argument : arguments) {
        if (CompareStringOrdinal(platform::Widen(argument).c_str(), -1, flag, -1, TRUE) ==
            CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

class ScriptedDownloads : private download::RunHost {
public:
    explicit ScriptedDownloads(std::string settingsPath)
        : m_settingsPath(std::move(settingsPath)) {}
    ~ScriptedDownloads() override {
        platform::OnConsoleInterrupt(nullptr, {});
        m_sessionWindow.reset(); // its handlers use what follows
    }
    ScriptedDownloads(const ScriptedDownloads&) = delete;
    ScriptedDownloads& operator=(const ScriptedDownloads&) = delete;
    int Run(const std::vector<std::string>& arguments);

private:
    void WatchForStops();
    // The session ends: the sequence stops, and what it did not do is
    // recorded at once.
    void EndForTheSession(DWORD runsThread);
    // The record that the settings file names, or /log's.
    void OpenRecord(const std::string& logPath);
    // The library as the request wants it: the simulator only with /simulate,
    // and /simulate only with the simulator. false: refused.
    bool CheckLibraryKind();
    bool Prepare(DownloadSettings& s, std::vector<int>& addresses, std::string& libraryPath);
    // The file against /sha256 and the approved list; the refusal, "" when it passes.
    std::string CheckFirmware(const std::string& file, ProfileStore& profile);
    void RunSequence(DownloadSettings& s, const std::vector<int>& addresses,
                     const std::string& libraryPath);
    // The attempts at the CPM index; how the last one ended, nothing when
    // the sequence had ended before.
    std::optional<run::Outcome> RunAttempts(size_t index, const DownloadSettings& s,
                                            const std::string& libraryPath);
    bool PauseBeforeAttempt(int attempt);
    // The CPMs the sequence did not reach, and the summary: once.
    void EndSequence();
    // Windows ends the process soon (the session ends, the console was
    // closed): the rest of the sequence is recorded at once, from the
    // thread that learnt it, while the runs' thread aborts the run.
    void RecordTheRestNow(UINT reasonId);
    void WaitForTheAbort() const;
    int ExitCode();
    // A message for whoever watches: the console, and a box when /wait asked
    // for a person.
    void Tell(const std::string& text, bool box);
    // Refuses the request before any download: said, and kept in the record.
    void Refuse(run::Outcome outcome, const std::string& text);
    // The request as a line of its own, before its CPMs are known.
    script::RunFacts RequestFacts(run::Outcome outcome, const std::string& text,
                                  const std::string& file) const;
    // Into the record first: the console may be going away.
    void Report(const script::RunFacts& facts);

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
    script::Request m_request;
    platform::ConsoleOutput m_console;
    download::DownloadLibrary m_library;
    download::DownloadRecord m_record;
    // Cancel Download, Ctrl+C and the session's end stop the whole sequence.
    run::StopRequest m_stop{true};
    download::HeldFirmware m_firmware; // held until the sequence has ended
    std::unique_ptr<download::DownloadRun> m_run;
    std::unique_ptr<platform::SessionWindow> m_sessionWindow;

    // Shared with the threads that learn of the session's end and of a
    // closed console: the sequence once it has begun (which keeps its own
    // lock), before that whether the request's outcome was told and its code.
    std::mutex m_mutex;
    std::unique_ptr<script::Sequence> m_sequence;
    bool m_bTold = false;
    int m_nExitCode = 0;

    // The runs' thread alone: the attempt being made and how the last ended.
    script::Progress m_progress;
    std::string m_strProgressLine;
    Clock::time_point m_attemptStarted;
    std::optional<run::Outcome> m_lastOutcome;
    bool m_bWorthAnotherAttempt = false;
    std::string m_strRefusedFile;
};

int ScriptedDownloads::Run(const std::vector<std::string>& arguments) {
    const script::ParseResult parsed = script::ParseRequest(arguments, ResourceText);
    if (!parsed.request) {
        OpenRecord(""); // a /log of a line that did not parse is not trusted
        Refuse(run::Outcome::Refused, parsed.error);
        // /quiet shows no window of any kind, not even to refuse.
        if (Asks(arguments, L"/wait") && !Asks(arguments, L"/quiet")) {
            platform::ShowAppMessage(nullptr, parsed.error);
        }
        return m_nExitCode;
    }
    m_request = *parsed.request;
    // Asked for by a person: shown in a box when there is no console.
    const bool box = !m_console.Available() && !m_request.quiet;
    if (m_request.help) {
        Tell(ResourceText(IDS_SCRIPT_USAGE), box);
        return 0;
    }
    if (m_request.version) {
        const VersionReport report = ReportVersions();
        Tell(report.text, box);
        return report.libraryLoaded ? 0 : script::ExitCode(run::Outcome::LibraryMissing);
    }
    if (m_request.ports) {
        return ListPorts(m_console);
    }
    download::RunHost& host = *this;
    m_run = std::make_unique<download::DownloadRun>(m_library, host, m_stop);
    WatchForStops();
    OpenRecord(m_request.logPath);

    DownloadSettings s;
    std::vector<int> addresses;
    std::string libraryPath;
    if (Prepare(s, addresses, libraryPath)) {
        RunSequence(s, addresses, libraryPath);
    }
    return ExitCode();
}

// Ctrl+C, a closed console and the session's end may come at any time, on
// threads of their own: they set the stop request and wake the runs' thread,
// which aborts the run. Windows ends the process soon after the last two.
void ScriptedDownloads::WatchForStops() {
    const DWORD thread = GetCurrentThreadId();
    platform::OnConsoleInterrupt(
        [this, thread](bool closing) {
            m_stop.Stop(run::StopReason::Interrupt);
            platform::WakeThread(thread);
            if (closing) {
                RecordTheRestNow(IDS_CONSOLE_CLOSED);
            }
            return ExitCode();
        },
        m_budget.total);
    platform::SessionWindow::Handlers handlers;
    // Windows waits only for a program that shows a window: it shows the
    // reason why a run may not be cut. One without is ended soon after the
    // question, whatever its answer, and is told no more: the question is
    // the end.
    handlers.mayEnd = [this, thread] {
        if (platform::ProcessShowsAWindow()) {
            return m_run->SessionMayEnd();
        }
        EndForTheSession(thread);
        return true;
    };
    handlers.sessionEnd = [this, thread](bool ending) {
        if (ending) {
            EndForTheSession(thread);
        }
    };
    m_sessionWindow = std::make_unique<platform::SessionWindow>(std::move(handlers));
}

void ScriptedDownloads::EndForTheSession(DWORD runsThread) {
    m_stop.Stop(run::StopReason::SessionEnd);
    platform::WakeThread(runsThread);
    RecordTheRestNow(IDS_SESSION_ENDED);
}

void ScriptedDownloads::OpenRecord(const std::string& logPath) {
    platform::ProfileFile profile(m_settingsPath);
    m_record.Open(logPath.empty() ? script::RecordPathSetting(profile, m_settingsPath) : logPath,
                  [this](const std::string& text) { Tell(text, false); });
}

// Told apart before any of the library's functions is called: a script
// written for a test bench never flashes a real CPM unnoticed.
bool ScriptedDownloads::CheckLibraryKind() {
    const std::string path = platform::Narrow(m_library.Path());
    if (m_library.IsSimulator() && !m_request.simulate) {
        Refuse(run::Outcome::LibraryMissing,
               platform::FormatText(ResourceText(IDS_SIMULATOR_REFUSED), {path}));
        return false;
    }
    if (!m_library.IsSimulator() && m_request.simulate) {
        Refuse(run::Outcome::Refused,
               platform::FormatText(ResourceText(IDS_SIMULATE_REFUSED), {path}));
        return false;
    }
    return true;
}

// The settings file's values, changed by the switches, and checked by the
// rules the window and the settings file use. false: refused (and said why).
bool ScriptedDownloads::Prepare(DownloadSettings& s, std::vector<int>& addresses,
                                std::string& libraryPath) {
    uint16_t mask = 0;
    const bool loaded = m_library.Load();
    if (loaded && !CheckLibraryKind()) {
        return false;
    }
    if (!loaded || !m_library.Bind(mask)) {
        Refuse(run::Outcome::LibraryMissing, ResourceText(IDS_LIBRARY_MISSING));
        return false;
    }
    platform::ProfileFile profile(m_settingsPath);
    bool portReplaced = false;
    if (settings::ReadSettings(s, profile, mask, "", [&portReplaced] { portReplaced = true; }) !=
        0) {
        Refuse(run::Outcome::Refused,
               platform::FormatText(ResourceText(IDS_SCRIPT_SETTINGS_INVALID), {m_settingsPath}));
        return false;
    }
    std::string refusal;
    if (m_request.port) {
        s.m_nPort = *m_request.port;
        if (!settings::IsPortUsable(mask, s.m_nPort)) {
            refusal = platform::FormatText(ResourceText(IDS_SCRIPT_PORT_UNUSABLE),
                                           {std::to_string(s.m_nPort)});
        }
    } else if (mask == 0) {
        refusal = ResourceText(IDS_NO_PORT);
    } else if (portReplaced) { // a script must not quietly take another port
        refusal = ResourceText(IDS_SCRIPT_SETTINGS_PORT);
    }
    s.m_nTarget = m_request.target.value_or(s.m_nTarget);
    s.m_nRetry = m_request.retry.value_or(s.m_nRetry);
    addresses =
        m_request.addresses.empty() ? std::vector<int>{s.m_nCpmAddress} : m_request.addresses;
    for (int address : addresses) {
        if (refusal.empty() && !settings::IsValidCpmAddress(address, s.m_nDownloadMode)) {
            refusal = platform::FormatText(ResourceText(IDS_SCRIPT_BAD_ADDRESS),
                                           {std::to_string(address)});
        }
    }
    if (!m_request.file.empty()) {
        s.m_strFilePath = platform::FullPath(m_request.file);
    }
    const std::optional<std::string> path = platform::AnsiCompatiblePath(s.m_strFilePath);
    if (refusal.empty() && s.m_strFilePath.empty()) {
        refusal = ResourceText(IDS_NO_FILE);
    } else if (refusal.empty() && !path) {
        refusal = ResourceText(IDS_PATH_NOT_PASSABLE);
    } else if (refusal.empty()) {
        refusal = CheckFirmware(s.m_strFilePath, profile);
    }
    if (!refusal.empty()) {
        m_strRefusedFile = s.m_strFilePath; // the settings' file when none was given
        Refuse(run::Outcome::Refused, refusal);
        return false;
    }
    libraryPath = *path;
    return true;
}

std::string ScriptedDownloads::CheckFirmware(const std::string& file, ProfileStore& profile) {
    const std::string refusal = m_firmware.Check(
        file, m_request.sha256, script::ApprovedListSetting(profile, m_settingsPath));
    m_record.SetCheckedFile(m_firmware.Checked());
    return refusal;
}

void ScriptedDownloads::RunSequence(DownloadSettings& s, const std::vector<int>& addresses,
                                    const std::string& libraryPath) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bTold) { // the session ended before the sequence could begin
            return;
        }
        m_sequence = std::make_unique<script::Sequence>(addresses, s, m_request.attempts,
                                                        m_library.IsSimulator(), ResourceText);
    }
    run::PollOptions options;
    if (m_request.timeoutSeconds) {
        options.noProgressTimeout = std::chrono::seconds(*m_request.timeoutSeconds);
    }
    m_run->SetPollOptions(options);
    m_progress.attempts = m_request.attempts;
    for (size_t i = 0; i < addresses.size() && !m_stop.Stopped(); ++i) {
        s.m_nCpmAddress = addresses[i];
        m_progress.cpm = script::SequenceText(addresses[i], i + 1, addresses.size());
        const std::optional<run::Outcome> outcome = RunAttempts(i, s, libraryPath);
        if (!outcome || !script::GoesOn(*outcome, m_request.keepGoing)) {
            break;
        }
    }
    EndSequence();
    if (m_request.wait) { // the last result stays until the user closes it
        while (m_run->HasStatusWindow() && platform::PumpMessage()) {
        }
    }
}

// One CPM: run again, after a pause, while its run ends in a fault a second
// try can cure; its outcome is its last attempt's.
std::optional<run::Outcome> ScriptedDownloads::RunAttempts(size_t index, const DownloadSettings& s,
                                                           const std::string& libraryPath) {
    for (int attempt = 1;; ++attempt) {
        if (!m_sequence->BeginAttempt(index, attempt, Now())) {
            break;
        }
        m_progress.attempt = attempt;
        m_progress.phase = -1;
        m_strProgressLine.clear();
        m_attemptStarted = Clock::now();
        m_run->Run(s, libraryPath);
        if (attempt >= m_request.attempts || m_stop.Stopped() || !m_bWorthAnotherAttempt ||
            !PauseBeforeAttempt(attempt)) {
            break;
        }
    }
    return m_lastOutcome;
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

void ScriptedDownloads::EndSequence() {
    const std::optional<script::Sequence::Ending> ending =
        m_sequence->End(m_stop.Stopped(), "", Now());
    if (!ending) {
        return;
    }
    for (const script::RunFacts& facts : ending->lines) {
        Report(facts);
    }
    if (!ending->summary.empty()) {
        Tell(ending->summary, false);
    }
}

void ScriptedDownloads::RecordTheRestNow(UINT reasonId) {
    std::vector<script::RunFacts> lines;
    std::string summary;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_sequence) {
            std::optional<script::Sequence::Ending> ending =
                m_sequence->End(true, ResourceText(reasonId), Now());
            if (!ending) {
                return;
            }
            lines = std::move(ending->lines);
            summary = ending->summary;
        } else if (!m_bTold) { // its CPMs are not known yet: the request as a whole
            m_bTold = true;
            m_nExitCode = script::ExitCode(run::Outcome::NotRun);
            lines.push_back(
                RequestFacts(run::Outcome::NotRun, ResourceText(IDS_NOT_RUN_STOPPED),
                             m_request.file.empty() ? "" : platform::FullPath(m_request.file)));
        }
    }
    m_record.WriteNow(lines, static_cast<DWORD>(m_budget.recordWait.count()));
    WaitForTheAbort();
    for (const script::RunFacts& facts : lines) {
        m_console.WriteLine(script::ConsoleLine(facts));
    }
    if (!summary.empty()) {
        m_console.WriteLine(summary);
    }
}

// Only the runs' thread calls the library: this waits, briefly, until that
// thread has asked it to abort the run it polls.
void ScriptedDownloads::WaitForTheAbort() const {
    const auto until = Clock::now() + m_budget.abortWait;
    while (m_run->IsPolling() && !m_run->AbortSent() && Clock::now() < until) {
        Sleep(10);
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

void ScriptedDownloads::Tell(const std::string& text, bool box) {
    m_console.WriteLine(text);
    if (box) {
        platform::ShowAppMessage(nullptr, text);
    }
}

void ScriptedDownloads::Refuse(run::Outcome outcome, const std::string& text) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bTold) { // the session's end has told the request already
            return;
        }
        m_bTold = true;
        m_nExitCode = script::ExitCode(outcome);
    }
    Report(RequestFacts(outcome, text,
                        m_request.file.empty() ? m_strRefusedFile
                                               : platform::FullPath(m_request.file)));
    if (m_request.wait) {
        platform::ShowAppMessage(nullptr, text);
    }
}

script::RunFacts ScriptedDownloads::RequestFacts(run::Outcome outcome, const std::string& text,
                                                 const std::string& file) const {
    script::RunFacts facts;
    facts.time = download::UtcNow();
    facts.port = m_request.port.value_or(0);
    facts.address = m_request.addressText;
    facts.target = m_request.target ? run::ShortTargetName(*m_request.target) : "";
    facts.file = file;
    facts.outcome = script::OutcomeWord(outcome, ResourceText);
    facts.text = script::OneLine(text);
    return facts;
}

void ScriptedDownloads::Report(const script::RunFacts& facts) {
    m_record.Write(facts);
    m_console.WriteLine(script::ConsoleLine(facts));
}

// The console's progress line: redrawn only when what it says has changed.
void ScriptedDownloads::Progress(int status, int phase) {
    if (script::PhaseWords(phase) != nullptr) {
        m_progress.phase = phase;
    }
    m_progress.status = status;
    m_progress.seconds =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_attemptStarted).count();
    std::string line = script::ProgressLine(m_progress);
    if (line != m_strProgressLine) {
        m_console.ShowProgress(line);
        m_strProgressLine = std::move(line);
    }
}

// Every attempt is told and recorded, unless the end of the sequence told
// it already; the CPM counts once, with its last.
void ScriptedDownloads::RunFinished(const DownloadSettings& settings,
                                    const run::RunResult& result) {
    m_lastOutcome = result.outcome;
    m_bWorthAnotherAttempt = script::IsWorthAnotherAttempt(result);
    if (const std::optional<script::RunFacts> facts = m_sequence->EndAttempt(settings, result)) {
        Report(*facts);
    }
}

} // namespace

int RunScriptedDownloads(const std::vector<std::string>& arguments,
                         const std::string& settingsPath) {
    return ScriptedDownloads(settingsPath).Run(arguments);
}
