#pragma once

#include <atomic>

namespace run {

// Why whoever started the runs wants them to stop.
enum class StopReason {
    None,
    Cancel,     // Cancel Download in a status window
    Interrupt,  // Ctrl+C, Ctrl+Break or the console closed
    SessionEnd, // Windows is logging off or shutting down
};

// What happens once the run that is polled has ended.
enum class AfterRun { Stay, Close, Repeat };

// The one place that knows that the user (or the system) wants out: the
// status window's buttons, the console's handler, the end of the session and
// a sequence of downloads all read and set this. Safe to set from any thread:
// the console's handler runs on one of the system's.
class StopRequest {
public:
    // final: a stop also means leaving, as nobody stays to close the window
    // of a run that never confirms its end (a script's runs).
    explicit StopRequest(bool stopIsFinal) : m_stopIsFinal(stopIsFinal) {}

    // The run that is polled is to be aborted. The first reason is kept.
    void Stop(StopReason reason);
    bool Stopped() const { return Reason() != StopReason::None; }
    StopReason Reason() const { return m_reason.load(); }

    // Exit or Repeat Download pressed while the run is still polled: carried
    // out once polling has ended. A later press replaces an earlier one.
    void Leave(AfterRun then) { m_after = then; }
    // Whether waiting for the end of an aborted run may be given up once the
    // grace time has passed: nobody is left who would wait longer.
    bool Leaving() const;
    // What was asked for after the run, now that it has ended; asks nothing more.
    AfterRun TakeAfterRun() { return m_after.exchange(AfterRun::Stay); }

    // A new run from the main window: what was asked of the last one is done.
    // A final stop (a script's) is never taken back.
    void Reset();

private:
    const bool m_stopIsFinal;
    std::atomic<StopReason> m_reason{StopReason::None};
    std::atomic<AfterRun> m_after{AfterRun::Stay};
};

} // namespace run
