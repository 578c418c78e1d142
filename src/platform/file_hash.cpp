#include "platform/file_hash.h"

#include "platform/library.h"

#include <windows.h>

#include <bcrypt.h>

#include <vector>

namespace platform {
namespace {

// CNG, loaded the first time a file is hashed.
struct Cng {
    decltype(BCryptOpenAlgorithmProvider)* openAlgorithm =
        TAVRO_SYSTEM_FUNCTION(L"bcrypt.dll", BCryptOpenAlgorithmProvider);
    decltype(BCryptGetProperty)* getProperty =
        TAVRO_SYSTEM_FUNCTION(L"bcrypt.dll", BCryptGetProperty);
    decltype(BCryptCreateHash)* createHash = TAVRO_SYSTEM_FUNCTION(L"bcrypt.dll", BCryptCreateHash);
    decltype(BCryptHashData)* hashData = TAVRO_SYSTEM_FUNCTION(L"bcrypt.dll", BCryptHashData);
    decltype(BCryptFinishHash)* finishHash = TAVRO_SYSTEM_FUNCTION(L"bcrypt.dll", BCryptFinishHash);
    decltype(BCryptDestroyHash)* destroyHash =
        TAVRO_SYSTEM_FUNCTION(L"bcrypt.dll", BCryptDestroyHash);
    decltype(BCryptCloseAlgorithmProvider)* closeAlgorithm =
        TAVRO_SYSTEM_FUNCTION(L"bcrypt.dll", BCryptCloseAlgorithmProvider);

    bool Complete() const {
        return openAlgorithm && getProperty && createHash && hashData && finishHash &&
               destroyHash && closeAlgorithm;
    }
};

const Cng& Api() {
    static const Cng api;
    return api;
}

// The CNG objects of one hash, released however it ends.
class Sha256 {
public:
    Sha256() {
        DWORD objectSize = 0;
        DWORD got = 0;
        if (!Api().Complete() ||
            !BCRYPT_SUCCESS(
                Api().openAlgorithm(&m_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
            !BCRYPT_SUCCESS(Api().getProperty(m_algorithm, BCRYPT_OBJECT_LENGTH,
                                              reinterpret_cast<PUCHAR>(&objectSize),
                                              sizeof objectSize, &got, 0))) {
            return;
        }
        m_object.resize(objectSize);
        if (!BCRYPT_SUCCESS(Api().createHash(m_algorithm, &m_hash, m_object.data(), objectSize,
                                             nullptr, 0, 0))) {
            m_hash = nullptr;
        }
    }
    ~Sha256() {
        if (m_hash) {
            Api().destroyHash(m_hash);
        }
        if (m_algorithm) {
            Api().closeAlgorithm(m_algorithm, 0);
        }
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool Ready() const { return m_hash != nullptr; }
    bool Add(unsigned char* data, ULONG size) {
        return BCRYPT_SUCCESS(Api().hashData(m_hash, data, size, 0));
    }
    bool Finish(std::array<unsigned char, 32>& digest) {
        return BCRYPT_SUCCESS(
            Api().finishHash(m_hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    }

private:
    BCRYPT_ALG_HANDLE m_algorithm = nullptr;
    BCRYPT_HASH_HANDLE m_hash = nullptr;
    std::vector<UCHAR> m_object;
};

} // namespace

std::optional<FileDigest> Sha256OfFile(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const std::optional<FileDigest> digest = Sha256OfOpenFile(file);
    CloseHandle(file);
    return digest;
}

std::optional<FileDigest> Sha256OfOpenFile(HANDLE file) {
    Sha256 hash;
    FileDigest digest;
    std::vector<unsigned char> buffer(1 << 16);
    DWORD read = 0;
    bool ok = hash.Ready();
    while (ok &&
           (ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) !=
                 FALSE) &&
           read > 0) {
        digest.size += read;
        ok = hash.Add(buffer.data(), read);
    }
    if (!ok || !hash.Finish(digest.sha256)) {
        return std::nullopt;
    }
    return digest;
}

} // namespace platform
