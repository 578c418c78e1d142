#include "platform/com.h"

#include <objbase.h>

namespace platform {
namespace {

// Only the thread that runs the windows uses COM.
enum class ComState { NotBegun, Begun, Unusable };
ComState g_state = ComState::NotBegun;

} // namespace

bool UseCom() {
    if (g_state == ComState::NotBegun) {
        // S_FALSE (already begun on this thread) must be ended as well.
        const HRESULT result =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        g_state = SUCCEEDED(result) ? ComState::Begun : ComState::Unusable;
    }
    return g_state == ComState::Begun;
}

void EndCom() {
    if (g_state == ComState::Begun) {
        CoUninitialize();
    }
    g_state = ComState::NotBegun;
}

} // namespace platform
