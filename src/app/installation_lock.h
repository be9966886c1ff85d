#pragma once
// The per-installation lock: a named mutex whose name is derived from the installation root,
// so two copies of the package never block each other while two starts of one copy do.
#include <windows.h>
#include <filesystem>
#include <string>

// The identity text that is digested: the root made absolute, normalised lexically and
// lower-cased one UTF-16 unit at a time. Throws std::filesystem::filesystem_error when the
// root cannot be made absolute.
std::wstring LockIdentityText(const std::filesystem::path& root);

// SHA-256 of the UTF-16LE bytes of the text, through CryptoAPI. False when no context could be
// acquired; digestMissing is set when the context was there but hashing failed.
struct LockNameResult {
    bool contextAcquired = false;
    std::wstring name;  // "Local\TalvaroOvra_" + 64 hex digits, or the bare prefix
};
LockNameResult InstallationLockName(const std::filesystem::path& root);

// take = true: returns the mutex only when this call created it (the caller owns it);
// take = false: creates or opens it without ownership. Null when refused or on failure.
HANDLE OpenInstallationLock(const std::filesystem::path& root, bool take);

// Zero-timeout wait; true when ownership was acquired (also after abandonment).
bool TryAcquireInstallationLock(HANDLE lock);

// ReleaseMutex (a failure on an unowned handle is ignored), CloseHandle, clear.
void ReleaseInstallationLock(HANDLE& lock);
