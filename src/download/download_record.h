#pragma once

#include "run/run_result.h"
#include "script/firmware_check.h"
#include "script/report_events.h"
#include "script/report_lines.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace download {

run::UtcTime UtcNow();

// The download record, for traceability: which firmware went into which CPM,
// when and by whom. One CSV line per run, appended to a file that the
// program on other benches may append to at the same time. Its lines may
// come from several threads. As a sink it records every attempt, every CPM
// not run and every refusal.
class DownloadRecord : public script::ReportSink {
public:
    using FailureNotice = std::function<void(const std::string& text)>;

    // path "": no record is kept. notice tells the user, once per program
    // run, that the record cannot be written; the downloads go on.
    void Open(const std::string& path, FailureNotice notice);
    bool IsOpen() const { return !m_path.empty(); }
    // Completes the facts with who, where and the file's size and hash.
    void Write(script::RunFacts facts);
    // Lines that must be in the record before Windows ends the process (the
    // session ends, the console was closed): in one write, after waiting
    // waitMs at most for another writer, and with the file's size and hash
    // only when they are known already.
    void WriteNow(std::vector<script::RunFacts> lines, DWORD waitMs);
    // The file checked before the runs, whose lines take its size, hash and
    // approved name from the check instead of reading it again; nothing: none.
    void SetCheckedFile(std::optional<script::CheckedFile> checked);

    void RunEnded(const script::RunFacts& facts) override { Write(facts); }
    // In a hurry, in one write, before any other sink is told.
    void SequenceEnded(const std::vector<script::RunFacts>& lines,
                       const script::SequenceSummary& summary,
                       std::optional<std::chrono::milliseconds> hurry) override;
    void Refused(const script::RunFacts& facts, int) override { Write(facts); }

private:
    // mayHash: the file may be read for its hash when it is not known yet.
    void AddFile(script::RunFacts& facts, bool mayHash);
    void Append(const std::string& lines, DWORD waitMs);

    std::string m_path;
    FailureNotice m_notice;
    bool m_bReported = false;
    std::string m_computer;
    std::string m_user;
    // The file hashed last, while it is unchanged: a sequence hashes once.
    struct Hashed {
        std::string path;
        uint64_t size;
        FILETIME written;
        std::string sha256;
    };
    std::optional<Hashed> m_hashed;
    std::optional<script::CheckedFile> m_checked;
    std::mutex m_mutex; // for these, and m_bReported
};

} // namespace download
