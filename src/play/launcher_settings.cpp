#include "play/launcher_settings.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/verified_file_replace.h"
#include "play/launcher_options.h"

namespace {
constexpr wchar_t kSection[] = L"launcher";

int ReadKey(const std::filesystem::path& file, const wchar_t* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(kSection, key, fallback, file.c_str()));
}
}  // namespace

const wchar_t* const kAspectLabels[kAspectCount] = {L"4:3", L"16:9", L"21:9", L"32:9"};

const Resolution kResolutions[kResolutionCount + 1] = {
    {960, 540}, {1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160}, {0, 0}};

const DisplayFilter kFilters[kFilterCount] = {
    {L"Original pixels", L"raw", nullptr},
    {L"Linear", L"linear", nullptr},
    {L"koko-aio \u00B7 Balanced", L"raw", L"Monitor-Balanced.slangp"},
    {L"koko-aio \u00B7 Ambilight", L"raw", L"Monitor-Ambilight-immersive.slangp"},
    {L"koko-aio \u00B7 Classic CRT", L"raw", L"Base.slangp"},
    {L"Light CRT", L"crt", nullptr},
    {L"Trinitron", L"trinitron", nullptr},
    {L"Composite", L"composite", nullptr},
};

LauncherSettings ClampSettings(LauncherSettings settings) {
    settings.selectedGame = std::clamp(settings.selectedGame, 0, 1);
    settings.aspect = std::clamp(settings.aspect, 0, kAspectCount - 1);
    settings.size = std::clamp(settings.size, 0, kResolutionCount - 1);
    settings.filter = std::clamp(settings.filter, 0, kFilterCount - 1);
    ClampOptions(settings);
    return settings;
}

LauncherSettings LoadLauncherSettings(const std::filesystem::path& file, bool keepSelectedGame,
                                      LauncherSettings current) {
    const LauncherSettings defaults;
    LauncherSettings loaded = current;
    if (!keepSelectedGame) loaded.selectedGame = ReadKey(file, L"game", defaults.selectedGame);
    loaded.aspect = ReadKey(file, L"aspect", defaults.aspect);
    loaded.size = ReadKey(file, L"size", defaults.size);
    loaded.filter = ReadKey(file, L"filter", defaults.filter);
    loaded.zoom = ReadKey(file, L"zoom", 1) != 0;
    loaded.fullScreen = ReadKey(file, L"fullscreen", 0) != 0;
    loaded.padNavigation = ReadKey(file, L"pad_navigation", 1) != 0;
    LoadOptions(file, loaded);
    if (keepSelectedGame) {
        // The command line chose the game; only the video settings are clamped here.
        const int chosen = loaded.selectedGame;
        loaded = ClampSettings(loaded);
        loaded.selectedGame = chosen;
        return loaded;
    }
    return ClampSettings(loaded);
}

SettingsWrite WriteLauncherSettings(const std::filesystem::path& file, const LauncherSettings& settings) {
    const std::pair<const wchar_t*, int> keys[] = {
        {L"game", settings.selectedGame},
        {L"aspect", settings.aspect},
        {L"size", settings.size},
        {L"filter", settings.filter},
        {L"zoom", settings.zoom ? 1 : 0},
        {L"fullscreen", settings.fullScreen ? 1 : 0},
        {L"pad_navigation", settings.padNavigation ? 1 : 0},
    };
    std::vector<ProfileValue> values;
    for (const auto& [key, value] : keys) values.push_back({kSection, key, std::to_wstring(value)});
    for (int row = 0; row < kOptionRowCount; ++row) {
        values.push_back({kSection, kOptionRows[row].key, OptionFileText(kOptionRows[row], settings)});
    }
    // Keys of the file that this build does not write are carried over by the save.
    if (ReplaceProfileFileVerified(file, values)) return SettingsWrite::Saved;
    return IsTransientReplaceError(GetLastError()) ? SettingsWrite::Refused : SettingsWrite::Failed;
}

DWORD SettingsRetryDelayMs(int attempt) {
    constexpr DWORD kFirstDelayMs = 1000;
    constexpr int kDoublings = 4;  // 1, 2, 4, 8 s
    constexpr DWORD kSteadyDelayMs = 15000;
    if (attempt < 1) attempt = 1;
    return attempt <= kDoublings ? kFirstDelayMs << (attempt - 1) : kSteadyDelayMs;
}
