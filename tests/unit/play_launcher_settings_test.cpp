// The launcher settings through real INI files: defaults, clamping, write-back, and the runs
// that must never write.
#include <gtest/gtest.h>

#include "play/launcher_settings.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
int ReadBack(const fs::path& file, const wchar_t* key) {
    return static_cast<int>(GetPrivateProfileIntW(L"launcher", key, -100, file.c_str()));
}

// Points the Launcher state at a temporary settings file for one test and puts it back after.
class LauncherStateScope {
public:
    explicit LauncherStateScope(const fs::path& file) : saved_(g_launcher.settingsFile), automation_(g_launcher.automation),
                                                        settings_(g_launcher.settings) {
        g_launcher.settingsFile = file;
        g_launcher.automation = AutomationOptions{};
    }
    ~LauncherStateScope() {
        g_launcher.settingsFile = saved_;
        g_launcher.automation = automation_;
        g_launcher.settings = settings_;
    }

private:
    fs::path saved_;
    AutomationOptions automation_;
    LauncherSettings settings_;
};
}  // namespace

TEST(LauncherSettingsFile, MissingFileGivesTheDefaults) {
    TempFolder folder(L"tlvr-settings");
    const LauncherSettings loaded = LoadLauncherSettings(folder.path() / L"launcher.ini", false, LauncherSettings{});
    EXPECT_EQ(loaded.selectedGame, 0);
    EXPECT_EQ(loaded.aspect, 1);
    EXPECT_EQ(loaded.size, 1);
    EXPECT_EQ(loaded.filter, 0);
    EXPECT_TRUE(loaded.zoom);
    EXPECT_FALSE(loaded.fullScreen);
    EXPECT_FALSE(fs::exists(folder.path() / L"launcher.ini")) << "loading must not create the file";
}

TEST(LauncherSettingsFile, OutOfRangeValuesAreClampedAndWrittenBackClamped) {
    TempFolder folder(L"tlvr-settings");
    const fs::path file = folder.path() / L"launcher.ini";
    WriteFileBytes(file, "[launcher]\r\ngame=4\r\naspect=9\r\nsize=-2\r\nfilter=12\r\nzoom=5\r\nfullscreen=-3\r\n");
    const LauncherSettings loaded = LoadLauncherSettings(file, false, LauncherSettings{});
    EXPECT_EQ(loaded.selectedGame, 1);
    EXPECT_EQ(loaded.aspect, 3);
    EXPECT_EQ(loaded.size, 0);
    EXPECT_EQ(loaded.filter, 7);
    EXPECT_TRUE(loaded.zoom);
    EXPECT_TRUE(loaded.fullScreen);

    WriteLauncherSettings(file, loaded);
    EXPECT_EQ(ReadBack(file, L"game"), 1);
    EXPECT_EQ(ReadBack(file, L"aspect"), 3);
    EXPECT_EQ(ReadBack(file, L"size"), 0);
    EXPECT_EQ(ReadBack(file, L"filter"), 7);
    EXPECT_EQ(ReadBack(file, L"zoom"), 1) << "zoom=5 is written back as 1";
    EXPECT_EQ(ReadBack(file, L"fullscreen"), 1);
}

TEST(LauncherSettingsFile, NonNumericValuesReadTheirLeadingDigitsOrZero) {
    TempFolder folder(L"tlvr-settings");
    const fs::path file = folder.path() / L"launcher.ini";
    WriteFileBytes(file, "[launcher]\r\ngame=one\r\naspect=2x\r\nsize=big\r\nfilter=5 please\r\nzoom=off\r\n");
    const LauncherSettings loaded = LoadLauncherSettings(file, false, LauncherSettings{});
    EXPECT_EQ(loaded.selectedGame, 0);
    EXPECT_EQ(loaded.aspect, 2);
    EXPECT_EQ(loaded.size, 0);
    EXPECT_EQ(loaded.filter, 5);
    EXPECT_FALSE(loaded.zoom) << "\"off\" reads as 0";
}

TEST(LauncherSettingsFile, LaunchRunKeepsTheGameChosenOnTheCommandLine) {
    TempFolder folder(L"tlvr-settings");
    const fs::path file = folder.path() / L"launcher.ini";
    WriteFileBytes(file, "[launcher]\r\ngame=0\r\nfilter=3\r\n");
    LauncherSettings chosen;
    chosen.selectedGame = 1;
    const LauncherSettings loaded = LoadLauncherSettings(file, true, chosen);
    EXPECT_EQ(loaded.selectedGame, 1);
    EXPECT_EQ(loaded.filter, 3);
}

TEST(LauncherSettingsFile, SaveWritesAllSixKeysInANormalRunOnly) {
    TempFolder folder(L"tlvr-settings");
    const fs::path file = folder.path() / L"launcher.ini";
    LauncherStateScope scope(file);
    g_launcher.settings.selectedGame = 1;
    g_launcher.settings.aspect = 0;
    g_launcher.settings.size = 4;
    g_launcher.settings.filter = 2;
    g_launcher.settings.zoom = false;
    g_launcher.settings.fullScreen = true;

    // A launch run and a capture run leave the file alone, even when it exists.
    const std::string original = "[launcher]\r\ngame=0\r\n";
    WriteFileBytes(file, original);
    g_launcher.automation.launchRun = true;
    SaveLauncherSettings();
    FinishLauncherSettingsSaves();
    EXPECT_EQ(ReadFileBytes(file), original) << "a launch run wrote the settings";
    g_launcher.automation.launchRun = false;
    g_launcher.automation.captureFile = folder.path() / L"shot.png";
    SaveLauncherSettings();
    FinishLauncherSettingsSaves();
    EXPECT_EQ(ReadFileBytes(file), original) << "a capture run wrote the settings";

    g_launcher.automation.captureFile.clear();
    SaveLauncherSettings();
    FinishLauncherSettingsSaves();
    EXPECT_EQ(ReadBack(file, L"game"), 1);
    EXPECT_EQ(ReadBack(file, L"aspect"), 0);
    EXPECT_EQ(ReadBack(file, L"size"), 4);
    EXPECT_EQ(ReadBack(file, L"filter"), 2);
    EXPECT_EQ(ReadBack(file, L"zoom"), 0);
    EXPECT_EQ(ReadBack(file, L"fullscreen"), 1);
}

TEST(LauncherSettingsFile, ABurstOfSavesEndsWithTheNewestSettingsOnTheDisk) {
    TempFolder folder(L"tlvr-settings");
    const fs::path file = folder.path() / L"launcher.ini";
    LauncherStateScope scope(file);
    // As arrow presses at home do: each changes the selection and asks for a save at once.
    for (int press = 1; press <= 41; ++press) {
        g_launcher.settings.selectedGame = press % 2;
        g_launcher.settings.aspect = press % 4;
        SaveLauncherSettings();
    }
    FinishLauncherSettingsSaves();
    EXPECT_EQ(ReadBack(file, L"game"), 1);
    EXPECT_EQ(ReadBack(file, L"aspect"), 1);
    EXPECT_FALSE(fs::exists(folder.path() / L"launcher.ini.tmp"));
}

TEST(LauncherSettingsFile, SaveKeepsKeysAndSectionsThisBuildDoesNotWrite) {
    TempFolder folder(L"tlvr-settings");
    const fs::path file = folder.path() / L"launcher.ini";
    WriteFileBytes(file, "[launcher]\r\npad_navigation=1\r\naspect=0\r\n[window]\r\nleft=40\r\n");
    LauncherSettings settings;
    settings.aspect = 2;
    WriteLauncherSettings(file, settings);
    EXPECT_EQ(ReadBack(file, L"aspect"), 2);
    EXPECT_EQ(ReadBack(file, L"pad_navigation"), 1) << "a key of a later build was dropped";
    EXPECT_EQ(GetPrivateProfileIntW(L"window", L"left", 0, file.c_str()), 40u);
    EXPECT_FALSE(fs::exists(folder.path() / L"launcher.ini.tmp"));
    EXPECT_FALSE(fs::exists(folder.path() / L"launcher.ini.new"));
}

TEST(LauncherSettingsFile, ARefusedSaveIsTriedAgainAfterOneTwoFourAndEightSecondsThenEveryFifteen) {
    const std::pair<int, DWORD> schedule[] = {{1, 1000}, {2, 2000}, {3, 4000}, {4, 8000}, {5, 15000}, {40, 15000}};
    for (const auto& [attempt, delay] : schedule) EXPECT_EQ(SettingsRetryDelayMs(attempt), delay) << "attempt " << attempt;

    // Only a held file is worth another try; a folder that is not there never comes by waiting.
    TempFolder folder(L"tlvr-settings");
    EXPECT_EQ(WriteLauncherSettings(folder.path() / L"launcher.ini", LauncherSettings{}), SettingsWrite::Saved);
    EXPECT_EQ(WriteLauncherSettings(folder.path() / L"gone" / L"launcher.ini", LauncherSettings{}),
              SettingsWrite::Failed);
}
