// A DLL of ours that leaves a mark when a process loads it: the file named by its own path
// followed by ".loaded", holding the id of the process that loaded it. The DLL-search test puts
// copies of it beside the Launcher under the names the controller library loads at run time.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return TRUE;
    path.resize(length);
    const HANDLE mark = CreateFileW((path + L".loaded").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark == INVALID_HANDLE_VALUE) return TRUE;
    const std::string line = std::to_string(GetCurrentProcessId()) + "\n";
    DWORD written = 0;
    WriteFile(mark, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(mark);
    return TRUE;
}
