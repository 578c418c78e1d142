#include "download/held_firmware.h"

#include "platform/small_file.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "script/report_lines.h"

namespace download {
namespace {
// Far beyond any list of releases; a larger file is not a list.
const uint64_t kMaxListBytes = 16u << 20;
} // namespace

std::string HeldFirmware::Check(const std::string& file, const std::string& expectedSha256,
                                const std::string& listPath, bool hashAnyway) {
    Release();
    const bool needed = script::NeedsCheck(expectedSha256, listPath);
    if (!needed && !hashAnyway) {
        return "";
    }
    script::FirmwareCheck check;
    check.file = platform::FullPath(file);
    check.expectedSha256 = expectedSha256;
    check.listPath = listPath;
    if (!listPath.empty()) {
        check.listText = platform::ReadSmallFile(platform::Widen(listPath), kMaxListBytes);
    }
    if (m_file.Hold(platform::Widen(check.file))) {
        const platform::FileDigest& digest = m_file.Digest();
        check.sha256 = script::HexText(digest.sha256.data(), digest.sha256.size());
    }
    const script::FirmwareVerdict verdict =
        needed ? script::JudgeFirmware(check, platform::ResourceText) : script::FirmwareVerdict{};
    if (check.sha256) {
        m_checked = script::CheckedFile{check.file, m_file.Digest().size, *check.sha256,
                                        verdict.approvedName};
    }
    return verdict.refusal;
}

void HeldFirmware::Release() {
    m_file.Release();
    m_checked.reset();
}

} // namespace download
