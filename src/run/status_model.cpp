#include "run/status_model.h"

#include "run/phase_text.h"
#include "vardel_api/exports.h"

#include <cstdio>

namespace run {

std::string FormatSpan(long long seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

long long EstimatedTotalSeconds(long long elapsedSeconds, int percent) {
    const long long total = elapsedSeconds * 100 / percent;
    return (total / 5 + 1) * 5;
}

StatusModel::StatusModel(StatusView& view, Clock now) : m_view(view), m_now(std::move(now)) {}

void StatusModel::Start() {
    m_view.SetProgress(0);
    m_view.SetMessage(PhaseText(kPhasePreparing));
    m_timeStart = m_now();
    m_bBlink = false;
    m_view.EnableRepeat(false);
    m_view.SetErrorLed(Led::Red);
    m_view.SetRunLed(Led::Off);
}

void StatusModel::UpdateStatus(int status, int phase) {
    m_view.SetRunLed(m_bBlink ? Led::Off : Led::Green);
    m_bBlink = !m_bBlink;
    if (phase == kPhaseProgrammingCpr) {
        m_bEstimate = true;
    }
    m_timeNow = m_now();
    if (m_spanElapsed != m_timeNow - m_timeStart) {
        m_spanElapsed = m_timeNow - m_timeStart;
        m_view.SetElapsed(FormatSpan(m_spanElapsed));
    }
    if (status == vardel_api::kStatusFinished) {
        m_bFinished = true;
        m_view.SetCancelText("Exit");
        m_view.EnableRepeat(true);
        ShowEndLeds(true);
    }
    if (phase == kPhaseCancelled || phase == kPhaseError) {
        ShowEndLeds(false);
        m_view.EnableRepeat(true);
    }
    if (status != -1) {
        m_view.SetProgress(status);
    }
    if (PhaseText(phase) != nullptr && phase != m_nLastPhase) {
        m_view.SetMessage(PhaseText(phase));
        m_nLastPhase = phase;
    }
    if (m_bEstimate && status != -1) {
        UpdateEstimate(status);
    }
    m_view.RepaintProgress();
}

void StatusModel::UpdateEstimate(int status) {
    const int percent = status * 100 / vardel_api::kStatusFinished;
    if (percent <= 0 || percent == m_nShownPercent) {
        return;
    }
    m_view.SetPercent(std::to_string(percent));
    m_view.SetEstimate(FormatSpan(EstimatedTotalSeconds(m_spanElapsed, percent)));
    m_nShownPercent = percent;
}

void StatusModel::ShowError(const std::string& text) {
    m_view.SetMessage(text);
    m_bFinished = true;
    ShowEndLeds(false);
    OfferExitAndRepeat();
}

bool StatusModel::OnCancelPressed() {
    if (m_bFinished) {
        return false;
    }
    m_bFinished = true;
    ShowEndLeds(false);
    OfferExitAndRepeat();
    return true;
}

void StatusModel::ShowEndLeds(bool success) {
    m_view.SetErrorLed(success ? Led::Off : Led::Red);
    m_view.SetRunLed(success ? Led::Green : Led::Off);
}

void StatusModel::OfferExitAndRepeat() {
    m_view.SetCancelText("Exit");
    m_view.EnableRepeat(true);
}

} // namespace run
