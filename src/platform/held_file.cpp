#include "platform/held_file.h"

namespace platform {

bool HeldFile::Hold(const std::wstring& path) {
    Release();
    // No FILE_SHARE_WRITE or FILE_SHARE_DELETE: a writer's, a deleter's or a
    // renamer's open fails with a sharing violation while this handle lives.
    m_file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const std::optional<FileDigest> digest = Sha256OfOpenFile(m_file);
    if (!digest) {
        Release();
        return false;
    }
    m_digest = *digest;
    return true;
}

void HeldFile::Release() {
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    m_digest = {};
}

} // namespace platform
