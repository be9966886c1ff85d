#pragma once
// The launcher settings: their option tables, clamping, and the ".local/launcher.ini" file.
#include <windows.h>

#include <filesystem>

#include "app/launcher_state.h"

struct Resolution {
    int width;
    int height;
};

struct DisplayFilter {
    const wchar_t* label;
    const wchar_t* screenMode;    // handed to the game as QUENDAL_SCREEN
    const wchar_t* shaderPreset;  // preset file name, or null
};

inline constexpr int kAspectCount = 4;
inline constexpr int kResolutionCount = 5;
inline constexpr int kFilterCount = 8;

extern const wchar_t* const kAspectLabels[kAspectCount];
// Five real rows and a sixth empty slot that no valid index reaches.
extern const Resolution kResolutions[kResolutionCount + 1];
extern const DisplayFilter kFilters[kFilterCount];
inline constexpr int kLinearFilter = 1;

// Brings every field into its range: indices are clamped, never rejected.
LauncherSettings ClampSettings(LauncherSettings settings);

// Reads the six keys (or the five video keys when keepSelectedGame is set, as a launch run
// does) over `current`; a missing file or key gives the defaults.
LauncherSettings LoadLauncherSettings(const std::filesystem::path& file, bool keepSelectedGame,
                                      LauncherSettings current);

enum class SettingsWrite { Saved, Refused, Failed };

// Writes all six keys in their fixed order into a proven copy of the file that then replaces
// it; other keys of the file stay. On failure the file stays as it was and the in-memory values
// stay in force; Refused means the file was held by someone else (a scanner, an indexer), which
// passes.
SettingsWrite WriteLauncherSettings(const std::filesystem::path& file, const LauncherSettings& settings);

// How long the writer waits before it tries a refused save again, by attempt (1 for the first
// retry): 1, 2, 4 and 8 seconds, then every 15 seconds.
DWORD SettingsRetryDelayMs(int attempt);

// Saves the Launcher state's settings unless this is a launch or capture run. The save is made
// by a writer thread and the call returns at once: the GUI never waits for the disk while the
// player moves. Saves reach the disk in order; of several asked for in a burst, only the newest
// is written.
void SaveLauncherSettings();
// Waits until every save asked for so far has reached the disk (or failed); a refused save that
// waits for its next try is tried once more at once. Called before anything that reads the file
// or ends the process: a game start, the Launcher's shut-down. False while a refused save still
// waits for its next try.
bool FinishLauncherSettingsSaves();
// The same, trying a refused save again every 200 ms for up to `ms`: Windows ending the session
// ends the process once the home window answers, so the newest settings get this one chance.
bool FinishLauncherSettingsSavesWithin(DWORD ms);
