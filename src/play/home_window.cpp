#include "play/home_window.h"

#include <algorithm>
#include <exception>

#include "app/game_table.h"
#include "app/launcher_state.h"
#include "app/session_end.h"
#include "app/window_size.h"
#include "controls/controls_entry.h"
#include "controls/pad_navigation.h"
#include "install/installer_entry.h"
#include "play/game_launch.h"
#include "play/home_accessibility.h"
#include "play/launch_run_record.h"
#include "play/launcher_settings.h"
#include "play/session_ended_dialog.h"
#include "play/steam_library.h"
#include "ui/command_buttons.h"
#include "ui/dark_title_bar.h"
#include "ui/drawing_kit.h"
#include "ui/home_layout.h"
#include "ui/home_paint.h"
#include "ui/language_change.h"
#include "ui/monitor_area.h"
#include "ui/options_window.h"
#include "ui/owned_window.h"
#include "ui/palette.h"
#include "ui/scaled_window.h"
#include "ui/task_dialog.h"
#include "ui/video_window.h"
#include "ui/window_capture.h"
#include "texts/texts.h"
#include "update/update_entry.h"

namespace {
constexpr int kMinTrackWidth = 920;
constexpr int kMinTrackHeight = 600;
constexpr UINT kCapturePeriodMs = 150;
constexpr int kCaptureTicks = 3;
constexpr int kCaptureFailedQuitCode = 4;
// How long the end of the session waits for a save a scanner refused; Windows gives a program
// about five seconds before it offers to end it.
constexpr DWORD kSessionEndSaveMs = 5000;

constexpr wchar_t kDonationPage[] = L"https://ko-fi.com/talvaroovra";

int g_captureTicks = 0;  // capture runs only
HWND g_focusBeforeDeactivation = nullptr;  // the control that gets the focus back

std::wstring PlayText(int index) { return Text(IsGameInstalled(index) ? "home.play.play" : "home.play.install"); }

// A button paints itself as soon as its text is set: with its drawing held off, a language change
// paints each button once, in the repaint that follows.
void SetButtonTextUnpainted(HWND hwnd, int id, const std::wstring& text) {
    HWND button = GetDlgItem(hwnd, id);
    if (!button) return;
    // Letting drawing go again shows the window: only a shown button is held.
    const bool shown = (GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) SendMessageW(button, WM_SETREDRAW, FALSE, 0);
    SetWindowTextW(button, text.c_str());
    if (shown) SendMessageW(button, WM_SETREDRAW, TRUE, 0);
}

// The buttons' texts in the current language.
void ApplyHomeButtonTexts(HWND hwnd) {
    struct ButtonText {
        int id;
        const char* key;
    };
    static constexpr ButtonText kButtons[] = {
        {kVideoId, "home.button.video"},     {kControlsId, "home.button.controls"},
        {kInstallId, "home.button.install"}, {kAboutId, "home.button.about"},
        {kOptionsId, "home.button.options"},
    };
    for (const ButtonText& button : kButtons) SetButtonTextUnpainted(hwnd, button.id, Text(button.key));
    // A found update stays announced, in the new language.
    SetButtonTextUnpainted(hwnd, kUpdatesId, Text(HomeUpdatesButtonKey()));
    SetButtonTextUnpainted(hwnd, kPlayId, PlayText(g_launcher.settings.selectedGame));
}

bool GameRunning() { return g_launcher.gameProcess != nullptr; }

void OnCreate(HWND hwnd) {
    g_launcher.homeWindow = hwnd;
    AskForDarkTitleBar(hwnd);
    // The controls are created where this layout puts them.
    RECT client = {};
    GetClientRect(hwnd, &client);
    SetHomeCanvasFit(FitHomeCanvas(client.right - client.left, client.bottom - client.top));
    CreateOwnerDrawnControl(hwnd, kGames[0].title, kCardGame1Id);
    CreateOwnerDrawnControl(hwnd, kGames[1].title, kCardGame2Id);
    for (int id : {kPlayId, kVideoId, kControlsId, kInstallId, kUpdatesId, kAboutId, kOptionsId})
        CreateOwnerDrawnControl(hwnd, L"", id);
    ApplyHomeButtonTexts(hwnd);
    GiveHomeControlsAccessibleFacts(hwnd);
    LayoutHomeControls(hwnd);
    if (HWND card = GameCard(g_launcher.settings.selectedGame)) SetFocus(card);
    // Only a capture run has a use for it; any other run would wake every 150 ms for nothing.
    if (g_launcher.IsCaptureRun()) SetTimer(hwnd, kCaptureTimerId, kCapturePeriodMs, nullptr);
}

void OnDestroy() {
    SaveLauncherSettings();
    ForgetHomeControls();
    g_focusBeforeDeactivation = nullptr;
    g_launcher.homeWindow = nullptr;
    PostQuitMessage(0);
}

// Windows ends the session and the process with it once this returns: the newest settings go
// to the disk and a running game's session is recorded as it stands. Nothing else waits.
void OnSessionEnd(HWND hwnd) {
    SaveLauncherSettings();
    FinishLauncherSettingsSavesWithin(kSessionEndSaveMs);
    if (GameRunning()) {
        KillTimer(hwnd, kGameWatchTimerId);
        RecordGameSessionAtSessionEnd();
    }
}

// The home window's scale is the Launcher's: the UI font follows it.
void FollowHomeDpi(UINT dpi) {
    g_launcher.dpiScale = static_cast<float>(dpi) / 96.0f;
    ScaleUiFont(g_launcher.dpiScale);
}

void OnDpiChanged(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    FollowHomeDpi(HIWORD(wParam));
    TakeSuggestedRect(hwnd, lParam);
    LayoutHomeControls(hwnd);
}

bool OnKeyDown(WPARAM key) {
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
        SelectGame((g_launcher.settings.selectedGame + 1) % kGameCount);
        return true;
    case VK_RETURN:
        LaunchSelectedGame();
        return true;
    default:
        return false;
    }
}

void OnCommand(HWND hwnd, int id) {
    switch (id) {
    case kCardGame1Id:
    case kCardGame2Id:
        SelectGame(id - kCardGame1Id);
        break;
    case kPlayId:
        LaunchSelectedGame();
        break;
    case kVideoId:
        OpenVideoWindow();
        break;
    case kControlsId:
        if (!GameRunning()) OpenControlsEditor(hwnd, g_launcher.root / L".local" / L"controls.ini");
        break;
    case kInstallId:
        if (!GameRunning()) OpenInstallerWindow(hwnd);
        break;
    case kAboutId:
        ShowAboutDialog(hwnd, AboutText());
        break;
    case kUpdatesId:
        OpenUpdatesWindow(hwnd);
        break;
    case kOptionsId:
        OpenOptionsWindow();
        break;
    case kAddToSteamCommandId:
        // Over the options window when its row asked.
        RunAddToSteam(OptionsWindow() ? OptionsWindow() : hwnd);
        break;
    default:
        break;
    }
}

void OnClose(HWND hwnd) {
    if (IsInstallationRunActive()) {
        OpenInstallerWindow(hwnd);  // brings the running installation to the front
    } else if (GameRunning()) {
        ShowMessageBox(hwnd, Text("home.game_running.body"), Text("home.game_running.title"), MB_OK);
    } else {
        DestroyWindow(hwnd);
    }
}

void OnGameWatch(HWND hwnd) {
    HANDLE process = g_launcher.gameProcess;
    if (!process || WaitForSingleObject(process, 0) != WAIT_OBJECT_0) return;
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    g_launcher.gameExitCode = exitCode;
    CloseHandle(process);
    g_launcher.gameProcess = nullptr;
    KillTimer(hwnd, kGameWatchTimerId);
    RecordEndedGameSession(exitCode);

    if (g_launcher.automation.launchRun) {
        WriteLaunchRunRecord(g_launcher.root, g_launcher.settings.selectedGame, exitCode);
        DestroyWindow(hwnd);  // the process then exits with the game's code
        return;
    }
    if (g_launcher.automation.playRun) {
        // Straight back to where the player came from; a failed session is still reported.
        if (exitCode != 0) {
            StartPadNavigation(g_launcher.settings.padNavigation);
            // The home window was never shown: a dialog it owned would have no taskbar button and
            // could open unseen behind the program that started the game. Unowned, it has one.
            ShowSessionEndedDialog(nullptr, exitCode, g_launcher.gameStart.index);
        }
        DestroyWindow(hwnd);
        return;
    }
    ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
    if (exitCode != 0) ShowSessionEndedDialog(hwnd, exitCode, g_launcher.gameStart.index);
}

// The secondary window a capture run photographs: the one its page opened, else the home window.
HWND CaptureTarget(HWND home) {
    if (HWND installer = InstallerWindow()) return installer;
    if (HWND updates = UpdatesWindow()) return updates;
    if (g_launcher.videoWindow) return g_launcher.videoWindow;
    if (HWND options = OptionsWindow()) return options;
    if (HWND editor = ControlsEditorWindow()) return editor;
    return home;
}

void OnCaptureTick(HWND hwnd) {
    if (!g_launcher.IsCaptureRun()) return;
    if (++g_captureTicks < kCaptureTicks) return;
    KillTimer(hwnd, kCaptureTimerId);
    HWND target = CaptureTarget(hwnd);
    const bool written = CaptureWindowToPng(target, g_launcher.automation.captureFile);
    if (target != hwnd) CloseOwnedWindow(target, true);
    DestroyWindow(hwnd);
    PostQuitMessage(written ? 0 : kCaptureFailedQuitCode);
}

void OnLaunchRequest(HWND hwnd, WPARAM wParam) {
    g_launcher.settings.selectedGame = LaunchRequestGameIndex(wParam);
    if (g_launcher.automation.playRun) {
        if (!IsGameInstalled(g_launcher.settings.selectedGame)) {
            // As PLAY would: the home window with the installer. The run goes on as a normal run.
            g_launcher.automation.playRun = false;
            SetDlgItemTextW(hwnd, kPlayId, PlayText(g_launcher.settings.selectedGame).c_str());
            ShowWindow(hwnd, SW_SHOW);
            UpdateWindow(hwnd);
            StartPadNavigation(g_launcher.settings.padNavigation);
        }
    }
    LaunchSelectedGame();
    if (g_launcher.automation.playRun && !g_launcher.gameProcess) {
        g_launcher.gameExitCode = kExitLaunchRunStartFailed;  // "Launch failed" has been shown
        DestroyWindow(hwnd);
    }
}

LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: {
        LRESULT answer = 0;
        bool finishWork = false;
        AnswerSessionEnd(message, wParam, &answer, &finishWork);
        if (finishWork) OnSessionEnd(hwnd);
        return answer;
    }
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) LayoutHomeControls(hwnd);
        RefreshPadNavigation();  // minimised: the controllers close; restored: they open
        return 0;
    case WM_ACTIVATEAPP:
        PadNavigationAppActivated(wParam != FALSE);
        break;
    case WM_ACTIVATE:
        // As a dialog box does: the focused control keeps the focus across a secondary window
        // or a message box, so the keyboard and the pad go on from where they were.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) g_focusBeforeDeactivation = focus;
        } else if (!HIWORD(wParam) && g_focusBeforeDeactivation && IsChild(hwnd, g_focusBeforeDeactivation)) {
            SetFocus(g_focusBeforeDeactivation);
            return 0;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC hdc = BeginPaint(hwnd, &paint);
        PaintHomeBackground(hwnd, hdc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintHomeBackground(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the background painter covers every pixel
    case WM_DRAWITEM:
        DrawHomeItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = static_cast<LONG>(kMinTrackWidth * g_launcher.dpiScale);
        info->ptMinTrackSize.y = static_cast<LONG>(kMinTrackHeight * g_launcher.dpiScale);
        return 0;
    }
    case WM_DPICHANGED:
        OnDpiChanged(hwnd, wParam, lParam);
        return 0;
    case WM_GETOBJECT:
        if (LRESULT answer = AnswerHomeGetObject(hwnd, wParam, lParam)) return answer;
        break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        // The pictures kept for painting were drawn in the old colours.
        RefreshPalette();
        ForgetHomeCanvas();
        AskForDarkTitleBar(hwnd);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
        break;
    case kLanguageChangedMessage:
        // The painted texts were composed in the old language.
        ApplyHomeButtonTexts(hwnd);
        ForgetHomeTexts();
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return 0;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam)) return 0;
        break;
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        OnClose(hwnd);
        return 0;
    case WM_TIMER:
        if (wParam == kGameWatchTimerId) {
            OnGameWatch(hwnd);
        } else if (wParam == kCaptureTimerId) {
            OnCaptureTick(hwnd);
        }
        return 0;
    case kLaunchRequestMessage:
        OnLaunchRequest(hwnd, wParam);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

HWND CreateHomeWindow(HINSTANCE instance) {
    const std::wstring sizeVariable = [] {
        wchar_t buffer[64] = {};
        const DWORD length = GetEnvironmentVariableW(L"TLVR_QA_LAUNCHER_SIZE", buffer, 64);
        return (length > 0 && length < 64) ? std::wstring(buffer, length) : std::wstring();
    }();
    auto place = [&](const MonitorArea& monitor) {
        return HomeWindowPlacement(monitor.workArea, static_cast<float>(monitor.dpi) / 96.0f,
                                   g_launcher.automation.requestedWidth, g_launcher.automation.requestedHeight,
                                   sizeVariable.empty() ? nullptr : sizeVariable.c_str());
    };
    MonitorArea primary = MonitorAreaOf(nullptr);
    primary.dpi = static_cast<UINT>(g_launcher.dpiScale * 96.0f + 0.5f);
    const WindowPlacement first = place(primary);
    const std::wstring title = std::wstring(kProductName) + L" - " + kVersionText;
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const DWORD exStyle = g_launcher.IsAutomationRun() ? WS_EX_NOACTIVATE : 0;
    HWND home = CreateWindowExW(exStyle, kHomeWindowClass, title.c_str(), style, first.x, first.y, first.width,
                                first.height, nullptr, nullptr, instance, nullptr);
    if (!home) return nullptr;
    // A new window has the DPI of the monitor it opens on, which need not be the system DPI the
    // first guess used: sized again, still hidden, for that monitor.
    const MonitorArea opened = MonitorAreaOf(home);
    if (opened.dpi != primary.dpi) {
        FollowHomeDpi(opened.dpi);
        const WindowPlacement again = place(opened);
        SetWindowPos(home, nullptr, again.x, again.y, again.width, again.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return home;
}

void SelectGame(int index) {
    const int before = g_launcher.settings.selectedGame;
    g_launcher.settings.selectedGame = std::clamp(index, 0, kGameCount - 1);
    for (int game = 0; game < kGameCount; ++game) {
        if (HWND card = GameCard(game)) InvalidateRect(card, nullptr, FALSE);
    }
    if (HWND home = g_launcher.homeWindow) {
        SetDlgItemTextW(home, kPlayId, PlayText(g_launcher.settings.selectedGame).c_str());
        InvalidateRect(home, nullptr, FALSE);
        if (before != g_launcher.settings.selectedGame) NotifyHomeSelectionChanged(home);
    }
    SaveLauncherSettings();
}

bool IsLauncherIdle() { return g_launcher.gameProcess == nullptr && !IsInstallationRunActive(); }

int LaunchRequestGameIndex(WPARAM wParam) {
    // Only the low 32 bits carry the index, read as signed: a "negative" index means game 1.
    const int requested = static_cast<int>(static_cast<unsigned int>(wParam & 0xFFFFFFFFu));
    return std::clamp(requested, 0, kGameCount - 1);
}

std::wstring AboutText() {
    return FormatText("about.body", {{"product", kProductName}, {"version", kVersionText}, {"page", kDonationPage}});
}

LRESULT CALLBACK HomeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (UpdateMessageFilter(hwnd, message, wParam, lParam)) return 0;
    try {
        return HandleMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception&) {
        // Only allocation can throw here; a message that could not be handled is dropped.
        return 0;
    }
}
