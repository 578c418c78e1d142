#include "download/download_record.h"

#include "platform/file_hash.h"
#include "platform/shared_file.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "res/resource.h"
#include "script/command_line.h"

namespace download {
namespace {
// How long a line waits while another program writes the record. Once a
// line could not be written (a spreadsheet holds the file open, say), the
// next ones wait less: each run would otherwise stall for the full time.
const DWORD kWaitForOtherWriterMs = 10000;
const DWORD kWaitAfterAFailureMs = 1000;
} // namespace

run::UtcTime UtcNow() {
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void DownloadRecord::Open(const std::string& path, FailureNotice notice) {
    m_path = path.empty() ? path : platform::FullPath(path);
    m_notice = std::move(notice);
    m_computer = platform::ComputerName();
    m_user = platform::UserName();
}

void DownloadRecord::Write(script::RunFacts facts) {
    if (!IsOpen()) {
        return;
    }
    facts.computer = m_computer;
    facts.user = m_user;
    AddFile(facts);
    // The byte order mark tells spreadsheets that the file is UTF-8.
    const DWORD error = platform::AppendToSharedFile(
        platform::Widen(m_path), "\xEF\xBB\xBF" + script::RecordHeader(),
        script::RecordLine(facts, platform::ResourceText),
        m_bReported ? kWaitAfterAFailureMs : kWaitForOtherWriterMs);
    if (error != ERROR_SUCCESS && !m_bReported) {
        m_bReported = true;
        if (m_notice) {
            m_notice(platform::LoadResString(IDS_RECORD_NOT_WRITTEN, m_path));
        }
    }
}

void DownloadRecord::AddFile(script::RunFacts& facts) {
    if (facts.file.empty()) {
        return;
    }
    facts.file = platform::FullPath(facts.file);
    if (m_checked && m_checked->path == facts.file) {
        facts.size = m_checked->size;
        facts.sha256 = m_checked->sha256;
        facts.approvedName = m_checked->approvedName;
        return;
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(platform::Widen(facts.file).c_str(), GetFileExInfoStandard, &data)) {
        return; // gone: no size, no hash
    }
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (!m_hashed || m_hashed->path != facts.file || m_hashed->size != size ||
        CompareFileTime(&m_hashed->written, &data.ftLastWriteTime) != 0) {
        const std::optional<platform::FileDigest> digest =
            platform::Sha256OfFile(platform::Widen(facts.file));
        if (!digest) {
            m_hashed.reset();
            return;
        }
        m_hashed = Hashed{facts.file, size, data.ftLastWriteTime,
                          script::HexText(digest->sha256.data(), digest->sha256.size())};
    }
    facts.size = m_hashed->size;
    facts.sha256 = m_hashed->sha256;
}

} // namespace download
