#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Appends text to a file that other programs append to as well (two test
// benches writing one record on a share): opened for appending only, with no
// other writer admitted while it is open, and written in one WriteFile, so no
// line is lost or torn. While another program has it open for writing, the
// opening is tried again until timeoutMs have passed. header goes in front of
// text, in the same write, when the file is empty. Returns ERROR_SUCCESS or
// the system's error code.
DWORD AppendToSharedFile(const std::wstring& path, const std::string& header,
                         const std::string& text, DWORD timeoutMs = 10000);

} // namespace platform
