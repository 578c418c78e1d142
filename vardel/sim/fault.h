#pragma once

#include <cstdint>

namespace vardel {

// A failure injected into a run: the telegram at `percent` of the work of one
// phase of the error code space (1 Init FDL .. 6 End FDL, 7 the library's own)
// fails `failures` times with `condition`. The library repeats a failed
// telegram up to its retry count, so a fault with no more failures than
// retries is cured and only costs time. A stall is a run that stops there
// without an end: its status stays as it was until the run is aborted.
struct Fault {
    static constexpr int kPermanent = -1; // every attempt fails

    int phase = 0;
    int condition = 0;
    int percent = 0;
    int failures = kPermanent;
    bool stall = false;

    int32_t Code() const { return -(100 * phase + condition); }
    bool CuredBy(int retry) const { return failures != kPermanent && failures <= retry; }
};

// Conditions whose failed attempt costs the response time-out on top of the
// telegram: nothing, or not all of the answer, arrives.
inline bool WaitsForTimeout(int condition) {
    return condition == 5 || condition == 6;
}

} // namespace vardel
