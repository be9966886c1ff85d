#include "report/partial_files.h"

#include <cwchar>
#include <system_error>

bool CompletePartialFile(const wchar_t* partial, const wchar_t* final) {
    // No allocation: the crash filter calls this too.
    const HANDLE file = CreateFileW(partial, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BOOL flushed = FlushFileBuffers(file);
    CloseHandle(file);
    return flushed && MoveFileExW(partial, final, MOVEFILE_WRITE_THROUGH);
}

void RemovePartialFiles(const std::filesystem::path& folder) {
    const size_t suffix = wcslen(kPartialSuffix);
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::wstring& name = it->path().native();
        if (name.size() > suffix && _wcsicmp(name.c_str() + name.size() - suffix, kPartialSuffix) == 0) {
            DeleteFileW(name.c_str());
        }
    }
}
