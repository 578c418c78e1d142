#pragma once

#include <string>

namespace run {

enum class Led { Off, Red, Green };

// What the status window can show; the window implements it with its
// controls, tests with a record of the calls.
class StatusView {
public:
    virtual ~StatusView() = default;
    virtual void SetRunLed(Led led) = 0;   // the upper LED
    virtual void SetErrorLed(Led led) = 0; // the lower LED
    virtual void SetMessage(const std::string& text) = 0;
    virtual void SetElapsed(const std::string& text) = 0;
    virtual void SetEstimate(const std::string& text) = 0;
    virtual void SetPercent(const std::string& text) = 0;
    virtual void SetProgress(int position) = 0;
    virtual void RepaintProgress() = 0;
    virtual void SetCancelText(const std::string& text) = 0;
    virtual void EnableRepeat(bool enable) = 0;
};

} // namespace run
