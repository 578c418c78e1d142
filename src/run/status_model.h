#pragma once

#include "run/status_view.h"

#include <functional>
#include <string>

namespace run {

// A time span as minutes and seconds, "%02d:%02d". Spans of an hour or more
// keep counting minutes ("62:03"), so a long run never looks short.
std::string FormatSpan(long long seconds);

// The estimated total time of a run shown for a percentage after the elapsed
// seconds: rounded up to the next multiple of 5 s (an exact multiple moves up too).
long long EstimatedTotalSeconds(long long elapsedSeconds, int percent);

// The state and rules of the status window of one run: LEDs, times, progress,
// phase text, the estimate and the Cancel/Exit button.
class StatusModel {
public:
    using Clock = std::function<long long()>; // whole seconds, never going back

    StatusModel(StatusView& view, Clock now);

    // The window was created: initial texts and LEDs, the time count starts.
    void Start();
    // One status read: status 0..500, or -1 for none; phase a row of the phase table.
    void UpdateStatus(int status, int phase);
    void ShowError(const std::string& text);
    // The user pressed Cancel Download: true when the library must be asked to
    // abort (first press while polling); false when the button acts as Exit.
    bool OnCancelPressed();

    bool m_bFinished = false;
    bool m_bBlink = false;
    bool m_bEstimate = false;
    int m_nShownPercent = 0;
    int m_nLastPhase = 13; // matches no phase, so the first one is always written
    long long m_timeStart = 0;
    long long m_timeNow = 0;
    long long m_spanElapsed = 0;

private:
    void ShowEndLeds(bool success);
    void OfferExitAndRepeat();
    void UpdateEstimate(int status);

    StatusView& m_view;
    Clock m_now;
};

} // namespace run
