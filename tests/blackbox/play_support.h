#pragma once
// Helpers of the game-session tests: launcher starts with the stand-in game, its record, and a
// look at another process's environment block.
#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "harness.h"

namespace bb {

inline constexpr wchar_t kHomeClass[] = L"TalvaroOvra";
inline constexpr auto kLaunchTimeout = 30s;

// The eight variables the Launcher hands to a game.
extern const wchar_t* const kGameVariableNames[8];

Process StartLauncher(const Installation& installation, const std::wstring& arguments = L"",
                      const std::map<std::wstring, std::wstring>& env = {});
HWND WaitForHome(const Process& process);

// The stand-in's record ("key=value" lines, UTF-8), empty when the file does not exist.
std::map<std::string, std::string> ReadRecord(const fs::path& file);
std::string Utf8(const std::wstring& text);

// The environment block of another process, read from its process parameters; nothing when
// it cannot be read. Names are upper-cased (Windows compares them without case).
std::optional<std::map<std::wstring, std::wstring>> EnvironmentOf(const Process& process);

// Top-level dialog boxes (#32770) of the process that are visible.
int VisibleMessageBoxCount(const Process& process);

// Writes a launcher.ini with the given "key=value" lines under [launcher].
void WriteLauncherIni(const Installation& installation, const std::string& lines);
int ReadLauncherKey(const Installation& installation, const wchar_t* key);
// Our scanner stand-in holding `file` open (shared for reading and writing, not for deletion) for
// `ms` milliseconds; started once it holds the file, or not started at all.
Process HoldFile(const fs::path& file, int ms);

}  // namespace bb
