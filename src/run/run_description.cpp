#include "run/run_description.h"

#include "settings/download_settings.h"

#include <cstdio>

namespace run {

const char* ShortTargetName(int target) {
    return target == 0 ? "prim" : "red";
}

std::string FileNameOfPath(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DownloadInfo(int cpmAddress, int target, int port, const std::string& fileName) {
    const std::string targetName = ShortTargetName(target);
    const std::string portAndFile = " on COM " + std::to_string(port) + " <" + fileName + ">";
    if (cpmAddress == settings::kBroadcastAddress) {
        return "Broadcast (" + targetName + ")" + portAndFile;
    }
    return "CPM " + std::to_string(cpmAddress) + " (" + targetName + ")" + portAndFile;
}

int TargetAndAddress(int target, int cpmAddress) {
    return target * 256 + cpmAddress;
}

std::vector<char> LibraryBuffer(const std::string& text, size_t minChars) {
    std::vector<char> buffer(text.size() > minChars ? text.size() + 1 : minChars + 1, '\0');
    text.copy(buffer.data(), text.size());
    return buffer;
}

} // namespace run
