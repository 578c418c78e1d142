#include "app/script_mode.h"

#include "app/ports_command.h"
#include "app/script_output.h"
#include "app/scripted_downloads.h"
#include "app/version_report.h"
#include "download/download_record.h"
#include "platform/app_message.h"
#include "platform/text.h"
#include "platform/text.h"
#include "res/resource.h"
#include "script/command_line.h"
#include "script/outcomes.h"

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

// A command line that does not parse: told, and kept in the settings
// file's record (a /log of a line that did not parse is not trusted).
int RefuseCommandLine(const std::vector<std::string>& arguments, const std::string& error,
                      const std::string& settingsPath, ScriptOutput& output) {
    output.OpenRecord(settingsPath, "");
    const int exitCode = script::ExitCode(run::Outcome::Refused);
    script::RunFacts facts =
        script::RequestFacts({}, run::Outcome::Refused, error, "", ResourceText);
    facts.time = download::UtcNow();
    output.Report().Refused(facts, exitCode);
    // /quiet shows no window of any kind, not even to refuse.
    if (Asks(arguments, L"/wait") && !Asks(arguments, L"/quiet")) {
        platform::ShowAppMessage(nullptr, error);
    }
    return exitCode;
}

// The usage or the versions, asked for by a person: in a box as well when
// the lines reach nobody.
int Tell(const std::string& text, int exitCode, bool box) {
    if (box) {
        platform::ShowAppMessage(nullptr, text);
    }
    return exitCode;
}

} // namespace

int RunScriptedDownloads(const std::vector<std::string>& arguments,
                         const std::string& settingsPath) {
    const script::ParseResult parsed = script::ParseRequest(arguments, ResourceText);
    ScriptOutput output(parsed.request ? parsed.request->json : Asks(arguments, L"/json"));
    if (!parsed.request) {
        return RefuseCommandLine(arguments, parsed.error, settingsPath, output);
    }
    const script::Request& request = *parsed.request;
    const bool box = !output.Available() && !request.quiet;
    if (request.help) {
        output.Report().Note(ResourceText(IDS_SCRIPT_USAGE));
        return Tell(ResourceText(IDS_SCRIPT_USAGE), 0, box);
    }
    if (request.version) {
        const script::VersionFacts facts = ReportVersions();
        const int exitCode =
            facts.libraryLoaded ? 0 : script::ExitCode(run::Outcome::LibraryMissing);
        output.Report().VersionTold(facts, exitCode);
        return Tell(facts.text, exitCode, box);
    }
    if (request.ports) {
        return ListPorts(output.Report());
    }
    return RunScriptedSequence(request, settingsPath, output);
}
