#pragma once
// The one process-wide record of the Launcher. Each field has one writer, named beside it.
#include <windows.h>
#include <filesystem>
#include <string>

// The version text shown in titles, the About box, the home screen and the installation log.
inline constexpr wchar_t kVersionText[] = L"0.60";
inline constexpr wchar_t kProductName[] = L"Talvaro Ovra-Remix Recomp";

// The choices that survive between runs (".local/launcher.ini").
struct LauncherSettings {
    int selectedGame = 0;  // game index, 0..1
    int aspect = 1;        // index into the aspect table, 0..3
    int size = 1;          // index into the resolution table, 0..4
    int filter = 0;        // index into the filter table, 0..7
    bool zoom = true;      // continuous zoom and arcade art
    bool fullScreen = false;
    bool padNavigation = true;  // a game controller drives the Launcher's windows
    // The options window's choices, each an index into its row's choices (play/launcher_options.h).
    int buttonPrompts = 0;    // automatic, Xbox, PlayStation, Nintendo
    int swapConfirmBack = 0;  // 1: the button SDL calls `b` confirms and `a` goes back
    int showPlayTime = 1;     // 1: the cards show when each game was last played and for how long
    int language = 0;         // automatic (Windows' display languages), then one per language
};

// What the command line asked for (written once by start-up).
struct AutomationOptions {
    std::string oneRunLanguage;                 // "--language TAG": this run only, never stored
    std::filesystem::path captureFile;          // absolute; empty when not given
    std::wstring capturePage = L"main";
    int requestedWidth = 0;                     // "--qa-size"
    int requestedHeight = 0;
    bool launchRun = false;                     // "--qa-launch"
    // "--play": straight into a game, no home window; the home window clears it when that game
    // is not installed and the run goes on as a normal run.
    bool playRun = false;
    std::filesystem::path padScriptFile;        // "--qa-pad"; absolute; empty when not given
    std::filesystem::path controlsCaptureFile;  // "--qa-controls"; absolute; empty when not given
    bool crashCheck = false;  // "--qa-crash": an access violation once the home window has painted
};

struct LauncherState {
    HINSTANCE instance = nullptr;

    // Paths, fixed once start-up has created ".local".
    std::filesystem::path root;          // installation root
    std::filesystem::path artFolder;     // root / "assets/launcher"
    std::filesystem::path settingsFile;  // root / ".local/launcher.ini"

    float dpiScale = 1.0f;  // start-up, then the home window on a DPI change
    LauncherSettings settings;  // start-up loads; home window, video window write
    AutomationOptions automation;
    DWORD gameExitCode = 0;  // the home window's game watch

    HWND homeWindow = nullptr;   // home window procedure
    HWND videoWindow = nullptr;  // video window procedure; null while closed
    HANDLE gameProcess = nullptr;       // game launch sets, game watch clears
    // When and which game the running session started (game launch); for the session record.
    struct GameStart {
        FILETIME utc = {};
        ULONGLONG tick = 0;
        int index = 0;
    } gameStart;
    HANDLE installationLock = nullptr;  // null in automation runs

    bool IsCaptureRun() const { return !automation.captureFile.empty(); }
    bool IsControlsCaptureRun() const { return !automation.controlsCaptureFile.empty(); }
    bool IsAutomationRun() const {
        return automation.launchRun || IsCaptureRun() || IsControlsCaptureRun();
    }
    // Launch and capture runs never write the launcher settings.
    bool MayWriteSettings() const { return !automation.launchRun && !IsCaptureRun(); }
};

extern LauncherState g_launcher;
