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

} // namespace vardel
