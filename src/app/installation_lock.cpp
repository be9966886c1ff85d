#include "app/installation_lock.h"

#include <wincrypt.h>

#include <cwchar>
#include <cwctype>

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kLockPrefix[] = L"Local\\TalvaroOvra_";
constexpr DWORD kDigestSize = 32;

class CryptContext {
public:
    CryptContext() {
        if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
            provider_ = 0;
    }
    ~CryptContext() { if (provider_) CryptReleaseContext(provider_, 0); }
    CryptContext(const CryptContext&) = delete;
    CryptContext& operator=(const CryptContext&) = delete;
    HCRYPTPROV get() const { return provider_; }

private:
    HCRYPTPROV provider_ = 0;
};

class CryptHash {
public:
    explicit CryptHash(HCRYPTPROV provider) {
        if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash_)) hash_ = 0;
    }
    ~CryptHash() { if (hash_) CryptDestroyHash(hash_); }
    CryptHash(const CryptHash&) = delete;
    CryptHash& operator=(const CryptHash&) = delete;
    HCRYPTHASH get() const { return hash_; }

private:
    HCRYPTHASH hash_ = 0;
};
}  // namespace

std::wstring LockIdentityText(const fs::path& root) {
    std::wstring text = fs::absolute(root).lexically_normal().wstring();
    for (wchar_t& unit : text) unit = static_cast<wchar_t>(std::towlower(unit));
    return text;
}

LockNameResult InstallationLockName(const fs::path& root) {
    const std::wstring identity = LockIdentityText(root);
    LockNameResult result;
    result.name = kLockPrefix;
    // The hash object is destroyed before the context is released (declaration order).
    CryptContext context;
    if (!context.get()) return result;
    result.contextAcquired = true;
    CryptHash hash(context.get());
    if (!hash.get()) return result;
    CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(identity.data()),
                  static_cast<DWORD>(identity.size() * sizeof(wchar_t)), 0);
    BYTE digest[kDigestSize] = {};
    DWORD digestSize = kDigestSize;
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &digestSize, 0)) return result;
    wchar_t hex[3];
    for (DWORD i = 0; i < digestSize; ++i) {
        swprintf(hex, 3, L"%02x", digest[i]);
        result.name += hex;
    }
    return result;
}

HANDLE OpenInstallationLock(const fs::path& root, bool take) {
    const LockNameResult name = InstallationLockName(root);
    if (!name.contextAcquired) return nullptr;
    HANDLE mutex = CreateMutexW(nullptr, take ? TRUE : FALSE, name.name.c_str());
    if (!mutex) return nullptr;
    if (take && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

bool TryAcquireInstallationLock(HANDLE lock) {
    const DWORD wait = WaitForSingleObject(lock, 0);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

void ReleaseInstallationLock(HANDLE& lock) {
    if (!lock) return;
    ReleaseMutex(lock);
    CloseHandle(lock);
    lock = nullptr;
}
