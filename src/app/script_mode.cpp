#include "app/script_mode.h"

#include "download/download_record.h"
#include "download/download_run.h"
#include "download/held_firmware.h"
#include "download/quiet_run.h"
#include "platform/ansi_text.h"
#include "platform/app_message.h"
#include "platform/console.h"
#include "platform/message_pump.h"
#include "platform/profile_file.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "res/resource.h"
#include "run/run_description.h"
#include "script/approved_list.h"
#include "script/command_line.h"
#include "script/report_lines.h"
#include "settings/download_settings.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>

namespace {

using platform::ResourceText;

bool AsksToWait(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (CompareStringOrdinal(platform::Widen(argument).c_str(), -1, L"/wait", -1, TRUE) ==
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
    bool Prepare(DownloadSettings& s, std::vector<int>& addresses, std::string& libraryPath);
    // The file against /sha256 and the approved list; the refusal, "" when it passes.
    std::string CheckFirmware(const std::string& file, ProfileStore& profile);
    void RunSequence(DownloadSettings& s, const std::vector<int>& addresses,
                     const std::string& libraryPath);
    run::RunResult RunInWindow(const DownloadSettings& s, const std::string& libraryPath);
    // A message for whoever watches: the console, and a box when /wait asked
    // for a person.
    void Tell(const std::string& text, bool box);
    // Refuses the request before any download: said, and kept in the record.
    void Refuse(run::Outcome outcome, const std::string& text);
    void Report(const script::RunFacts& facts, bool record);

    // What a run needs of its host: no main window, no input to lock.
    HWND Window() const override { return nullptr; }
    void SetCaption(const std::string&) override {}
    void EnableInput(bool) override {}
    void FocusDownloadButton() override {}
    void RunEnded() override {}
    bool CanStartAgain() const override { return false; } // a script's run is never repeated
    void StartAgain() override {}
    bool MessageBoxesAllowed() const override { return m_request.wait; }
    void StatusWindowOpened(CDownloadStatusDlg& dlg) override;

    const std::string m_settingsPath;
    script::Request m_request;
    platform::ConsoleOutput m_console;
    download::DownloadLibrary m_library;
    download::DownloadRecord m_record;
    download::HeldFirmware m_firmware;            // held until the sequence has ended
    std::unique_ptr<download::DownloadRun> m_run; // with windows only
    std::string m_sequenceText;                   // "CPM 5 (3 of 7)"
    int m_nExitCode = 0;
    std::atomic<bool> m_abortRequested{false};
    std::atomic<HWND> m_statusWindow{nullptr};
};

int ScriptedDownloads::Run(const std::vector<std::string>& arguments) {
    const script::ParseResult parsed = script::ParseRequest(arguments, ResourceText);
    if (!parsed.request) {
        Tell(parsed.error, AsksToWait(arguments));
        return script::ExitCode(run::Outcome::Refused);
    }
    m_request = *parsed.request;
    if (m_request.help) {
        // Asked for by a person: shown in a box when there is no console.
        Tell(ResourceText(IDS_SCRIPT_USAGE), !m_console.Available());
        return 0;
    }
    platform::OnConsoleInterrupt([this] {
        m_abortRequested = true;
        if (const HWND status = m_statusWindow) { // as Cancel Download
            PostMessageW(status, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    });
    platform::ProfileFile profile(m_settingsPath);
    m_record.Open(m_request.logPath.empty() ? script::RecordPathSetting(profile, m_settingsPath)
                                            : m_request.logPath,
                  [this](const std::string& text) { Tell(text, false); });

    DownloadSettings s;
    std::vector<int> addresses;
    std::string libraryPath;
    if (Prepare(s, addresses, libraryPath)) {
        RunSequence(s, addresses, libraryPath);
    }
    return m_nExitCode;
}

// The settings file's values, changed by the switches, and checked by the
// rules the window and the settings file use. false: refused (and said why).
bool ScriptedDownloads::Prepare(DownloadSettings& s, std::vector<int>& addresses,
                                std::string& libraryPath) {
    uint16_t mask = 0;
    if (!m_library.Bind(mask)) {
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
    std::vector<run::Outcome> outcomes;
    for (size_t i = 0; i < addresses.size() && !m_abortRequested; ++i) {
        s.m_nCpmAddress = addresses[i];
        m_sequenceText = script::SequenceText(addresses[i], i + 1, addresses.size());
        const run::RunResult result =
            m_request.quiet
                ? download::RunWithoutWindow(m_library, s, libraryPath, m_abortRequested)
                : RunInWindow(s, libraryPath);
        Report(script::FactsOf(s, result, ResourceText), true);
        outcomes.push_back(result.outcome);
        m_nExitCode = std::max(m_nExitCode, script::ExitCode(result.outcome));
        if (!script::GoesOn(result.outcome, m_request.keepGoing)) {
            break;
        }
    }
    // The CPMs the sequence did not reach are named too: none may pass unseen.
    for (size_t i = outcomes.size(); i < addresses.size(); ++i) {
        s.m_nCpmAddress = addresses[i];
        run::RunResult notRun;
        notRun.started = download::UtcNow();
        script::RunFacts facts = script::FactsOf(s, notRun, ResourceText);
        facts.outcome = ResourceText(IDS_OUTCOME_NOT_RUN);
        Report(facts, false);
    }
    if (addresses.size() > 1) {
        Tell(script::SummaryLine(outcomes, addresses.size() - outcomes.size(), ResourceText),
             false);
    }
    if (m_request.wait && m_run) { // the last result stays until the user closes it
        while (m_run->HasStatusWindow() && platform::PumpMessage()) {
        }
    }
}

run::RunResult ScriptedDownloads::RunInWindow(const DownloadSettings& s,
                                              const std::string& libraryPath) {
    if (!m_run) {
        download::RunHost& host = *this;
        m_run = std::make_unique<download::DownloadRun>(m_library, host);
    }
    m_run->Run(s, libraryPath);
    m_statusWindow = nullptr;
    return m_run->LastResult();
}

void ScriptedDownloads::StatusWindowOpened(CDownloadStatusDlg& dlg) {
    dlg.DisableRepeat();
    dlg.SetCaption(dlg.Caption() + " - " + m_sequenceText);
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    SendMessageW(dlg.GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    m_statusWindow = dlg.GetSafeHwnd();
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
    facts.file = m_request.file.empty() ? "" : platform::FullPath(m_request.file);
    facts.outcome = script::OutcomeWord(outcome, ResourceText);
    facts.text = script::OneLine(text);
    Report(facts, true);
    if (m_request.wait) {
        platform::ShowAppMessage(nullptr, text);
    }
}

void ScriptedDownloads::Report(const script::RunFacts& facts, bool record) {
    m_console.WriteLine(script::ConsoleLine(facts));
    if (record) {
        m_record.Write(facts);
    }
}

} // namespace

int RunScriptedDownloads(const std::vector<std::string>& arguments,
                         const std::string& settingsPath) {
    return ScriptedDownloads(settingsPath).Run(arguments);
}
