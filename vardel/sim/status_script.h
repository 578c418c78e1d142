#pragma once

#include "vardel_api/exports.h"

#include <optional>
#include <string>
#include <vector>

namespace vardel {

using vardel_api::DownloadStatus;

// "status/phase", e.g. "-701/7".
std::optional<DownloadStatus> ParseStatusPair(const std::string& text);

// Blank-separated pairs, e.g. "0/9 3/0 250/5 499/6 500/7"; at least one.
std::optional<std::vector<DownloadStatus>> ParseStatusPairs(const std::string& text);

// What a scripted run answers: its k-th read returns the k-th pair of the
// script and the last pair from then on. After an abort the reads go on along
// the script for `abortDelayReads` reads, then return `afterAbort` for good;
// without `afterAbort` the abort changes nothing. `reads` holds one pair at
// least.
class StatusScript {
public:
    StatusScript(std::vector<DownloadStatus> reads, std::optional<DownloadStatus> afterAbort,
                 int abortDelayReads);

    DownloadStatus Read();
    void Abort() { m_aborted = true; }

private:
    std::vector<DownloadStatus> m_reads;
    std::optional<DownloadStatus> m_afterAbort;
    int m_abortDelayReads;
    size_t m_next = 0;
    bool m_aborted = false;
    int m_readsSinceAbort = 0;
};

} // namespace vardel
