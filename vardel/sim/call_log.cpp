#include "sim/call_log.h"

#include <cstdio>

namespace vardel {

std::string CallLine(const std::string& function, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& results) {
    std::string line = function;
    for (const std::string& argument : arguments) {
        line += "\t" + argument;
    }
    line += "\t=>";
    for (const std::string& result : results) {
        line += "\t" + result;
    }
    return line + "\r\n";
}

std::string GetCOMsStatusLine(int32_t result) {
    return CallLine("GetCOMsStatus", {}, {std::to_string(result)});
}

std::string InitDownloadLine(const InitRequest& r, int32_t result) {
    return CallLine("InitDownload",
                    {r.path, r.initText, std::to_string(r.port), std::to_string(r.targetAndAddress),
                     std::to_string(r.baudRate), std::to_string(unsigned{r.dataBits}),
                     std::to_string(unsigned{r.stopBits}), std::to_string(unsigned{r.parity}),
                     std::to_string(unsigned{r.retry})},
                    {std::to_string(result)});
}

std::string HandleCallLine(const std::string& function, int32_t handle, int32_t result) {
    return CallLine(function, {std::to_string(handle)}, {std::to_string(result)});
}

std::string GetDownloadStatusLine(int32_t handle, DownloadStatus status) {
    return CallLine("GetDownloadStatus", {std::to_string(handle)},
                    {std::to_string(status.status), std::to_string(status.phase)});
}

void CallLog::Append(const std::string& path, const std::string& line) {
    if (path.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

} // namespace vardel
