#include "platform/taskbar_progress.h"

#include "platform/com.h"
#include "platform/library.h"

#include <shobjidl.h>

namespace platform {
namespace {

TaskbarHook& Hook() {
    static TaskbarHook hook;
    return hook;
}

// The taskbar's progress interface; null where there is no taskbar.
ITaskbarList3* CreateTaskbarList() {
    ITaskbarList3* taskbar = nullptr;
    const auto create = TAVRO_SYSTEM_FUNCTION(L"ole32.dll", CoCreateInstance);
    if (!UseCom() || !create ||
        FAILED(create(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                      reinterpret_cast<void**>(&taskbar)))) {
        return nullptr;
    }
    if (FAILED(taskbar->HrInit())) {
        taskbar->Release();
        return nullptr;
    }
    return taskbar;
}

const int kStatusRange = 500;

} // namespace

TaskbarProgress::~TaskbarProgress() {
    if (m_taskbar) {
        m_taskbar->Release();
    }
}

void TaskbarProgress::Start(HWND window) {
    Clear();
    m_window = window;
    if (m_window == nullptr) {
        return;
    }
    // Run as administrator, the program hears the taskbar (which runs with
    // fewer rights) only when it lets the message through.
    ChangeWindowMessageFilterEx(m_window, TaskbarButtonCreatedMessage(), MSGFLT_ALLOW, nullptr);
    if (!Hook() && !m_taskbar) {
        m_taskbar = CreateTaskbarList();
    }
    Show(TBPF_NORMAL, 0);
}

void TaskbarProgress::Progress(int status) {
    Show(m_state, status < 0 ? 0 : status);
}

// Yellow for a cancelled run, red for a failed one, each at the status it
// ended with; a finished one full.
void TaskbarProgress::Ended(End end) {
    switch (end) {
    case End::Finished:
        Show(TBPF_NORMAL, kStatusRange);
        break;
    case End::Cancelled:
        Show(TBPF_PAUSED, m_status);
        break;
    case End::Failed:
        Show(TBPF_ERROR, m_status);
        break;
    }
}

void TaskbarProgress::ShowAgain() {
    if (m_window && m_state != TBPF_NOPROGRESS) {
        Apply();
    }
}

void TaskbarProgress::Clear() {
    Show(TBPF_NOPROGRESS, 0);
    m_window = nullptr;
}

// Only what changes reaches the taskbar.
void TaskbarProgress::Show(int state, int status) {
    if (m_window && (state != m_state || status != m_status)) {
        m_state = state;
        m_status = status;
        Apply();
    }
}

void TaskbarProgress::Apply() const {
    if (Hook()) {
        Hook()(m_window, m_state, m_status);
    } else if (m_taskbar) {
        m_taskbar->SetProgressState(m_window, static_cast<TBPFLAG>(m_state));
        if (m_state != TBPF_NOPROGRESS) {
            m_taskbar->SetProgressValue(m_window, static_cast<ULONGLONG>(m_status), kStatusRange);
        }
    }
}

UINT TaskbarButtonCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void SetTaskbarHook(TaskbarHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
