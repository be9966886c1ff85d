#include "standin_powershell.h"

#include <windows.h>

#include <sstream>
#include <system_error>
#include <vector>

#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
fs::path ProgramFolder() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return fs::path(std::wstring(buffer.data(), length)).parent_path();
}
}  // namespace

bool PlaceStandInPowerShell() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const fs::path target = fs::path(system) / L"WindowsPowerShell" / L"v1.0" / L"powershell.exe";
    const fs::path ours = ProgramFolder() / L"tlvr_standin_powershell.exe";
    if (ReadFileBytes(target) == ReadFileBytes(ours)) return true;
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    return fs::copy_file(ours, target, fs::copy_options::overwrite_existing, error) && !error;
}

void WriteStandInScript(const fs::path& root, const std::string& commands) {
    std::istringstream in(commands);
    std::string script = "# Test script: only the stand-in's commands below.\r\n";
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) script += "#standin " + line + "\r\n";
    }
    WriteFileBytes(root / L"scripts" / L"install.ps1", script);
}
