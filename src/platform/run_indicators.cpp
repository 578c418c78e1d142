#include "platform/run_indicators.h"

namespace platform {
namespace {

ExecutionStateHook& Hook() {
    static ExecutionStateHook hook;
    return hook;
}

void RequestExecutionState(EXECUTION_STATE flags) {
    if (Hook()) {
        Hook()(flags);
    } else {
        SetThreadExecutionState(flags);
    }
}

} // namespace

RunIndicators::RunIndicators(TaskbarProgress& taskbar, HWND taskbarWindow) : m_taskbar(taskbar) {
    RequestExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    m_taskbar.Start(taskbarWindow);
}

RunIndicators::~RunIndicators() {
    RequestExecutionState(ES_CONTINUOUS);
}

void SetExecutionStateHook(ExecutionStateHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
