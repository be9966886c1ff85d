#pragma once
// The contract with the update helper: its job command lines, the hand-over's parameters and
// the two kinds of output line the Launcher reacts to. Pure functions over values.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

// Messages of a running update job (the helper process runner posts them).
inline constexpr UINT kUpdateLineMessage = WM_APP + 0xDD;
inline constexpr UINT kUpdateFinishedMessage = WM_APP + 0xDE;
// A cancelled job ends with this code.
inline constexpr UINT kUpdateCancelExitCode = 1;

inline constexpr wchar_t kUpdateVersionText[] = L"0.60";

// Where the pieces of an update job are.
struct UpdateJobPaths {
    std::filesystem::path interpreter;  // root / ".tools/python/python.exe"
    std::filesystem::path script;       // "tools/update_release.py" of the installation or the host
    std::filesystem::path root;
    std::filesystem::path resultFile;
};

// A path (or the asset) as one command-line word. Quoted so that CommandLineToArgvW gives the
// text back unchanged: a path like "E:\" would otherwise swallow the blank and the next word.
// Any path without a trailing backslash is simply wrapped in double quotes.
std::wstring QuoteUpdateWord(const std::wstring& text);

// check, prepare (extra = asset), apply / recover / cleanup (extra = job folder).
std::wstring UpdateJobCommandLine(const UpdateJobPaths& paths, const std::wstring& job,
                                  const std::wstring& extra = std::wstring());
std::wstring RecoveryInfoCommandLine(const UpdateJobPaths& paths);

// The five words an update-apply run is started with, after the program.
std::wstring HandOverParameters(bool recover, const std::filesystem::path& root,
                                const std::filesystem::path& jobFolder, DWORD processId,
                                unsigned long long creationTime);

// The host the helper names for the update-apply run: only an ".exe" inside the installation
// folder is started; anything else (another folder, a document, a bare name the shell would
// look up) counts as a failed hand-over.
bool IsHostInsideInstallation(const std::filesystem::path& root, const std::filesystem::path& host);

// "[APPLY]" at the start of a line: the job can no longer be cancelled.
bool IsApplyLine(const std::wstring& line);
// The text after "[PROGRESS] " when the line begins with it.
std::optional<std::wstring> ProgressText(const std::wstring& line);
