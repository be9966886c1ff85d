// Holds files open the way a virus scanner, an indexer or a cloud-sync client does (shared for
// reading and writing, not for deletion), so the Launcher's tests and benchmarks can meet one.
//   tlvr_file_holder FILE MILLISECONDS
//       Creates FILE + ".held" once the file is open, keeps it open that long, then ends with 0;
//       ends with 1 when the file cannot be opened.
//   tlvr_file_holder --watch FOLDER MILLISECONDS
//       Opens every file created, renamed into or written in FOLDER (not below it) as soon as it
//       is seen and holds it that long; creates FOLDER\tlvr-watching.held once it watches, and
//       runs until it is ended.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr DWORD kShareLikeAScanner = FILE_SHARE_READ | FILE_SHARE_WRITE;

void HoldFor(const std::wstring& file, DWORD ms) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, kShareLikeAScanner, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;  // gone already, or held by its writer
    Sleep(ms);
    CloseHandle(handle);
}

int Watch(const std::wstring& folder, DWORD ms) {
    HANDLE directory = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE) return 1;
    const std::wstring marker = folder + L"\\tlvr-watching.held";
    HANDLE watching = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (watching != INVALID_HANDLE_VALUE) CloseHandle(watching);
    std::vector<DWORD> buffer(16384);
    for (;;) {
        DWORD got = 0;
        if (!ReadDirectoryChangesW(directory, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(DWORD)), FALSE,
                                   FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                       FILE_NOTIFY_CHANGE_SIZE,
                                   &got, nullptr, nullptr)) {
            return 1;
        }
        for (auto* at = reinterpret_cast<const BYTE*>(buffer.data()); got > 0;) {
            const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
            const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if ((entry->Action == FILE_ACTION_ADDED || entry->Action == FILE_ACTION_RENAMED_NEW_NAME ||
                 entry->Action == FILE_ACTION_MODIFIED) &&
                name.find(L".held") == std::wstring::npos) {
                std::thread(HoldFor, folder + L"\\" + name, ms).detach();
            }
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    if (std::wstring(argv[1]) == L"--watch") {
        return argc < 4 ? 2 : Watch(argv[2], static_cast<DWORD>(_wtoi(argv[3])));
    }
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, kShareLikeAScanner, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const std::wstring marker = std::wstring(argv[1]) + L".held";
    HANDLE held = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    CloseHandle(file);
    return 0;
}
