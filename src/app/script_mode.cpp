#include "app/script_mode.h"

#include "app/version_report.h"
#include "app/ports_command.h"
#include "download/download_record.h"
#include "download/download_run.h"
#include "download/held_firmware.h"
#include "platform/ansi_text.h"
#include "platform/app_message.h"
#include "platform/console.h"
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
#include "script/outcomes.h"
#include "script/retry_rule.h"
#include "script/report_lines.h"
#include "settings/download_settings.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

namespace {

using platform::ResourceText;

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
    ~ScriptedDownloads() override { platform::OnConsoleInterrupt(nullptr); }
    ScriptedDownloads(const ScriptedDownloads&) = delete;
    ScriptedDownloads& operator=(const ScriptedDownloads&) = delete;
    int Run(const std::vector<std::string>& arguments);

private:
    void WatchForStops();
    // The record that the settings file names, or /log's.
    void OpenRecord(const std::string& logPath);
    // The library as the request wants it: the simulator only with /simulate,
    // and /simulate only with the simulator. false: refused.
    bool CheckLibraryKind();
    bool Prepare(DownloadSettings& s, std::vector<int>& addresses, std::string& libraryPath);
    // The file against /sha256 and the approved list; the refusal, "" when it passes.
    std::string CheckFirmware(const std::string& file, ProfileStore& profile);
    void RunSequence(DownloadSettings& s, const std::string& libraryPath);
    void RunAttempts(const DownloadSettings& s, const std::string& libraryPath);
    bool PauseBeforeAttempt(int attempt);
    // The CPMs the sequence did not reach, and the summary: once.
    void EndSequence();
    void OnSessionEnd(bool ending);
    // A message for whoever watches: the console, and a box when /wait asked
    // for a person.
    void Tell(const std::string& text, bool box);
    // Refuses the request before any download: said, and kept in the record.
    void Refuse(run::Outcome outcome, const std::string& text);
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
    void StatusWindowOpened(CDownloadStatusDlg& dlg) override;
    void RunFinished(const DownloadSettings& settings, const run::RunResult& result) override;

    const std::string m_settingsPath;
    script::Request m_request;
    platform::ConsoleOutput m_console;
    download::DownloadLibrary m_library;
    download::DownloadRecord m_record;
    // Cancel Download, Ctrl+C and the session's end stop the whole sequence.
    run::StopRequest m_stop{true};
    std::unique_ptr<platform::SessionWindow> m_sessionWindow;
    download::HeldFirmware m_firmware; // held until the sequence has ended
    std::unique_ptr<download::DownloadRun> m_run;
    // The sequence: the settings of the CPM being run, its place, and the
    // outcome of every CPM reached so far.
    DownloadSettings* m_pSettings = nullptr;
    std::vector<int> m_addresses;
    std::vector<run::Outcome> m_outcomes;
    // The CPM being run: its attempt, and how its last attempt ended.
    int m_nAttempt = 1;
    std::optional<run::Outcome> m_currentOutcome;
    bool m_bWorthAnotherAttempt = false;
    std::string m_sequenceText; // "CPM 5 (3 of 7)"
    bool m_bSequenceEnded = false;
    std::string m_strRefusedFile;
    int m_nExitCode = 0;
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
    WatchForStops();
    OpenRecord(m_request.logPath);

    DownloadSettings s;
    std::string libraryPath;
    if (Prepare(s, m_addresses, libraryPath)) {
        RunSequence(s, libraryPath);
    }
    return m_nExitCode;
}

// Ctrl+C and the session's end may come at any time, on another thread or
// while a run is polled: they set the stop request and wake the loop.
void ScriptedDownloads::WatchForStops() {
    const DWORD thread = GetCurrentThreadId();
    platform::OnConsoleInterrupt([this, thread] {
        m_stop.Stop(run::StopReason::Interrupt);
        platform::WakeThread(thread);
    });
    platform::SessionWindow::Handlers handlers;
    handlers.mayEnd = [this] { return !m_run || m_run->SessionMayEnd(); };
    handlers.sessionEnd = [this](bool ending) { OnSessionEnd(ending); };
    m_sessionWindow = std::make_unique<platform::SessionWindow>(std::move(handlers));
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

void ScriptedDownloads::RunSequence(DownloadSettings& s, const std::string& libraryPath) {
    m_pSettings = &s;
    download::RunHost& host = *this;
    m_run = std::make_unique<download::DownloadRun>(m_library, host, m_stop);
    run::PollOptions options;
    if (m_request.timeoutSeconds) {
        options.noProgressTimeout = std::chrono::seconds(*m_request.timeoutSeconds);
    }
    m_run->SetPollOptions(options);
    for (size_t i = 0; i < m_addresses.size() && !m_stop.Stopped(); ++i) {
        s.m_nCpmAddress = m_addresses[i];
        m_sequenceText = script::SequenceText(m_addresses[i], i + 1, m_addresses.size());
        RunAttempts(s, libraryPath);
        if (m_bSequenceEnded || !script::GoesOn(m_outcomes.back(), m_request.keepGoing)) {
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
void ScriptedDownloads::RunAttempts(const DownloadSettings& s, const std::string& libraryPath) {
    for (m_nAttempt = 1;; ++m_nAttempt) {
        m_run->Run(s, libraryPath);
        if (m_nAttempt >= m_request.attempts || m_stop.Stopped() || !m_bWorthAnotherAttempt ||
            !PauseBeforeAttempt(m_nAttempt)) {
            break;
        }
    }
    if (m_currentOutcome) { // not yet counted by the session's end
        m_outcomes.push_back(*m_currentOutcome);
        m_currentOutcome.reset();
    }
}

// 2 s after the first attempt, 4 s after the second...: a line that was
// disturbed has time to settle. Windows messages are answered meanwhile;
// false: stopped during the pause.
bool ScriptedDownloads::PauseBeforeAttempt(int attempt) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2 * attempt);
    const auto stopped = [this] { return m_stop.Stopped(); };
    while (std::chrono::steady_clock::now() < until && !stopped()) {
        if (!platform::PumpMessagesUntil(until, stopped)) {
            return false;
        }
    }
    return !stopped();
}

void ScriptedDownloads::EndSequence() {
    if (m_bSequenceEnded) {
        return;
    }
    m_bSequenceEnded = true;
    if (m_currentOutcome) { // the CPM whose run the session's end cut short
        m_outcomes.push_back(*m_currentOutcome);
        m_currentOutcome.reset();
    }
    // The CPMs the sequence did not reach are named too: none may pass unseen.
    const size_t reached = m_outcomes.size();
    for (size_t i = reached; i < m_addresses.size(); ++i) {
        m_pSettings->m_nCpmAddress = m_addresses[i];
        run::RunResult notRun;
        notRun.outcome = run::Outcome::NotRun;
        notRun.started = download::UtcNow();
        notRun.text = m_stop.Stopped() || reached == 0
                          ? ResourceText(IDS_NOT_RUN_STOPPED)
                          : platform::FormatText(ResourceText(IDS_NOT_RUN_AFTER),
                                                 {script::CpmName(m_addresses[reached - 1])});
        Report(script::FactsOf(*m_pSettings, notRun, ResourceText));
        m_outcomes.push_back(notRun.outcome);
    }
    m_nExitCode = script::WorstExitCode(m_outcomes);
    if (m_addresses.size() > 1) {
        Tell(script::SummaryLine(m_outcomes, ResourceText), false);
    }
}

// The session ends under a run: its result and the rest of the sequence are
// told now, as the process may be ended as soon as this returns.
void ScriptedDownloads::OnSessionEnd(bool ending) {
    if (!ending) {
        return;
    }
    m_stop.Stop(run::StopReason::SessionEnd);
    if (m_run && !m_run->SessionMayEnd()) {
        m_run->OnSessionEnd(true);
        EndSequence();
    }
}

void ScriptedDownloads::StatusWindowOpened(CDownloadStatusDlg& dlg) {
    dlg.DisableRepeat();
    dlg.SetCaption(dlg.Caption() + " - " + m_sequenceText +
                   (m_request.attempts > 1 ? ", attempt " + std::to_string(m_nAttempt) + " of " +
                                                 std::to_string(m_request.attempts)
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
    m_nExitCode = script::ExitCode(outcome);
    script::RunFacts facts;
    facts.time = download::UtcNow();
    facts.port = m_request.port.value_or(0);
    facts.address = m_request.addressText;
    facts.target = m_request.target ? run::ShortTargetName(*m_request.target) : "";
    facts.file = m_request.file.empty() ? m_strRefusedFile : platform::FullPath(m_request.file);
    facts.outcome = script::OutcomeWord(outcome, ResourceText);
    facts.text = script::OneLine(text);
    Report(facts);
    if (m_request.wait) {
        platform::ShowAppMessage(nullptr, text);
    }
}

void ScriptedDownloads::Report(const script::RunFacts& facts) {
    m_console.WriteLine(script::ConsoleLine(facts));
    m_record.Write(facts);
}

// Every attempt is told and recorded; the CPM counts once, with its last.
void ScriptedDownloads::RunFinished(const DownloadSettings& settings,
                                    const run::RunResult& result) {
    script::RunFacts facts = script::FactsOf(settings, result, ResourceText);
    if (m_request.attempts > 1) {
        facts.text = script::AttemptText(m_nAttempt, m_request.attempts, facts.text, ResourceText);
        facts.namesAttempt = true;
    }
    facts.simulated = m_library.IsSimulator();
    Report(facts);
    m_currentOutcome = result.outcome;
    m_bWorthAnotherAttempt = script::IsWorthAnotherAttempt(result);
}

} // namespace

int RunScriptedDownloads(const std::vector<std::string>& arguments,
                         const std::string& settingsPath) {
    return ScriptedDownloads(settingsPath).Run(arguments);
}
