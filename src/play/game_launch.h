#pragma once
// Starting the selected game under the game contract: what the game receives (command line,
// environment, three keys of its settings.ini, standard handles) and the start itself.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/launcher_state.h"

// Launches the selected game, or opens the installer when it is not installed. Does nothing
// while a game runs.
void LaunchSelectedGame();

// Appends the session that just ended to the session record (PLAY and "--play"; launch runs are
// not recorded).
void RecordEndedGameSession(DWORD exitCode);
// Windows ends the session while the game runs: its session as it stands (the seconds so far,
// "session-end" for the code), once.
void RecordGameSessionAtSessionEnd();

// Exit codes of a launch run that could not start its game. An unattended run must end rather
// than wait under its hidden window for a person, and it writes no launch-run record, so a
// check that finds no record knows the game never ran.
inline constexpr DWORD kExitLaunchRunNotInstalled = 5;
inline constexpr DWORD kExitLaunchRunStartFailed = 6;

// What a launch run adds to the command line.
struct LaunchRunAdditions {
    int frames = 1500;                  // "--max-frames"
    std::optional<std::wstring> script;  // "--input-script", when TLVR_QA_SCRIPT is set
};

// From the values of TLVR_QA_FRAMES and TLVR_QA_SCRIPT (nothing when a variable is not set).
LaunchRunAdditions ReadLaunchRunAdditions(const std::optional<std::wstring>& frames,
                                          const std::optional<std::wstring>& script);

// "exe" "rom" --no-launcher --pacing accurate, plus the launch-run additions when given.
std::wstring GameCommandLine(const std::filesystem::path& executable, const std::filesystem::path& rom,
                             const std::optional<LaunchRunAdditions>& launchRun);

// The eight game variables in the order they are set; a missing value removes the variable.
using GameEnvironment = std::vector<std::pair<std::wstring, std::optional<std::wstring>>>;
GameEnvironment GameEnvironmentFor(const LauncherSettings& settings, const std::filesystem::path& root);

// The three keys written into the game folder's settings.ini, in order.
struct GameSettingsKey {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
};
std::vector<GameSettingsKey> GameSettingsKeysFor(const LauncherSettings& settings);

// root / ".local/logs" / (stem + "-latest.log").
std::filesystem::path GameLogFile(const std::filesystem::path& root, int index);

// The variable's value, or nothing when it is not set (an empty value is set).
std::optional<std::wstring> ReadEnvironmentVariable(const wchar_t* name);
