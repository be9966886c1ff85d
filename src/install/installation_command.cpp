#include "install/installation_command.h"

#include <algorithm>

#include "app/command_line.h"

namespace {
constexpr wchar_t kFolderName[] = L"TalvaroOvraRecomp";
constexpr wchar_t kStagePrefix[] = L"[STAGE ";
constexpr size_t kStagePrefixLength = 7;
constexpr size_t kShortestStageLine = 9;
constexpr int kHighestStageProgress = 95;

std::wstring WithBackslashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}
}  // namespace

std::filesystem::path PowerShellPath(const std::filesystem::path& systemFolder) {
    return (systemFolder / L"WindowsPowerShell/v1.0/powershell.exe").make_preferred();
}

std::wstring InstallationCommandLine(const std::filesystem::path& powerShell,
                                     const std::filesystem::path& script,
                                     const std::wstring& destination, const std::wstring& romFolder1,
                                     const std::wstring& romFolder2) {
    std::wstring line = QuoteArgument(powerShell.wstring());
    line += L" -NoProfile -ExecutionPolicy Bypass -File ";
    line += QuoteArgument(script.wstring());
    line += L" -Destination ";
    line += QuoteArgument(destination);
    const std::wstring* folders[] = {&romFolder1, &romFolder2};
    for (int n = 1; n <= 2; ++n) {
        const std::wstring& folder = *folders[n - 1];
        if (folder.empty()) continue;
        line += L" -RomFolder" + std::to_wstring(n) + L" " + QuoteArgument(folder);
    }
    return line;
}

std::optional<StageReport> ReadStageLine(const std::wstring& line) {
    if (line.size() < kShortestStageLine || line.compare(0, kStagePrefixLength, kStagePrefix) != 0) {
        return std::nullopt;
    }
    // Stage digits 1..7 spread over 0..85; anything past 7 stays short of the finished 100.
    const int stage = static_cast<int>(line[kStagePrefixLength]) - static_cast<int>(L'1');
    StageReport report;
    report.progress = std::clamp(stage * 100 / 7, 0, kHighestStageProgress);
    const size_t close = line.find(L"] ");
    report.status = close == std::wstring::npos ? line : line.substr(close + 2);
    return report;
}

std::wstring DefaultInstallationFolder(const std::wstring& localAppData) {
    return WithBackslashes((std::filesystem::path(localAppData) / L"Programs" / kFolderName).wstring());
}

std::wstring InstallationFolderIn(const std::wstring& parentFolder) {
    return (std::filesystem::path(parentFolder) / kFolderName).wstring();
}
