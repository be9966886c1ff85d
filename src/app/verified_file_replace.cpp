#include "app/verified_file_replace.h"

#include <initializer_list>
#include <optional>

#include "app/win_owners.h"

namespace fs = std::filesystem;

namespace {
// The final move is written through, so that a power cut after it leaves the new file.
constexpr DWORD kReplaceFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
constexpr int kMoveAttempts = 5;
constexpr DWORD kMovePauseMs = 200;
// What a read-back yields for a missing key: no value we write is a control character.
constexpr wchar_t kMissingValue[] = L"\x01";

fs::path WithSuffix(const fs::path& file, const wchar_t* suffix) { return fs::path(file.wstring() + suffix); }

bool MoveWithRetry(const fs::path& from, const fs::path& to, DWORD flags) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
        if (attempt == kMoveAttempts || !IsTransientReplaceError(GetLastError())) return false;
        Sleep(kMovePauseMs);
    }
}

bool FlushToDisk(const fs::path& file) {
    const UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle && FlushFileBuffers(handle.get());
}

bool ProfileHolds(const fs::path& file, const std::vector<ProfileValue>& values) {
    std::wstring buffer;
    for (const ProfileValue& entry : values) {
        // One character more than expected: a longer value reads back truncated and differs.
        buffer.assign(entry.value.size() + 2, L'\0');
        const DWORD length = GetPrivateProfileStringW(entry.section.c_str(), entry.key.c_str(), kMissingValue,
                                                      buffer.data(), static_cast<DWORD>(buffer.size()),
                                                      file.c_str());
        if (buffer.compare(0, length, entry.value) != 0 || length != entry.value.size()) return false;
    }
    return true;
}

std::optional<std::string> ReadWhole(const fs::path& file, size_t expected) {
    const UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return std::nullopt;
    // Room for one byte more than expected, so that a longer file shows as different.
    std::string bytes(expected + 1, '\0');
    size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD count = 0;
        if (!ReadFile(handle.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &count, nullptr)) {
            return std::nullopt;
        }
        if (count == 0) break;
        filled += count;
    }
    bytes.resize(filled);
    return bytes;
}

bool ClearReadOnly(const fs::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return SetFileAttributesW(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

// A read-only mark on the target would refuse the replace; a failed replace puts the mark back.
bool MoveOverTarget(const fs::path& from, const fs::path& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (MoveWithRetry(from, target, kReplaceFlags)) return true;
    const DWORD error = GetLastError();
    if (readOnly) SetFileAttributesW(target.c_str(), attributes);
    SetLastError(error);
    return false;
}

// A save cut short (power cut, killed process) may have left its temporary files: they are
// never built upon, and the read-only mark a copy took from its source must not keep them.
bool RemoveLeftover(const fs::path& file) {
    ClearReadOnly(file);
    return DeleteFileW(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Removes what a failed save left beside the target; the target itself is never touched. The
// failure's error stays the last error, so that a caller can tell a held file from a full disk.
bool Abandon(std::initializer_list<fs::path> leftovers) {
    const DWORD error = GetLastError();
    for (const fs::path& file : leftovers) DeleteFileW(file.c_str());
    SetLastError(error);
    return false;
}

// A read-back that differs from what was written is what a full disk shows.
bool AbandonUnproven(std::initializer_list<fs::path> leftovers) {
    SetLastError(ERROR_DISK_FULL);
    return Abandon(leftovers);
}

bool WriteWhole(const fs::path& file, const std::string& bytes) {
    const UniqueHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD count = 0;
    return out && WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
           count == bytes.size() && FlushFileBuffers(out.get());
}
}  // namespace

bool ReplaceProfileFileVerified(const fs::path& file, const std::vector<ProfileValue>& values,
                                const ProfileReplaceOptions& options) {
    const fs::path written = WithSuffix(file, L".tmp");
    // The read-back is made under a second name: the profile functions may answer a read of the
    // file they have just written from their memory of it rather than from the disk.
    const fs::path proof = WithSuffix(file, L".new");

    if (!RemoveLeftover(written) || !RemoveLeftover(proof)) return false;
    if (options.keepOtherKeys && !CopyFileW(file.c_str(), written.c_str(), FALSE)) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return Abandon({written});
    }
    // A target the user marked read-only passes the mark on to its copy, which must take our keys.
    if (!ClearReadOnly(written)) return Abandon({written});
    bool allWritten = true;
    for (const ProfileValue& entry : values) {
        if (!WritePrivateProfileStringW(entry.section.c_str(), entry.key.c_str(), entry.value.c_str(),
                                        written.c_str())) {
            allWritten = false;
        }
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, written.c_str());
    if (!allWritten) return IsTransientReplaceError(GetLastError()) ? Abandon({written}) : AbandonUnproven({written});
    if (!MoveWithRetry(written, proof, MOVEFILE_REPLACE_EXISTING)) return Abandon({written, proof});
    if (!ProfileHolds(proof, values)) return AbandonUnproven({proof});
    if (!FlushToDisk(proof)) return Abandon({proof});
    if (!MoveOverTarget(proof, file)) return Abandon({proof});
    return true;
}

bool ReplaceFileVerified(const fs::path& file, const std::string& bytes) {
    const fs::path written = WithSuffix(file, L".tmp");
    if (!RemoveLeftover(written)) return false;
    if (!WriteWhole(written, bytes)) return Abandon({written});
    if (ReadWhole(written, bytes.size()) != bytes) return AbandonUnproven({written});
    if (!MoveOverTarget(written, file)) return Abandon({written});
    return true;
}

bool IsTransientReplaceError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
}
