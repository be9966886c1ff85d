#include "play_support.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <vector>

namespace bb {

const wchar_t* const kGameVariableNames[8] = {
    L"TLVR_ASPECT",        L"TLVR_ORIGINAL",   L"QUENDAL_SCREEN",   L"RR_CONTROLS_PROFILE",
    L"TLVR_CONTROLS_FILE", L"RR_OUTPUT_WIDTH", L"RR_OUTPUT_HEIGHT", L"RR_SHADER_PATH",
};

Process StartLauncher(const Installation& installation, const std::wstring& arguments,
                      const std::map<std::wstring, std::wstring>& env) {
    Process process = Process::Start(installation.launcher(), arguments, installation.root(), env);
    EXPECT_TRUE(process.started()) << "could not start the launcher";
    return process;
}

HWND WaitForHome(const Process& process) {
    const std::optional<Window> home = process.FindWindowOfClass(kHomeClass, kLaunchTimeout);
    return home ? home->hwnd : nullptr;
}

std::map<std::string, std::string> ReadRecord(const fs::path& file) {
    std::map<std::string, std::string> record;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) record[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return record;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

namespace {
using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

template <typename T>
bool ReadRemote(HANDLE process, const void* address, T& value) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, address, &value, sizeof(T), &read) && read == sizeof(T);
}

// x64 offsets, the same on Windows and Wine: PEB.ProcessParameters and
// RTL_USER_PROCESS_PARAMETERS.Environment.
constexpr size_t kPebProcessParameters = 0x20;
constexpr size_t kParametersEnvironment = 0x80;
}  // namespace

std::optional<std::map<std::wstring, std::wstring>> EnvironmentOf(const Process& process) {
    static_assert(sizeof(void*) == 8, "the offsets are those of 64-bit processes");
    auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query) return std::nullopt;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process.handle(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return std::nullopt;
    const auto* peb = static_cast<const BYTE*>(static_cast<void*>(basic.PebBaseAddress));
    const BYTE* parameters = nullptr;
    const BYTE* environment = nullptr;
    if (!ReadRemote(process.handle(), peb + kPebProcessParameters, parameters) || !parameters) return std::nullopt;
    if (!ReadRemote(process.handle(), parameters + kParametersEnvironment, environment) || !environment) {
        return std::nullopt;
    }
    // Read page by page until the block's double terminator; pages past its end may be unmapped.
    std::wstring block;
    const BYTE* cursor = environment;
    while (block.size() < (1u << 20)) {
        const size_t toPageEnd = 4096 - (reinterpret_cast<uintptr_t>(cursor) & 4095);
        std::vector<wchar_t> chunk(toPageEnd / sizeof(wchar_t));
        SIZE_T read = 0;
        if (!ReadProcessMemory(process.handle(), cursor, chunk.data(), chunk.size() * sizeof(wchar_t), &read) ||
            read == 0) {
            break;
        }
        block.append(chunk.data(), read / sizeof(wchar_t));
        cursor += read;
        if (block.find(std::wstring(2, L'\0')) != std::wstring::npos) break;
    }
    const size_t end = block.find(std::wstring(2, L'\0'));
    if (end == std::wstring::npos) return std::nullopt;
    std::map<std::wstring, std::wstring> variables;
    for (size_t start = 0; start < end + 1;) {
        const size_t stop = block.find(L'\0', start);
        const std::wstring entry = block.substr(start, stop - start);
        start = stop + 1;
        const size_t eq = entry.find(L'=', 1);  // "=C:=C:\" entries start with '='
        if (eq == std::wstring::npos) continue;
        std::wstring name = entry.substr(0, eq);
        std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return towupper(c); });
        variables[name] = entry.substr(eq + 1);
    }
    return variables;
}

int VisibleMessageBoxCount(const Process& process) {
    int count = 0;
    for (const Window& w : process.TopLevelWindows()) {
        if (w.className == L"#32770" && IsWindowVisible(w.hwnd)) ++count;
    }
    return count;
}

void WriteLauncherIni(const Installation& installation, const std::string& lines) {
    WriteFileBytes(installation.local() / L"launcher.ini", "[launcher]\r\n" + lines);
}

int ReadLauncherKey(const Installation& installation, const wchar_t* key) {
    const fs::path ini = installation.local() / L"launcher.ini";
    return static_cast<int>(GetPrivateProfileIntW(L"launcher", key, -100, ini.c_str()));
}

Process HoldFile(const fs::path& file, int ms) {
    const fs::path marker = fs::path(file.wstring() + L".held");
    std::error_code error;
    fs::remove(marker, error);
    Process holder = Process::Start(BinFolder() / L"tlvr_file_holder.exe",
                                    Quote(file) + L" " + std::to_wstring(ms), file.parent_path());
    if (!holder.started() || !WaitUntil([&] { return fs::exists(marker); }, 5s)) return Process();
    fs::remove(marker, error);
    return holder;
}

}  // namespace bb
