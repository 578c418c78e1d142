#pragma once

#include "run/status_view.h"

#include <algorithm>
#include <string>
#include <vector>

// Keeps every call of the status window as one line, e.g. "percent 50".
class RecordingStatusView : public run::StatusView {
public:
    static const char* Name(run::Led led) {
        return led == run::Led::Off ? "grey" : led == run::Led::Red ? "red" : "green";
    }
    void SetRunLed(run::Led led) override { Add(std::string("run ") + Name(led)); }
    void SetErrorLed(run::Led led) override { Add(std::string("error ") + Name(led)); }
    void SetMessage(const std::string& text) override { Add("message " + text); }
    void SetElapsed(const std::string& text) override { Add("elapsed " + text); }
    void SetEstimate(const std::string& text) override { Add("estimate " + text); }
    void SetPercent(const std::string& text) override { Add("percent " + text); }
    void SetProgress(int position) override { Add("progress " + std::to_string(position)); }
    void RepaintProgress() override { Add("repaint"); }
    void SetCancelText(const std::string& text) override { Add("cancel " + text); }
    void EnableRepeat(bool enable) override { Add(enable ? "repeat on" : "repeat off"); }

    // The calls since the last Take, without the repaints.
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(taken),
                     [](const std::string& c) { return c != "repaint"; });
        calls.clear();
        return taken;
    }
    bool Has(const std::string& prefix) const {
        return std::any_of(calls.begin(), calls.end(),
                           [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }
    std::vector<std::string> calls;

private:
    void Add(std::string call) { calls.push_back(std::move(call)); }
};
