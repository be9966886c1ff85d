#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <system_error>

#include "app/command_line.h"
#include "app/file_probe.h"
#include "app/game_table.h"
#include "app/installation_lock.h"
#include "app/installation_root.h"
#include "app/launcher_state.h"
#include "controls/controls_entry.h"
#include "controls/last_input.h"
#include "controls/pad_navigation.h"
#include "play/play_time.h"
#include "controls/pad_script.h"
#include "install/installer_entry.h"
#include "play/home_window.h"
#include "play/launcher_settings.h"
#include "report/crash_dump.h"
#include "report/partial_files.h"
#include "report/problem_report.h"
#include "resources/resource_ids.h"
#include "ui/drawing_kit.h"
#include "ui/home_paint.h"
#include "play/launcher_options.h"
#include "texts/language_choice.h"
#include "texts/texts.h"
#include "ui/task_dialog.h"
#include "ui/options_window.h"
#include "ui/video_window.h"
#include "update/update_entry.h"

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kVideoWindowClass[] = L"TLVRSettings";

void ApplyOptions(const ScannedOptions& scanned) {
    AutomationOptions& automation = g_launcher.automation;
    automation.captureFile = MakeOptionPathAbsolute(scanned.captureFile);
    automation.capturePage = scanned.capturePage;
    automation.requestedWidth = scanned.requestedWidth;
    automation.requestedHeight = scanned.requestedHeight;
    automation.launchRun = scanned.launchRun;
    automation.controlsCaptureFile = MakeOptionPathAbsolute(scanned.controlsCaptureFile);
    if (scanned.launchRun) g_launcher.settings.selectedGame = scanned.launchGameIndex;
    // "--play" is a normal run; beside an automation option it is ignored like an unknown word.
    automation.playRun = scanned.playRun && !g_launcher.IsAutomationRun();
    if (!g_launcher.IsAutomationRun()) automation.padScriptFile = MakeOptionPathAbsolute(scanned.padScriptFile);
    automation.crashCheck = scanned.crashCheck;
    // Tags are ASCII: anything else names no language of ours.
    for (wchar_t c : scanned.language) automation.oneRunLanguage += c < 0x80 ? static_cast<char>(c) : '?';
}

std::wstring NoSuchGameText(int number) {
    return FormatText("startup.no_such_game",
                      {{"number", std::to_wstring(number)}, {"first", kGames[0].title}, {"second", kGames[1].title}});
}

// The boxes before the settings are read speak the one-run choice or Windows' language.
void ChooseEarlyLanguage(const ScannedOptions& scanned) {
    std::string tag;
    for (wchar_t c : scanned.language) tag += c < 0x80 ? static_cast<char>(c) : '?';
    ApplyLanguageChoice(tag, "auto");
}

bool CreateDataFolder() {
    std::error_code error;
    const fs::path local = g_launcher.root / L".local";
    fs::create_directories(local, error);
    return !error && fs::is_directory(local, error);
}

void RegisterWindowClasses(HINSTANCE instance) {
    WNDCLASSEXW home = {};
    home.cbSize = sizeof(home);
    home.lpfnWndProc = HomeWindowProc;
    home.hInstance = instance;
    home.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP_ICON));
    home.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    home.lpszClassName = kHomeWindowClass;
    RegisterClassExW(&home);

    WNDCLASSEXW video = home;
    video.lpfnWndProc = VideoWindowProc;
    video.hbrBackground = DarkBackgroundBrush();
    video.lpszClassName = kVideoWindowClass;
    RegisterClassExW(&video);
}

void OpenCapturePage(HWND home) {
    const std::wstring& page = g_launcher.automation.capturePage;
    if (page == L"controls") {
        OpenControlsEditor(home, g_launcher.root / L".local" / L"controls-qa.ini");
    } else if (page == L"install") {
        OpenInstallerWindow(home);
    } else if (page == L"updates") {
        OpenUpdatesWindow(home);
    } else if (page == L"video") {
        OpenVideoWindow();
    } else if (page == L"options") {
        OpenOptionsWindow();
    }
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        NoteInputMessage(message);
        if (ControlsKeyFilter(&message) || UpdatesDialogFilter(&message) ||
            InstallerDialogFilter(&message) || OptionsDialogFilter(&message)) {
            continue;
        }
        HWND dialog = g_launcher.videoWindow ? g_launcher.videoWindow : g_launcher.homeWindow;
        if (dialog && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void ShutDown() {
    FinishLauncherSettingsSaves();  // the home window's last save is on the disk before the exit
    CleanUpUpdates();
    ReleaseInstallationLock(g_launcher.installationLock);
    if (g_launcher.gameProcess) {
        CloseHandle(g_launcher.gameProcess);
        g_launcher.gameProcess = nullptr;
    }
    ShutDownDrawingKit();
}
}  // namespace

int RunLauncher(HINSTANCE instance, int showCommand) {
    g_launcher.instance = instance;
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    g_launcher.root = FindInstallationRoot(LauncherFolder());
    PrepareCrashDumps(g_launcher.root);
    g_launcher.artFolder = g_launcher.root / L"assets" / L"launcher";

    std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
    if (IsUpdateApplyRun(words)) return RunUpdateApplyMode(instance, words, g_launcher.artFolder);

    const ScannedOptions scanned = ScanOptions(words);
    words.clear();
    ChooseEarlyLanguage(scanned);
    // It only reads the installation and writes its own zip: no lock, no window, no update check,
    // so it also runs beside an open Launcher.
    if (scanned.reportRun) return RunReportMode(g_launcher.root) ? kExitNormal : kExitReportFailed;
    ApplyOptions(scanned);
    const bool automationRun = g_launcher.IsAutomationRun();
    const bool playRun = g_launcher.automation.playRun;
    if (playRun && scanned.playNumber != 1 && scanned.playNumber != 2) {
        ShowMessageBox(nullptr, NoSuchGameText(scanned.playNumber), kProductName, MB_ICONERROR);
        return kExitBadGameNumber;
    }
    if (playRun) g_launcher.settings.selectedGame = scanned.playNumber - 1;
    if (!g_launcher.automation.padScriptFile.empty()) {
        std::wstring problem;
        if (!LoadPadScript(g_launcher.automation.padScriptFile, problem)) {
            ShowMessageBox(nullptr, problem, kProductName, MB_ICONERROR);
            return kExitPadScriptInvalid;
        }
    }

    if (g_launcher.automation.launchRun &&
        (g_launcher.settings.selectedGame < 0 || g_launcher.settings.selectedGame > 1)) {
        return kExitBadGameNumber;
    }
    if (g_launcher.IsCaptureRun()) SetEnvironmentVariableW(L"TLVR_QA_CAPTURE", L"1");

    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    g_launcher.dpiScale = static_cast<float>(GetDpiForSystem()) / 96.0f;

    if (!automationRun) {
        // The lock comes before anything reads or changes the installation: an update-apply run
        // that holds it may be replacing files right now, and a recovery started beside it would
        // undo its work.
        try {
            g_launcher.installationLock = OpenInstallationLock(g_launcher.root, true);
        } catch (const std::exception&) {
            g_launcher.installationLock = nullptr;  // a root without a name cannot be locked
        }
        if (!g_launcher.installationLock) {
            ShowMessageBox(nullptr, Text("startup.in_use"), kProductName, MB_ICONINFORMATION);
            return kExitNormal;
        }
        // Still holding the lock, which the process's end releases: a recovery run handed over
        // to here waits for exactly that.
        if (InterruptedUpdateCheck(g_launcher.root)) return kExitNormal;
    }

    // The artwork before ".local": a Launcher started outside an installation (alone in a
    // Downloads folder, inside an opened zip) must not leave a data folder in some ancestor.
    if (!PathExists(g_launcher.artFolder / L"tlvr1.png")) {
        ShowMessageBox(nullptr, Text("startup.artwork_missing.body"), Text("startup.artwork_missing.title"),
                       MB_ICONERROR);
        return kExitArtworkMissing;
    }

    if (!CreateDataFolder()) {
        ShowMessageBox(nullptr, Text("startup.data_folder"), kProductName, MB_ICONERROR);
        return kExitDataFolderFailed;
    }
    g_launcher.settingsFile = g_launcher.root / L".local" / L"launcher.ini";
    if (!automationRun) {
        // A report or a dump that a kill cut short never took its name; only its temporary is left.
        RemovePartialFiles(g_launcher.root / L".local" / L"reports");
        RemovePartialFiles(g_launcher.root / L".local" / L"crashes");
    }

    g_launcher.settings = LoadLauncherSettings(g_launcher.settingsFile,
                                               g_launcher.automation.launchRun || playRun, g_launcher.settings);
    ApplyLanguageChoice(g_launcher.automation.oneRunLanguage, ChosenLanguage(g_launcher.settings));
    // A launch run shows no cards; every other run may.
    if (!g_launcher.automation.launchRun) LoadPlayRecord(g_launcher.root);
    StartDrawingKit(g_launcher.artFolder, g_launcher.dpiScale);
    RegisterWindowClasses(instance);

    HWND home = CreateHomeWindow(instance);
    RegisterUpdatesWindowClass(instance, UiFont(), g_launcher.root, automationRun, IsLauncherIdle);
    RegisterInstallerWindowClass(instance, UiFont(), g_launcher.root);

    int exitCode = kExitNormal;
    if (g_launcher.IsControlsCaptureRun()) {
        ShowWindow(home, SW_SHOWNOACTIVATE);
        exitCode = RunControlsCapture(home,
                                      g_launcher.automation.controlsCaptureFile.parent_path() / L"controls-qa.ini",
                                      g_launcher.automation.controlsCaptureFile);
        DestroyWindow(home);
    } else {
        const int show = (g_launcher.automation.launchRun || playRun) ? SW_HIDE
                         : g_launcher.IsCaptureRun()                    ? SW_SHOWNOACTIVATE
                                                                        : showCommand;
        ShowWindow(home, show);
        UpdateWindow(home);
        if (g_launcher.automation.crashCheck != CrashCheck::None) CrashForCheck(g_launcher.automation.crashCheck);
        if (!automationRun && !playRun) {
            // After the first paint: SDL's start-up never delays the window.
            StartPadNavigation(g_launcher.settings.padNavigation);
            AnnounceLastCrash(home, g_launcher.root);
            StartupUpdateCheck(home);
        }
        if (g_launcher.IsCaptureRun()) OpenCapturePage(home);
        if (g_launcher.automation.launchRun || playRun) {
            PostMessageW(home, kLaunchRequestMessage,
                         static_cast<WPARAM>(g_launcher.settings.selectedGame), 0);
        }
        const int quitCode = RunMessageLoop();
        if (g_launcher.automation.launchRun || g_launcher.automation.playRun) {
            exitCode = static_cast<int>(g_launcher.gameExitCode);
        } else if (g_launcher.IsCaptureRun()) {
            exitCode = quitCode;
        }
    }
    ShutDown();
    return exitCode;
}
