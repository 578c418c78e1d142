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
    AddFile(facts, true);
    bool reported = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        reported = m_bReported;
    }
    Append(script::RecordLine(facts, platform::ResourceText),
           reported ? kWaitAfterAFailureMs : kWaitForOtherWriterMs);
}

void DownloadRecord::WriteNow(std::vector<script::RunFacts> lines, DWORD waitMs) {
    if (!IsOpen() || lines.empty()) {
        return;
    }
    std::string text;
    for (script::RunFacts& facts : lines) {
        facts.computer = m_computer;
        facts.user = m_user;
        AddFile(facts, false); // no time to read a large file
        text += script::RecordLine(facts, platform::ResourceText);
    }
    Append(text, waitMs);
}

void DownloadRecord::SequenceEnded(const std::vector<script::RunFacts>& lines,
                                   const script::SequenceSummary&,
                                   std::optional<std::chrono::milliseconds> hurry) {
    if (hurry) {
        WriteNow(lines, static_cast<DWORD>(hurry->count()));
        return;
    }
    for (const script::RunFacts& facts : lines) {
        Write(facts);
    }
}

void DownloadRecord::SetCheckedFile(std::optional<script::CheckedFile> checked) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_checked = std::move(checked);
}

// The byte order mark tells spreadsheets that the file is UTF-8.
void DownloadRecord::Append(const std::string& lines, DWORD waitMs) {
    const DWORD error = platform::AppendToSharedFile(
        platform::Widen(m_path), "\xEF\xBB\xBF" + script::RecordHeader(), lines, waitMs);
    if (error == ERROR_SUCCESS) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bReported) {
            return;
        }
        m_bReported = true;
    }
    if (m_notice) {
        m_notice(platform::LoadResString(IDS_RECORD_NOT_WRITTEN, m_path));
    }
}

void DownloadRecord::AddFile(script::RunFacts& facts, bool mayHash) {
    if (facts.file.empty()) {
        return;
    }
    facts.file = platform::FullPath(facts.file);
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_checked && m_checked->path == facts.file) {
        facts.size = m_checked->size;
        facts.sha256 = m_checked->sha256;
        facts.approvedName = m_checked->approvedName;
        return;
    }
    if (!mayHash) {
        if (m_hashed && m_hashed->path == facts.file) {
            facts.size = m_hashed->size;
            facts.sha256 = m_hashed->sha256;
        }
        return;
    }
    lock.unlock(); // the file is read without holding up lines from elsewhere
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(platform::Widen(facts.file).c_str(), GetFileExInfoStandard, &data)) {
        return; // gone: no size, no hash
    }
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    lock.lock();
    if (!m_hashed || m_hashed->path != facts.file || m_hashed->size != size ||
        CompareFileTime(&m_hashed->written, &data.ftLastWriteTime) != 0) {
        lock.unlock();
        const std::optional<platform::FileDigest> digest =
            platform::Sha256OfFile(platform::Widen(facts.file));
        lock.lock();
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
