#pragma once

#include "platform/held_file.h"
#include "script/firmware_check.h"

#include <optional>
#include <string>

namespace download {

// The firmware file of a run, checked before any library call against the
// hash that /sha256 asks for and the plant's approved list, and held from the
// check until it is released after the run (a script's: after its sequence),
// so that no program can change the bytes between the check and the flash.
class HeldFirmware {
public:
    // Hashes and holds the file when /sha256 (expectedSha256, lower-case hex)
    // or the approved list (listPath) asks for it; without either nothing is
    // held and any file passes. Returns why the file must not be downloaded,
    // "" when it may be.
    // hashAnyway: hashed and held all the same, for whoever tells of the file.
    std::string Check(const std::string& file, const std::string& expectedSha256,
                      const std::string& listPath, bool hashAnyway = false);
    // What the record says of the file hashed by the last check; nothing
    // when none was.
    const std::optional<script::CheckedFile>& Checked() const { return m_checked; }
    void Release();

private:
    platform::HeldFile m_file;
    std::optional<script::CheckedFile> m_checked;
};

} // namespace download
