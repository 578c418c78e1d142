#include "platform/version_info.h"

#include "platform/library.h"
#include "platform/text.h"

#include <cstdio>

namespace platform {
namespace {

// version.dll, loaded the first time a version resource is read.
struct VersionApi {
    decltype(GetFileVersionInfoSizeW)* getSize =
        TAVRO_SYSTEM_FUNCTION(L"version.dll", GetFileVersionInfoSizeW);
    decltype(GetFileVersionInfoW)* getInfo =
        TAVRO_SYSTEM_FUNCTION(L"version.dll", GetFileVersionInfoW);
    decltype(VerQueryValueW)* queryValue = TAVRO_SYSTEM_FUNCTION(L"version.dll", VerQueryValueW);
};

const VersionApi& Api() {
    static const VersionApi api;
    return api;
}

} // namespace

VersionInfo::VersionInfo(const std::wstring& path) {
    // Read all or nothing: an object with data can always be queried.
    if (!Api().getSize || !Api().getInfo || !Api().queryValue) {
        return;
    }
    DWORD ignored = 0;
    const DWORD size = Api().getSize(path.c_str(), &ignored);
    if (size == 0) {
        return;
    }
    m_data.resize(size);
    if (!Api().getInfo(path.c_str(), 0, size, m_data.data())) {
        m_data.clear();
    }
}

std::string VersionInfo::FileVersion() const {
    void* block = nullptr;
    UINT length = 0;
    if (m_data.empty() || !Api().queryValue(m_data.data(), L"\\", &block, &length) ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return "";
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);
    if (fixed->dwSignature != VS_FFI_SIGNATURE) {
        return "";
    }
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

std::string VersionInfo::Value(const std::wstring& name) const {
    struct Language {
        WORD language;
        WORD codePage;
    };
    void* block = nullptr;
    UINT length = 0;
    if (m_data.empty() ||
        !Api().queryValue(m_data.data(), L"\\VarFileInfo\\Translation", &block, &length)) {
        return "";
    }
    const auto* languages = static_cast<const Language*>(block);
    for (UINT i = 0; i < length / sizeof(Language); ++i) {
        char table[40];
        std::snprintf(table, sizeof table, "\\StringFileInfo\\%04x%04x\\",
                      unsigned{languages[i].language}, unsigned{languages[i].codePage});
        void* value = nullptr;
        UINT characters = 0;
        if (Api().queryValue(m_data.data(), (Widen(table) + name).c_str(), &value, &characters) &&
            characters > 0) {
            // The count may include the terminating zero.
            std::wstring text(static_cast<const wchar_t*>(value), characters);
            const size_t end = text.find(L'\0');
            if (end != std::wstring::npos) {
                text.resize(end);
            }
            return Narrow(text);
        }
    }
    return "";
}

std::string SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? std::to_string(error) : Narrow(text); // the number, at least
}

} // namespace platform
