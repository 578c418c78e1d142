#pragma once

#include "platform/string_table.h"

#include <cstdint>
#include <optional>
#include <string>

namespace script {

// What a check of the firmware file before its run starts from: the file's
// hash as the program holds it, what /sha256 asks for, and the approved list.
struct FirmwareCheck {
    std::string file;                    // full path, for the texts
    std::optional<std::string> sha256;   // lower-case hex; nothing: the file cannot be read
    std::string expectedSha256;          // lower-case hex; "": no /sha256
    std::string listPath;                // "": no approved list
    std::optional<std::string> listText; // nothing: the list cannot be read
};

struct FirmwareVerdict {
    std::string refusal;      // why the file must not be downloaded; "": it may be
    std::string approvedName; // the approved list's name for it ("" without one)
};

// A file is checked only when /sha256 or the approved list asks for it.
bool NeedsCheck(const std::string& expectedSha256, const std::string& listPath);

// The list's faults first, as they refuse every file; then the file's own.
FirmwareVerdict JudgeFirmware(const FirmwareCheck& check, const platform::TextLookup& text);

// The facts of a checked file for its record lines, taken from the bytes
// that were checked and flashed, so the record reads the file no second time.
struct CheckedFile {
    std::string path; // full path
    uint64_t size = 0;
    std::string sha256;
    std::string approvedName;
};

} // namespace script
