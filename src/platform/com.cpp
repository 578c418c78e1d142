#include "platform/com.h"

#include "platform/library.h"

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
        const auto begin = TAVRO_SYSTEM_FUNCTION(L"ole32.dll", CoInitializeEx);
        const HRESULT result =
            begin ? begin(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) : E_NOTIMPL;
        g_state = SUCCEEDED(result) ? ComState::Begun : ComState::Unusable;
    }
    return g_state == ComState::Begun;
}

void EndCom() {
    if (g_state == ComState::Begun) {
        if (const auto end = TAVRO_SYSTEM_FUNCTION(L"ole32.dll", CoUninitialize)) {
            end();
        }
    }
    g_state = ComState::NotBegun;
}

} // namespace platform
