#include "run/stop_request.h"

namespace run {

void StopRequest::Stop(StopReason reason) {
    StopReason none = StopReason::None;
    m_reason.compare_exchange_strong(none, reason);
}

bool StopRequest::Leaving() const {
    return m_after.load() != AfterRun::Stay || Reason() == StopReason::SessionEnd ||
           (m_stopIsFinal && Stopped());
}

void StopRequest::Reset() {
    if (!m_stopIsFinal) {
        m_reason = StopReason::None;
    }
    m_after = AfterRun::Stay;
}

} // namespace run
