#include "report/machine_facts.h"

#include <windows.h>
#include <shellscalingapi.h>

#include <cwchar>

namespace {
// RtlGetVersion tells the truth: GetVersionExW is shimmed to the version in the manifest.
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
using WineGetVersionFunction = const char*(__cdecl*)();
using WineGetHostVersionFunction = void(__cdecl*)(const char** sysname, const char** release);

template <typename Function>
Function NtdllFunction(const char* name) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

std::wstring FromAscii(const char* text) {
    std::wstring wide;
    for (; text && *text; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\0')) text.pop_back();
    size_t start = 0;
    while (start < text.size() && text[start] == L' ') ++start;
    return text.substr(start);
}

std::wstring ProcessorName() {
    wchar_t buffer[256] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString",
                     RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
        return {};
    }
    return Trimmed(buffer);
}

unsigned PhysicalCores() {
    DWORD size = 0;
    GetLogicalProcessorInformationEx(RelationProcessorCore, nullptr, &size);
    if (size == 0) return 0;
    std::string buffer(size, '\0');
    auto* info = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data());
    if (!GetLogicalProcessorInformationEx(RelationProcessorCore, info, &size)) return 0;
    unsigned cores = 0;
    for (DWORD offset = 0; offset < size;) {
        auto* entry = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data() + offset);
        if (entry->Size == 0) break;
        if (entry->Relationship == RelationProcessorCore) ++cores;
        offset += entry->Size;
    }
    return cores;
}

using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto* monitors = reinterpret_cast<std::vector<MonitorFacts>*>(context);
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    MonitorFacts facts;
    facts.name = info.szDevice;
    facts.left = info.rcMonitor.left;
    facts.top = info.rcMonitor.top;
    facts.right = info.rcMonitor.right;
    facts.bottom = info.rcMonitor.bottom;
    facts.workLeft = info.rcWork.left;
    facts.workTop = info.rcWork.top;
    facts.workRight = info.rcWork.right;
    facts.workBottom = info.rcWork.bottom;
    facts.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    // Shcore is loaded from the system folder only; it is missing before Windows 8.1.
    if (HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        auto getDpi = reinterpret_cast<GetDpiForMonitorFunction>(
            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
        UINT x = 0, y = 0;
        if (getDpi && SUCCEEDED(getDpi(monitor, MDT_EFFECTIVE_DPI, &x, &y))) facts.dpi = x;
        FreeLibrary(shcore);
    }
    monitors->push_back(std::move(facts));
    return TRUE;
}

std::wstring Megabytes(unsigned long long bytes) { return std::to_wstring(bytes / (1024ull * 1024ull)) + L" MB"; }

std::wstring RectText(long left, long top, long right, long bottom) {
    return std::to_wstring(right - left) + L" x " + std::to_wstring(bottom - top) + L" at (" + std::to_wstring(left) +
           L", " + std::to_wstring(top) + L")";
}
}  // namespace

MachineFacts ReadMachineFacts() {
    MachineFacts facts;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (auto rtlGetVersion = NtdllFunction<RtlGetVersionFunction>("RtlGetVersion"); rtlGetVersion && rtlGetVersion(&version) == 0) {
        facts.windowsMajor = version.dwMajorVersion;
        facts.windowsMinor = version.dwMinorVersion;
        facts.windowsBuild = version.dwBuildNumber;
        facts.windowsServicePack = version.szCSDVersion;
    }
    if (auto wineGetVersion = NtdllFunction<WineGetVersionFunction>("wine_get_version")) {
        facts.wineVersion = FromAscii(wineGetVersion());
        if (auto hostVersion = NtdllFunction<WineGetHostVersionFunction>("wine_get_host_version")) {
            const char* system = nullptr;
            const char* release = nullptr;
            hostVersion(&system, &release);
            facts.wineHost = Trimmed(FromAscii(system) + L" " + FromAscii(release));
        }
    }
    facts.cpuName = ProcessorName();
    facts.cpuCores = PhysicalCores();
    facts.logicalProcessors = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof(memory);
    if (GlobalMemoryStatusEx(&memory)) {
        facts.memoryTotal = memory.ullTotalPhys;
        facts.memoryAvailable = memory.ullAvailPhys;
    }
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&facts.monitors));
    return facts;
}

std::wstring MachineFactsText(const MachineFacts& facts) {
    std::wstring text;
    text += L"Windows: " + std::to_wstring(facts.windowsMajor) + L"." + std::to_wstring(facts.windowsMinor) +
            L" build " + std::to_wstring(facts.windowsBuild);
    if (!facts.windowsServicePack.empty()) text += L" (" + facts.windowsServicePack + L")";
    text += L"\r\n";
    if (facts.wineVersion.empty()) {
        text += L"Wine: not running under Wine or Proton\r\n";
    } else {
        text += L"Wine: " + facts.wineVersion;
        if (!facts.wineHost.empty()) text += L" on " + facts.wineHost;
        text += L"\r\n";
    }
    text += L"Processor: " + (facts.cpuName.empty() ? std::wstring(L"(unknown)") : facts.cpuName) + L"\r\n";
    text += L"Cores: " + std::to_wstring(facts.cpuCores) + L" (" + std::to_wstring(facts.logicalProcessors) +
            L" logical processors)\r\n";
    text += L"Memory: " + Megabytes(facts.memoryTotal) + L" (" + Megabytes(facts.memoryAvailable) + L" free)\r\n";
    text += L"Monitors: " + std::to_wstring(facts.monitors.size()) + L"\r\n";
    for (const MonitorFacts& monitor : facts.monitors) {
        text += L"  " + monitor.name + (monitor.primary ? L" (primary)" : L"") + L": " +
                RectText(monitor.left, monitor.top, monitor.right, monitor.bottom) + L", work area " +
                RectText(monitor.workLeft, monitor.workTop, monitor.workRight, monitor.workBottom) + L", " +
                (monitor.dpi ? std::to_wstring(monitor.dpi) + L" DPI" : std::wstring(L"DPI unknown")) + L"\r\n";
    }
    return text;
}
