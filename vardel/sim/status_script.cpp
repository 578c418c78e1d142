#include "sim/status_script.h"

#include "sim/ini_text.h"
#include "sim/words.h"

#include <limits>

namespace vardel {
namespace {

std::optional<int32_t> ParseInt32(const std::string& text) {
    const std::optional<int64_t> value = ParseCNumber(text);
    if (!value || *value < std::numeric_limits<int32_t>::min() ||
        *value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

} // namespace

std::optional<DownloadStatus> ParseStatusPair(const std::string& text) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<int32_t> status = ParseInt32(text.substr(0, slash));
    const std::optional<int32_t> phase = ParseInt32(text.substr(slash + 1));
    if (!status || !phase) {
        return std::nullopt;
    }
    return DownloadStatus{*status, *phase};
}

std::optional<std::vector<DownloadStatus>> ParseStatusPairs(const std::string& text) {
    std::vector<DownloadStatus> pairs;
    for (const std::string& word : SplitWords(text)) {
        const std::optional<DownloadStatus> pair = ParseStatusPair(word);
        if (!pair) {
            return std::nullopt;
        }
        pairs.push_back(*pair);
    }
    if (pairs.empty()) {
        return std::nullopt;
    }
    return pairs;
}

StatusScript::StatusScript(std::vector<DownloadStatus> reads,
                           std::optional<DownloadStatus> afterAbort, int abortDelayReads)
    : m_reads(std::move(reads)), m_afterAbort(afterAbort), m_abortDelayReads(abortDelayReads) {}

DownloadStatus StatusScript::Read() {
    if (m_aborted && m_afterAbort) {
        if (m_readsSinceAbort >= m_abortDelayReads) {
            return *m_afterAbort;
        }
        ++m_readsSinceAbort;
    }
    const DownloadStatus pair = m_reads[m_next];
    if (m_next + 1 < m_reads.size()) {
        ++m_next;
    }
    return pair;
}

} // namespace vardel
