#include "app/installation_root.h"

#include <windows.h>

#include <vector>

#include "app/file_probe.h"

namespace {
// Long-path aware programs can run from paths far beyond MAX_PATH.
constexpr DWORD kModulePathCapacity = 32768;
constexpr int kMaxStepsUp = 4;
}  // namespace

std::filesystem::path RunningExecutablePath() {
    std::vector<wchar_t> buffer(kModulePathCapacity);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), kModulePathCapacity);
    if (length == 0 || length >= kModulePathCapacity) return {};
    return std::filesystem::path(std::wstring(buffer.data(), length));
}

std::filesystem::path LauncherFolder() {
    return RunningExecutablePath().parent_path();
}

std::filesystem::path FindInstallationRoot(const std::filesystem::path& executableFolder) {
    std::filesystem::path candidate = executableFolder;
    for (int step = 0; step < kMaxStepsUp; ++step) {
        if (PathExists(candidate / L"assets")) break;
        candidate = candidate.parent_path();
    }
    return candidate;
}
