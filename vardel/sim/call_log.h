#pragma once

#include "sim/init_request.h"
#include "sim/status_script.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace vardel {

// One line of the call log: the function, its arguments, "=>" and its
// results, separated by tabs, ended by CR LF.
std::string CallLine(const std::string& function, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& results);

std::string GetCOMsStatusLine(int32_t result);
std::string InitDownloadLine(const InitRequest& request, int32_t result);
std::string HandleCallLine(const std::string& function, int32_t handle, int32_t result);
std::string GetDownloadStatusLine(int32_t handle, DownloadStatus status);

// Appends lines to a file, opened and closed for each line so that a test may
// read it while the program runs; one writer at a time.
class CallLog {
public:
    void Append(const std::string& path, const std::string& line);

private:
    std::mutex m_mutex;
};

} // namespace vardel
