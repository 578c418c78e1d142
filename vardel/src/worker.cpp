#include "worker.h"

#include "sim/realtime_pacer.h"

#include <windows.h>

namespace vardelwin {
namespace {

struct WorkerStart {
    std::shared_ptr<vardel::Session> session;
    HMODULE module;
};

DWORD WINAPI WorkerMain(LPVOID parameter) {
    HMODULE module = nullptr;
    {
        const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
        module = start->module;
        vardel::RealTimePacer pacer(start->session->SpeedFactor());
        start->session->Run(pacer);
    }
    FreeLibraryAndExitThread(module, 0);
}

} // namespace

bool StartWorker(std::shared_ptr<vardel::Session> session) {
    // The thread keeps this DLL loaded until it ends: a program that frees the
    // library during a run must not unmap the code the thread is in.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&WorkerMain), &module)) {
        return false;
    }
    auto start = std::make_unique<WorkerStart>(WorkerStart{std::move(session), module});
    const HANDLE thread = CreateThread(nullptr, 0, WorkerMain, start.get(), 0, nullptr);
    if (!thread) {
        FreeLibrary(module);
        return false;
    }
    start.release();
    CloseHandle(thread);
    return true;
}

} // namespace vardelwin
