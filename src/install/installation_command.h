#pragma once
// What the installer hands to the installation script and reads back from it: pure functions
// over values, so the tests call them directly.
#include <filesystem>
#include <optional>
#include <string>

// The program that runs the script: <system folder>\WindowsPowerShell\v1.0\powershell.exe.
std::filesystem::path PowerShellPath(const std::filesystem::path& systemFolder);

// The whole command line: PowerShell, the fixed options, the script, "-Destination" and one
// "-RomFolderN" for each non-empty ROM folder (N = the edit's number, 1 or 2). Every path is
// quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring InstallationCommandLine(const std::filesystem::path& powerShell,
                                     const std::filesystem::path& script,
                                     const std::wstring& destination, const std::wstring& romFolder1,
                                     const std::wstring& romFolder2);

// A "[STAGE n...] text" line: where the progress bar goes and what the status says.
struct StageReport {
    int progress = 0;     // 0..95; only a successful end shows 100
    std::wstring status;  // the text after the first "] ", or the whole line
};
// Nothing for a line that is not a stage line (shorter than 9 characters or another start).
std::optional<StageReport> ReadStageLine(const std::wstring& line);

// <local application data>\Programs\TalvaroOvraRecomp, with backslashes only.
std::wstring DefaultInstallationFolder(const std::wstring& localAppData);
// The installation folder made from a picked parent folder.
std::wstring InstallationFolderIn(const std::wstring& parentFolder);
