#pragma once

#include "sim/pacer.h"

#include <chrono>

namespace vardel {

// Simulated time on the real clock, `speedFactor` times faster. Waits for
// deadlines from the start rather than for durations, so the many short
// sleeps of a fast run do not add up their overshoot.
class RealTimePacer : public Pacer {
public:
    explicit RealTimePacer(double speedFactor) : m_speedFactor(speedFactor) {}

    void Start() override;
    void WaitUntil(double seconds) override;
    void Hold() override;

private:
    double m_speedFactor;
    std::chrono::steady_clock::time_point m_start;
};

} // namespace vardel
