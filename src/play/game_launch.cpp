#include "play/game_launch.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

#include "app/command_line.h"
#include "app/game_table.h"
#include "app/verified_file_replace.h"
#include "app/win_owners.h"
#include "controls/pad_navigation.h"
#include "install/installer_entry.h"
#include "play/home_window.h"
#include "play/launcher_settings.h"
#include "play/play_time.h"
#include "play/session_record.h"
#include "texts/texts.h"
#include "ui/command_buttons.h"
#include "ui/task_dialog.h"

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kFixedArguments[] = L" --no-launcher --pacing accurate";
constexpr UINT kGameWatchPeriodMs = 300;

// The eight variables, in the order they are set and removed again.
constexpr const wchar_t* kGameVariables[] = {
    L"TLVR_ASPECT",         L"TLVR_ORIGINAL",   L"QUENDAL_SCREEN",   L"RR_CONTROLS_PROFILE",
    L"TLVR_CONTROLS_FILE",  L"RR_OUTPUT_WIDTH", L"RR_OUTPUT_HEIGHT", L"RR_SHADER_PATH",
};

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Sets the game's variables for one start and, outside a launch run, removes them again when
// the start is over, whatever its outcome: nothing else in the Launcher may see them.
class GameEnvironmentScope {
public:
    GameEnvironmentScope(const GameEnvironment& environment, bool keep) : keep_(keep) {
        for (const auto& [name, value] : environment) {
            SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
        }
    }
    ~GameEnvironmentScope() {
        if (keep_) return;
        for (const wchar_t* name : kGameVariables) SetEnvironmentVariableW(name, nullptr);
    }
    GameEnvironmentScope(const GameEnvironmentScope&) = delete;
    GameEnvironmentScope& operator=(const GameEnvironmentScope&) = delete;

private:
    bool keep_;
};

enum class StartResult { Started, Failed };

StartResult StartGame(int index, const GamePlaces& places) {
    const bool launchRun = g_launcher.automation.launchRun;
    const fs::path folder = GameFolder(places, index);
    const fs::path executable = folder / (std::wstring(kGames[index].stem) + L".exe");

    // On the disk before the game starts: a game, or anything it starts, may read them there.
    SaveLauncherSettings();
    FinishLauncherSettingsSaves();
    const GameEnvironmentScope environment(GameEnvironmentFor(g_launcher.settings, places.root), launchRun);

    // The game's own keys in the file stay; a failed write leaves the file as it was.
    std::vector<ProfileValue> gameKeys;
    for (const GameSettingsKey& entry : GameSettingsKeysFor(g_launcher.settings)) {
        gameKeys.push_back({entry.section, entry.key, entry.value});
    }
    ReplaceProfileFileVerified(folder / L"settings.ini", gameKeys);

    const fs::path logFile = GameLogFile(places.root, index);
    std::error_code error;
    fs::create_directories(logFile.parent_path(), error);
    if (error || !fs::is_directory(logFile.parent_path(), error)) return StartResult::Failed;

    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueHandle log(CreateFileW(logFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    UniqueHandle nul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                 OPEN_EXISTING, 0, nullptr));

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    // Redirect only as a pair: a half-redirected game would inherit one stray handle.
    const bool redirect = log.valid() && nul.valid();
    if (redirect) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = log.get();
        startup.hStdError = log.get();
        startup.hStdInput = nul.get();
    }

    std::optional<LaunchRunAdditions> additions;
    if (launchRun) {
        additions = ReadLaunchRunAdditions(ReadEnvironmentVariable(L"TLVR_QA_FRAMES"),
                                           ReadEnvironmentVariable(L"TLVR_QA_SCRIPT"));
    }
    std::wstring commandLine = GameCommandLine(executable, RomInput(places, index), additions);

    PROCESS_INFORMATION info = {};
    const BOOL created = CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr,
                                        redirect ? TRUE : FALSE, CREATE_NO_WINDOW, nullptr,
                                        folder.c_str(), &startup, &info);
    log.reset();
    nul.reset();
    if (!created) return StartResult::Failed;

    UniqueHandle thread(info.hThread);
    g_launcher.gameProcess = info.hProcess;
    GetSystemTimeAsFileTime(&g_launcher.gameStart.utc);
    g_launcher.gameStart.tick = GetTickCount64();
    g_launcher.gameStart.index = index;
    return StartResult::Started;
}

// A launch run has nobody to answer a window: it ends with its own code and no record.
void EndLaunchRun(DWORD exitCode) {
    g_launcher.gameExitCode = exitCode;
    if (g_launcher.homeWindow) DestroyWindow(g_launcher.homeWindow);
}
}  // namespace

LaunchRunAdditions ReadLaunchRunAdditions(const std::optional<std::wstring>& frames,
                                          const std::optional<std::wstring>& script) {
    LaunchRunAdditions additions;
    if (frames) additions.frames = ReadNumberLikeWtoi(*frames);
    additions.script = script;
    return additions;
}

std::wstring GameCommandLine(const fs::path& executable, const fs::path& rom,
                             const std::optional<LaunchRunAdditions>& launchRun) {
    std::wstring line = Quoted(executable.wstring()) + L" " + Quoted(rom.wstring()) + kFixedArguments;
    if (launchRun) {
        line += L" --turbo --max-frames " + std::to_wstring(launchRun->frames);
        if (launchRun->script) line += L" --input-script " + Quoted(*launchRun->script);
    }
    return line;
}

GameEnvironment GameEnvironmentFor(const LauncherSettings& raw, const fs::path& root) {
    const LauncherSettings settings = ClampSettings(raw);
    const DisplayFilter& filter = kFilters[settings.filter];
    const Resolution& resolution = kResolutions[settings.size];
    std::optional<std::wstring> shader;
    if (filter.shaderPreset) {
        shader = (root / L"assets" / L"shaders" / L"koko-aio" / L"Presets-ng" / filter.shaderPreset).wstring();
    }
    return {
        {kGameVariables[0], std::wstring(kAspectLabels[settings.aspect])},
        {kGameVariables[1], std::wstring(settings.zoom ? L"0" : L"1")},
        {kGameVariables[2], std::wstring(filter.screenMode)},
        {kGameVariables[3], std::wstring(L"1")},
        {kGameVariables[4], (root / L".local" / L"controls.ini").wstring()},
        {kGameVariables[5], std::to_wstring(resolution.width)},
        {kGameVariables[6], std::to_wstring(resolution.height)},
        {kGameVariables[7], shader},
    };
}

std::vector<GameSettingsKey> GameSettingsKeysFor(const LauncherSettings& settings) {
    return {
        {L"video", L"fullscreen", settings.fullScreen ? L"1" : L"0"},
        {L"video", L"linear_filter", settings.filter == kLinearFilter ? L"1" : L"0"},
        {L"rewind", L"enabled", L"0"},
    };
}

fs::path GameLogFile(const fs::path& root, int index) {
    return root / L".local" / L"logs" / (std::wstring(kGames[index].stem) + L"-latest.log");
}

std::optional<std::wstring> ReadEnvironmentVariable(const wchar_t* name) {
    std::wstring value(64, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // too small: length includes the terminator
    }
}

void LaunchSelectedGame() {
    if (g_launcher.gameProcess) return;  // one game at a time
    HWND home = g_launcher.homeWindow;
    const bool launchRun = g_launcher.automation.launchRun;
    const int index = std::clamp(g_launcher.settings.selectedGame, 0, kGameCount - 1);

    StartResult result = StartResult::Failed;
    try {
        const GamePlaces places = CurrentGamePlaces();
        if (!IsGameInstalled(places, index)) {
            if (launchRun) {
                EndLaunchRun(kExitLaunchRunNotInstalled);
            } else {
                OpenInstallerWindow(home);
            }
            return;
        }
        ReleaseControllersForGame();  // the game gets every controller to itself
        result = StartGame(index, places);
    } catch (const std::exception&) {
        result = StartResult::Failed;  // out of memory while building paths: nothing started
    }

    if (result == StartResult::Failed) {
        if (launchRun) {
            EndLaunchRun(kExitLaunchRunStartFailed);
        } else {
            if (g_launcher.automation.playRun) StartPadNavigation(g_launcher.settings.padNavigation);
            RefreshPadNavigation();
            ShowMessageBox(home, Text("launch_failed.body"), Text("launch_failed.title"), MB_ICONERROR);
        }
        return;
    }
    if (!launchRun && !g_launcher.automation.playRun) ShowWindow(home, SW_MINIMIZE);
    SetTimer(home, kGameWatchTimerId, kGameWatchPeriodMs, nullptr);
}

namespace {
void RecordGameSession(DWORD exitCode, bool cutBySessionEnd) {
    if (g_launcher.automation.launchRun) return;  // the package's checks are not the player's sessions
    GameSession session;
    session.startUtc = IsoUtcText(g_launcher.gameStart.utc);
    session.gameNumber = g_launcher.gameStart.index + 1;
    session.seconds = (GetTickCount64() - g_launcher.gameStart.tick) / 1000;
    session.exitCode = exitCode;
    session.cutBySessionEnd = cutBySessionEnd;
    NoteEndedSession(session);
    CardStatusChanged();
    try {
        AppendGameSession(g_launcher.root, session);
    } catch (const std::exception&) {
        // Out of memory while writing the record: the session goes unrecorded.
    }
}
}  // namespace

void RecordEndedGameSession(DWORD exitCode) { RecordGameSession(exitCode, false); }

void RecordGameSessionAtSessionEnd() {
    if (!g_launcher.gameProcess) return;
    RecordGameSession(0, true);
    // Recorded once: should the process live on, the game's end is not recorded again.
    CloseHandle(g_launcher.gameProcess);
    g_launcher.gameProcess = nullptr;
}
