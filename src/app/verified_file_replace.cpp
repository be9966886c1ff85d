#include "app/verified_file_replace.h"

#include <cstring>
#include <initializer_list>
#include <optional>
#include <system_error>

#include "app/win_owners.h"


namespace fs = std::filesystem;

namespace {
// The final move is written through, so that a power cut after it leaves the new file.
constexpr DWORD kReplaceFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
constexpr int kMoveAttempts = 5;
constexpr DWORD kMovePauseMs = 200;
// FileRenameInformationEx and its flags FILE_RENAME_REPLACE_IF_EXISTS and
// FILE_RENAME_IGNORE_READONLY_ATTRIBUTE, which MinGW's headers lack.
constexpr ULONG kFileRenameInformationEx = 65;
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenameIgnoreReadOnly = 0x40;
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

// The NT form of a Win32 path, which the native rename takes: \??\C:\..., \??\UNC\server\....
std::wstring NtPath(const fs::path& file) {
    std::error_code error;
    const std::wstring full = fs::absolute(file, error).native();
    if (full.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + full.substr(4);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + full.substr(2);
    return L"\\??\\" + full;
}

// Renames `from` over `to` even where `to` is read-only, in one step: at every instant the name
// holds one whole file with its mark. Windows 10 1809 and later and Wine 10 have it in ntdll
// (FileRenameInformationEx); Wine's SetFileInformationByHandle does not pass it on, so it is
// called directly. On false the last error says why (ERROR_INVALID_FUNCTION where it is missing).
bool RenameOverReadOnly(const fs::path& from, const fs::path& to) {
    using SetInformation = LONG(NTAPI*)(HANDLE, void* ioStatus, void* information, ULONG length, ULONG infoClass);
    using StatusToError = ULONG(NTAPI*)(LONG status);
    static const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    static const auto setInformation =
        ntdll ? reinterpret_cast<SetInformation>(GetProcAddress(ntdll, "NtSetInformationFile")) : nullptr;
    static const auto statusToError =
        ntdll ? reinterpret_cast<StatusToError>(GetProcAddress(ntdll, "RtlNtStatusToDosError")) : nullptr;
    if (!setInformation || !statusToError) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    const UniqueHandle handle(CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    const std::wstring name = NtPath(to);
    const DWORD nameBytes = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->Flags = kRenameReplaceIfExists | kRenameIgnoreReadOnly;
    info->FileNameLength = nameBytes;
    memcpy(info->FileName, name.data(), nameBytes);
    struct {
        ULONG_PTR status;
        ULONG_PTR information;
    } ioStatus = {};
    const LONG status =
        setInformation(handle.get(), &ioStatus, info, static_cast<ULONG>(buffer.size()), kFileRenameInformationEx);
    if (status >= 0) return true;
    SetLastError(statusToError(status));
    return false;
}

bool RenameUnsupported(DWORD error) {
    return error == ERROR_INVALID_FUNCTION || error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_CALL_NOT_IMPLEMENTED;
}

// A read-only mark on the target stays: the new file takes the mark before it takes the name,
// and the mark of the file under the name is never cleared, so no kill can leave it unmarked.
// Without the native rename, a plain move is tried first (Wine 8 lets it replace a read-only
// file); only where that is refused is the mark cleared for the move and put back at once (on
// the new file, or on the old one when the move failed).
bool MoveOverTarget(const fs::path& from, const fs::path& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (!readOnly) return MoveWithRetry(from, target, kReplaceFlags);
    const DWORD kept = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    if (!SetFileAttributesW(from.c_str(), kept)) return false;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 1;; ++attempt) {
        if (RenameOverReadOnly(from, target)) return true;
        error = GetLastError();
        if (!IsTransientReplaceError(error) || attempt == kMoveAttempts) break;
        Sleep(kMovePauseMs);
    }
    if (RenameUnsupported(error) && MoveFileExW(from.c_str(), target.c_str(), kReplaceFlags)) return true;
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);  // a file that is abandoned must be deletable
    if (!RenameUnsupported(error)) {
        SetLastError(error);
        return false;
    }
    SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    const bool moved = MoveWithRetry(from, target, kReplaceFlags);
    error = GetLastError();
    SetFileAttributesW(target.c_str(), attributes);
    SetLastError(error);
    return moved;
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
