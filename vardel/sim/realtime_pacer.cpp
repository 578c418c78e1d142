#include "sim/realtime_pacer.h"

#include <thread>

namespace vardel {

void RealTimePacer::Start() {
    m_start = std::chrono::steady_clock::now();
}

void RealTimePacer::WaitUntil(double seconds) {
    const auto deadline = m_start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                        std::chrono::duration<double>(seconds / m_speedFactor));
    std::this_thread::sleep_until(deadline);
}

void RealTimePacer::Hold() {
    // Short enough that an abort ends a stalled run well within a status read.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace vardel
