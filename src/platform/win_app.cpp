#include "platform/win_app.h"

#include <cassert>

namespace platform {
namespace {
WinApp* g_app = nullptr;
}

WinApp::WinApp() {
    assert(g_app == nullptr && "one application object");
    g_app = this;
}

WinApp::~WinApp() {
    g_app = nullptr;
}

WinApp& GetApp() {
    assert(g_app != nullptr);
    return *g_app;
}

} // namespace platform
