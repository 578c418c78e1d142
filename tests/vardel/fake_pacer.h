#pragma once

#include "sim/pacer.h"

#include <functional>
#include <vector>

// A simulated clock that advances at once and remembers where it stopped; an
// action may hook into a given moment (an abort, say).
class FakePacer : public vardel::Pacer {
public:
    void Start() override { ++starts; }
    void WaitUntil(double seconds) override {
        waits.push_back(seconds);
        if (onWait) {
            onWait(seconds);
        }
    }
    // A stalled run's look for its abort: the clock stands still.
    void Hold() override {
        ++holds;
        if (onWait) {
            onWait(Now());
        }
    }
    double Now() const { return waits.empty() ? 0.0 : waits.back(); }

    int starts = 0;
    int holds = 0;
    std::vector<double> waits;
    std::function<void(double)> onWait;
};
