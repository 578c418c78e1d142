#include "app/version_report.h"

#include "download/download_library.h"
#include "platform/app_message.h"
#include "platform/library.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/version_info.h"
#include "res/resource.h"

namespace {

using platform::ResourceText;

// Why the library cannot be loaded: a file that is not where it is looked
// for, else the system's reason.
std::string WhyNotLoaded(const download::DownloadLibrary& library) {
    const std::vector<std::wstring> folders = platform::TrustedDllFolders();
    const std::wstring vardel = platform::TrustedDllPath(L"Vardel.dll");
    for (const wchar_t* name : {L"Vardel.dll", L"Ostrel.dll"}) {
        if (platform::TrustedDllPath(name).empty()) {
            return platform::FormatText(ResourceText(IDS_VERSION_NOT_FOUND),
                                        {platform::Narrow(name), platform::Narrow(folders[0]),
                                         platform::Narrow(folders[1])});
        }
    }
    return platform::FormatText(
        ResourceText(IDS_VERSION_NOT_LOADED),
        {platform::Narrow(vardel), platform::SystemErrorText(library.LoadError())});
}

} // namespace

script::VersionFacts ReportVersions() {
    script::VersionFacts facts;
    facts.program = platform::VersionInfo(platform::ModulePath()).Value(L"ProductVersion");
    facts.text = platform::ApplicationName() + " " + facts.program + "\n";
    download::DownloadLibrary library;
    facts.libraryLoaded = library.Load();
    if (!facts.libraryLoaded) {
        facts.text += WhyNotLoaded(library);
        return facts;
    }
    facts.libraryPath = platform::Narrow(library.Path());
    facts.libraryVersion = platform::VersionInfo(library.Path()).FileVersion();
    facts.simulator = library.IsSimulator();
    facts.text += platform::FormatText(
        ResourceText(IDS_VERSION_LIBRARY),
        {facts.libraryPath,
         facts.libraryVersion.empty() ? ResourceText(IDS_VERSION_NO_FILE_VERSION)
                                      : facts.libraryVersion,
         ResourceText(facts.simulator ? IDS_VERSION_SIMULATOR_YES : IDS_VERSION_SIMULATOR_NO)});
    return facts;
}
