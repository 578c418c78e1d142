#pragma once

// The five entry points of the download library (Vardel.dll), as the program
// binds them by name. Shared with the stand-in library so both sides agree.

#include <cstdint>

#if defined(_WIN32)
#define VARDEL_API_CALL __stdcall
#else
#define VARDEL_API_CALL
#endif

extern "C" {
typedef int32_t(VARDEL_API_CALL* PFN_GetCOMsStatus)(void);
typedef int32_t(VARDEL_API_CALL* PFN_InitDownload)(char* path, char* initText, int32_t port,
                                                   int32_t targetAndAddress, int32_t baudRate,
                                                   uint8_t dataBits, uint8_t stopBits,
                                                   uint8_t parity, uint8_t retry);
typedef int32_t(VARDEL_API_CALL* PFN_StartDownload)(int32_t handle);
typedef int32_t(VARDEL_API_CALL* PFN_AbortDownload)(int32_t handle);
typedef int64_t(VARDEL_API_CALL* PFN_GetDownloadStatus)(int32_t handle);
}

namespace vardel_api {

// Buffers handed to InitDownload hold at least this many characters plus the zero.
inline const int kPathBufferChars = 261;
inline const int kInitTextBufferChars = 256;

inline const int kStatusFinished = 500;
inline const int kStatusCancelled = -701;

struct DownloadStatus {
    int32_t status;
    int32_t phase;
};

// GetDownloadStatus packs the status into the low and the phase into the high half.
inline DownloadStatus SplitDownloadStatus(int64_t packed) {
    const uint64_t bits = static_cast<uint64_t>(packed);
    return {static_cast<int32_t>(static_cast<uint32_t>(bits & 0xFFFFFFFFu)),
            static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))};
}

inline int64_t PackDownloadStatus(int32_t status, int32_t phase) {
    return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(phase)) << 32) |
                                static_cast<uint32_t>(status));
}

} // namespace vardel_api
