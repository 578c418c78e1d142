#pragma once

#include "platform/file_hash.h"

#include <windows.h>

#include <string>

namespace platform {

// A file kept open for reading with read sharing only: while it is held,
// other programs may read it, but none can write it, delete it or rename
// it. So the bytes hashed when it was opened are the bytes that a reader
// (the download library, by path) gets until it is released.
class HeldFile {
public:
    HeldFile() = default;
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Opens the file and hashes it once, from this handle. false: it cannot
    // be opened (gone, or opened by a writer now) or read; nothing is held.
    bool Hold(const std::wstring& path);
    void Release();
    bool IsHeld() const { return m_file != INVALID_HANDLE_VALUE; }
    // Of the bytes as they were opened; valid while held.
    const FileDigest& Digest() const { return m_digest; }

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    FileDigest m_digest;
};

} // namespace platform
