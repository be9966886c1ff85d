#include "app/sha256.h"

#include <cwchar>
#include <vector>

#include "app/win_owners.h"

namespace {
constexpr DWORD kDigestSize = 32;
constexpr DWORD kReadPiece = 1 << 20;
}  // namespace

Sha256::Sha256() {
    if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        provider_ = 0;
        return;
    }
    if (!CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
}

Sha256::~Sha256() {
    // The hash object goes before the context it came from.
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
}

bool Sha256::Add(const void* data, size_t size) {
    if (!hash_ || failed_) return false;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
        const DWORD piece = size > kReadPiece ? kReadPiece : static_cast<DWORD>(size);
        if (!CryptHashData(hash_, bytes, piece, 0)) {
            failed_ = true;
            return false;
        }
        bytes += piece;
        size -= piece;
    }
    return true;
}

std::optional<std::wstring> Sha256::HexDigest() {
    if (!hash_ || failed_) return std::nullopt;
    BYTE digest[kDigestSize] = {};
    DWORD digestSize = kDigestSize;
    if (!CryptGetHashParam(hash_, HP_HASHVAL, digest, &digestSize, 0)) return std::nullopt;
    std::wstring hex;
    wchar_t pair[3];
    for (DWORD i = 0; i < digestSize; ++i) {
        std::swprintf(pair, 3, L"%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

std::optional<std::wstring> Sha256OfFile(const std::filesystem::path& file) {
    const UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return std::nullopt;
    Sha256 hash;
    if (!hash.ready()) return std::nullopt;
    std::vector<char> buffer(kReadPiece);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(handle.get(), buffer.data(), kReadPiece, &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        if (!hash.Add(buffer.data(), read)) return std::nullopt;
    }
    return hash.HexDigest();
}
