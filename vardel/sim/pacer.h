#pragma once

namespace vardel {

// The simulated clock of a run. The library's pacer waits in real time, sped
// up by the configured factor; tests step a fake one.
class Pacer {
public:
    virtual ~Pacer() = default;
    // The simulated clock starts at 0 now.
    virtual void Start() = 0;
    // Returns once the simulated clock has reached `seconds`.
    virtual void WaitUntil(double seconds) = 0;
    // Lets a little real time pass while the simulated clock stands still:
    // a stalled run looks again for its abort.
    virtual void Hold() = 0;
};

} // namespace vardel
