#include "platform/run_indicators.h"

#include "platform/com.h"

#include <shobjidl.h>

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

// The taskbar's progress interface; null where there is no taskbar.
ITaskbarList3* CreateTaskbarList() {
    ITaskbarList3* taskbar = nullptr;
    if (!UseCom() ||
        FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&taskbar)))) {
        return nullptr;
    }
    if (FAILED(taskbar->HrInit())) {
        taskbar->Release();
        return nullptr;
    }
    return taskbar;
}

const ULONGLONG kStatusRange = 500;

} // namespace

RunIndicators::RunIndicators(HWND taskbarWindow)
    : m_window(taskbarWindow), m_taskbar(CreateTaskbarList()) {
    RequestExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    if (m_taskbar) {
        m_taskbar->SetProgressState(m_window, TBPF_NORMAL);
        m_taskbar->SetProgressValue(m_window, 0, kStatusRange);
    }
}

RunIndicators::~RunIndicators() {
    RequestExecutionState(ES_CONTINUOUS);
    if (m_taskbar) {
        m_taskbar->Release();
    }
}

void RunIndicators::Progress(int status) {
    m_status = status < 0 ? 0 : status;
    if (m_taskbar) {
        m_taskbar->SetProgressValue(m_window, static_cast<ULONGLONG>(m_status), kStatusRange);
    }
}

void RunIndicators::Ended(End end) {
    if (!m_taskbar) {
        return;
    }
    switch (end) {
    case End::Finished:
        m_taskbar->SetProgressValue(m_window, kStatusRange, kStatusRange);
        break;
    case End::Cancelled:
        m_taskbar->SetProgressState(m_window, TBPF_PAUSED);
        break;
    case End::Failed:
        m_taskbar->SetProgressState(m_window, TBPF_ERROR);
        break;
    }
}

void ClearTaskbarProgress(HWND window) {
    if (ITaskbarList3* taskbar = CreateTaskbarList()) {
        taskbar->SetProgressState(window, TBPF_NOPROGRESS);
        taskbar->Release();
    }
}

void SetExecutionStateHook(ExecutionStateHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
