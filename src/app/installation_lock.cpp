#include "app/installation_lock.h"

#include <cwctype>

#include "app/sha256.h"

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kLockPrefix[] = L"Local\\TalvaroOvra_";
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
    Sha256 hash;
    if (!hash.ready()) return result;
    result.contextAcquired = true;
    hash.Add(identity.data(), identity.size() * sizeof(wchar_t));
    if (const auto digest = hash.HexDigest()) result.name += *digest;
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
