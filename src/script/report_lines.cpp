#include "script/report_lines.h"

#include "res/resource.h"
#include "run/run_description.h"
#include "script/command_line.h"
#include "script/outcomes.h"
#include "settings/settings_path.h"

#include <algorithm>
#include <cstdio>

namespace script {
namespace {

const char kSeparator[] = "  ";

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

std::string CpmName(int address) {
    return address == 255 ? "Broadcast" : "CPM " + std::to_string(address);
}

std::string SequenceText(int address, size_t index, size_t count) {
    return CpmName(address) + " (" + std::to_string(index) + " of " + std::to_string(count) + ")";
}

std::string SummaryLine(const std::vector<run::Outcome>& outcomes,
                        const platform::TextLookup& text) {
    const auto count = [&outcomes](run::Outcome outcome) {
        return std::count(outcomes.begin(), outcomes.end(), outcome);
    };
    const auto downloaded = count(run::Outcome::Downloaded);
    const auto notRun = count(run::Outcome::NotRun);
    const auto named = static_cast<long>(outcomes.size());
    return platform::FormatText(text(IDS_SCRIPT_SUMMARY),
                                {std::to_string(named), std::to_string(downloaded),
                                 std::to_string(named - downloaded - notRun),
                                 std::to_string(notRun), std::to_string(WorstExitCode(outcomes))});
}

RunFacts FactsOf(const DownloadSettings& settings, const run::RunResult& result,
                 const platform::TextLookup& text) {
    RunFacts f;
    f.time = result.started;
    f.port = settings.m_nPort;
    f.address = std::to_string(settings.m_nCpmAddress);
    f.target = run::ShortTargetName(settings.m_nTarget);
    f.file = settings.m_strFilePath;
    f.outcome = OutcomeWord(result.outcome, text);
    if (result.hasCode) {
        f.code = result.code;
    }
    f.text = OneLine(result.text);
    f.seconds = result.seconds;
    return f;
}

RunFacts RequestFacts(const Request& request, run::Outcome outcome, const std::string& text,
                      const std::string& file, const platform::TextLookup& lookup) {
    RunFacts facts;
    facts.port = request.port.value_or(0);
    facts.address = request.addressText;
    facts.target = request.target ? run::ShortTargetName(*request.target) : "";
    facts.file = file;
    facts.outcome = OutcomeWord(outcome, lookup);
    facts.text = OneLine(text);
    return facts;
}

std::string IsoUtc(const run::UtcTime& t) {
    return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day) + "T" +
           TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second) + "Z";
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

std::string ConsoleLine(const RunFacts& f) {
    std::string line = IsoUtc(f.time);
    const auto add = [&line](const std::string& field) {
        if (!field.empty()) {
            line += kSeparator + field;
        }
    };
    add(f.port > 0 ? "COM" + std::to_string(f.port) : "");
    add(f.address.empty() ? "" : f.address == "255" ? "Broadcast" : "CPM " + f.address);
    add(f.target);
    add(f.file);
    add(f.outcome);
    const bool downloaded = f.code && *f.code == 500;
    if (f.code && !downloaded) {
        add(std::to_string(*f.code));
    }
    if (!downloaded || f.namesAttempt) {
        add(f.text);
    }
    return line;
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) {
        return value;
    }
    std::string quoted = "\"";
    for (char c : value) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string RecordHeader() {
    return "time_utc,computer,user,port,address,target,file,size,sha256,outcome,code,text,"
           "seconds\r\n";
}

std::string RecordLine(const RunFacts& f, const platform::TextLookup& text) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", f.seconds);
    std::string shown = f.approvedName.empty() ? f.text
                                               : platform::FormatText(text(IDS_APPROVED_SUFFIX),
                                                                      {f.text, f.approvedName});
    if (f.simulated) {
        shown = platform::FormatText(text(IDS_SIMULATED_SUFFIX), {shown});
    }
    const std::string fields[] = {IsoUtc(f.time),
                                  f.computer,
                                  f.user,
                                  f.port > 0 ? "COM" + std::to_string(f.port) : "",
                                  f.address,
                                  f.target,
                                  f.file,
                                  f.size ? std::to_string(*f.size) : "",
                                  f.sha256,
                                  f.outcome,
                                  f.code ? std::to_string(*f.code) : "",
                                  shown,
                                  seconds};
    std::string line;
    for (const std::string& field : fields) {
        line += (line.empty() ? "" : ",") + CsvField(field);
    }
    return line + "\r\n";
}

std::string HexText(const unsigned char* bytes, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string RecordPathSetting(ProfileStore& profile, const std::string& settingsPath) {
    return settings::PathBesideSettings(profile.GetString("LOG", "FILE", ""), settingsPath);
}

} // namespace script
