// The updates window: runs a check as it opens, lists the helper's output and lets the user
// download and install a release. The update-apply run uses the same class with texts of its own.
#include "update/updates_window.h"

#include <shellapi.h>

#include <algorithm>
#include <system_error>

#include "app/file_probe.h"
#include "app/session_end.h"
#include "app/window_size.h"
#include "controls/pad_navigation.h"
#include "ui/command_buttons.h"
#include "ui/dark_title_bar.h"
#include "ui/palette.h"
#include "ui/log_box.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"
#include "ui/scaled_window.h"
#include "update/update_apply_run.h"
#include "update/update_decisions.h"
#include "update/update_protocol.h"
#include "update/update_recovery.h"
#include "update/update_result_file.h"
#include "update/update_state.h"

namespace fs = std::filesystem;

namespace {
constexpr int kWidth = 706;
constexpr int kHeight = 490;
constexpr int kHomeUpdatesButtonId = 207;

constexpr wchar_t kWindowTitle[] = L"Updates";
constexpr wchar_t kApplyWindowTitle[] = L"Talvaro Ovra-Remix Recomp - Update";
constexpr wchar_t kNoteText[] = L"Controls, settings, saves and ROMs are preserved.";
constexpr wchar_t kToolsMissingText[] = L"Install the games first to enable automatic updates.";
constexpr wchar_t kCheckingText[] = L"Checking GitHub...";
constexpr wchar_t kUpToDateText[] = L"You are up to date. Installed launcher: 0.60.";
constexpr wchar_t kUnreachableText[] = L"Could not reach GitHub. You can play offline and try again later.";
constexpr wchar_t kBlockedText[] = L"Close the game or finish the installation before updating.";
constexpr wchar_t kNotInstalledText[] = L"Automatic updates work for an installed copy. Use Install games first.";
constexpr wchar_t kDownloadingText[] = L"Downloading and verifying the update...";
constexpr wchar_t kNotFinishedText[] = L"The update did not finish. Your installed games were not changed.";
constexpr wchar_t kHandOverFailedText[] = L"Could not open the updater. Your installed games were not changed.";
constexpr wchar_t kUpdateAvailableButtonText[] = L"Update available";

struct WindowTexts {
    const wchar_t* title;
    const wchar_t* subtitle;
    const wchar_t* status;
    const wchar_t* closeButton;
};
constexpr WindowTexts kNormalTexts = {
    L"Talvaro Ovra-Remix updates",
    L"Launcher version 0.60. Published Public Test and stable releases are checked on GitHub.",
    L"Check for updates to see the latest version.", L"Close"};
constexpr WindowTexts kApplyTexts = {
    L"Updating Talvaro Ovra-Remix Recomp",
    L"Preparing the update. Keep this window open until it finishes.",
    L"Waiting for the launcher to close...", L"Cancel update"};

struct UpdatesWindowRecord {
    HINSTANCE instance = nullptr;
    ScaledWindow layout;  // its scale is set before each creation
    HWND window = nullptr;
    HWND status = nullptr;
    HWND log = nullptr;
    HWND check = nullptr;
    HWND download = nullptr;
    HWND close = nullptr;
};
UpdatesWindowRecord g_window;

float WorkAreaScale(const RECT& workArea, UINT dpi) {
    const float byHeight = static_cast<float>(workArea.bottom - workArea.top) / 500.0f;
    return std::min(byHeight, static_cast<float>(dpi) / 96.0f);
}

int Scaled(int value) { return static_cast<int>(static_cast<float>(value) * g_window.layout.scale); }

bool ToolsReady() { return PathExists(g_update.interpreter) && PathExists(g_update.script); }

void OnCreate(HWND hwnd) {
    g_window.window = hwnd;
    ApplyWindowColours(hwnd);
    const WindowTexts& texts = g_update.applyMode ? kApplyTexts : kNormalTexts;
    ScaledWindow& l = g_window.layout;
    AddScaledChild(l, hwnd, L"STATIC", texts.title, 0, 24, 22, 650, 30, 0);
    AddScaledChild(l, hwnd, L"STATIC", texts.subtitle, 0, 24, 61, 650, 44, 0);
    g_window.status = AddScaledChild(l, hwnd, L"STATIC", texts.status, 0, 24, 118, 650, 55, 0);
    AddScaledChild(l, hwnd, L"STATIC", kNoteText, 0, 24, 176, 650, 42, 0);
    // Just before the log: a screen reader names the box after it, not after the note.
    AddScaledChild(l, hwnd, L"STATIC", L"Update log", 0, 24, 220, 650, 22, 0);
    g_window.log = AddScaledChild(
        l, hwnd, L"EDIT", L"", WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
        24, 244, 650, 130, 0);
    LiftLogBoxLimit(g_window.log);
    g_window.check = AddScaledChild(l, hwnd, L"BUTTON", L"Check for updates", WS_TABSTOP | BS_DEFPUSHBUTTON, 24,
                                    396, 152, 38, kCheckButtonId);
    g_window.download = AddScaledChild(l, hwnd, L"BUTTON", L"Download and install", WS_TABSTOP, 188, 396, 194,
                                       38, kDownloadButtonId);
    AddScaledChild(l, hwnd, L"BUTTON", L"Open logs", WS_TABSTOP, 394, 396, 120, 38, kOpenLogsButtonId);
    g_window.close =
        AddScaledChild(l, hwnd, L"BUTTON", texts.closeButton, WS_TABSTOP, 526, 396, 148, 38, IDCANCEL);
    RefreshUpdateButtons();
}

void OnDestroy() {
    ClearScaledWindow(g_window.layout);
    g_window.window = g_window.status = g_window.log = nullptr;
    g_window.check = g_window.download = g_window.close = nullptr;
    if (!g_update.owner) PostQuitMessage(0);  // the update-apply run's loop ends with its window
}

void CloseUpdatesWindow(HWND hwnd) { CloseOwnedWindow(hwnd, g_update.automation); }

void OpenFolder(HWND hwnd, const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    ShellExecuteW(hwnd, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OnDownload() {
    if (g_update.busy || g_update.asset.empty()) return;
    if (g_update.idle && !g_update.idle()) {
        SetUpdateStatus(kBlockedText);
        return;
    }
    if (!PathExists(InstalledCopyMarker())) {
        SetUpdateStatus(kNotInstalledText);
        return;
    }
    SetUpdateStatus(kDownloadingText);
    RunUpdateJob(L"prepare");
}

void OnClose(HWND hwnd) {
    if (!g_update.busy || g_update.currentJob == L"check") {
        CloseUpdatesWindow(hwnd);  // a check goes on; its result reaches the home window
    } else if (g_update.currentJob == L"prepare") {
        g_update.cancelRequested = true;
        CancelUpdateJob();
    }
}

void OnCommand(HWND hwnd, int id) {
    if (g_update.applyMode) {
        if (id == IDCANCEL) ApplyRunCancelCommand();
        if (id == kOpenLogsButtonId) OpenFolder(hwnd, g_update.jobFolder);
        return;
    }
    switch (id) {
    case kCheckButtonId:
        if (g_update.busy) return;
        SetUpdateStatus(kCheckingText);
        RunUpdateJob(L"check");
        break;
    case kDownloadButtonId:
        OnDownload();
        break;
    case kOpenLogsButtonId:
        OpenFolder(hwnd, UpdatesFolder());
        break;
    case IDCANCEL:
        OnClose(hwnd);
        break;
    default:
        break;
    }
}

LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: {
        LRESULT answer = 0;
        AnswerSessionEnd(message, wParam, &answer, nullptr);
        return answer;
    }
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (g_update.applyMode) ApplyRunTick();
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return AnswerControlColours(reinterpret_cast<HDC>(wParam), true);
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        FollowColourChange(hwnd);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CLOSE:
        if (g_update.applyMode) {
            ApplyRunCancelCommand();
        } else if (g_update.busy) {
            OnClose(hwnd);
        } else {
            CloseUpdatesWindow(hwnd);
        }
        return 0;
    case WM_DPICHANGED:
        RescaleForDpi(g_window.layout, hwnd, wParam, lParam);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_ACTIVATEAPP:
        PadNavigationAppActivated(wParam != FALSE);  // the update-apply run has no home window
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK UpdatesWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (UpdateMessageFilter(hwnd, message, wParam, lParam)) return 0;
    try {
        return HandleMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception&) {
        return 0;  // allocation or a filesystem call: the message is dropped
    }
}
}  // namespace

void RegisterUpdatesWindowClass(HINSTANCE instance, HFONT, const fs::path& root, bool automationRun,
                                IdleQuery idle) {
    SetUpdateRoot(root);
    g_update.automation = automationRun;
    g_update.idle = idle;
    g_window.instance = instance;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = UpdatesWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = WindowBackgroundBrush();
    windowClass.lpszClassName = kUpdatesWindowClass;
    RegisterClassExW(&windowClass);
}

void OpenUpdatesWindow(HWND owner) {
    if (RaiseOwnedWindow(g_window.window)) return;
    g_update.owner = owner;
    const MonitorArea monitor = MonitorAreaOf(owner);
    StartScaledWindow(g_window.layout, WorkAreaScale(monitor.workArea, monitor.dpi), monitor.dpi);
    RECT home = {};
    GetWindowRect(owner, &home);
    OwnedWindowRequest request;
    request.exStyle = WS_EX_DLGMODALFRAME | (g_update.automation ? WS_EX_NOACTIVATE : 0);
    request.className = kUpdatesWindowClass;
    request.title = kWindowTitle;
    request.style = WS_POPUPWINDOW | WS_VISIBLE | WS_DLGFRAME;
    request.place = CentreOnOwner(home, monitor.workArea, Scaled(kWidth), Scaled(kHeight));
    request.owner = owner;
    request.instance = g_window.instance;
    if (!OpenOwnedWindow(request)) return;

    if (!PathExists(g_update.interpreter)) {
        SetUpdateStatus(kToolsMissingText);
        return;
    }
    if (g_update.busy || g_update.automation) return;
    SetUpdateStatus(kCheckingText);
    RunUpdateJob(L"check");
}

HWND CreateApplyRunWindow(float scale) {
    // No owner to follow: the primary monitor, through the same query as every other window.
    const MonitorArea monitor = MonitorAreaOf(nullptr);
    StartScaledWindow(g_window.layout, scale, monitor.dpi);
    const RECT& workArea = monitor.workArea;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | (g_update.automation ? WS_EX_NOACTIVATE : 0);
    return CreateWindowExW(exStyle, kUpdatesWindowClass, kApplyWindowTitle, WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
                           workArea.left + 40, workArea.top + 40, Scaled(kWidth), Scaled(kHeight), nullptr,
                           nullptr, g_window.instance, nullptr);
}

float ApplyRunWindowScale() {
    const MonitorArea monitor = MonitorAreaOf(nullptr);
    return WorkAreaScale(monitor.workArea, monitor.dpi);
}

HWND UpdatesWindow() { return g_window.window; }

bool UpdatesDialogFilter(MSG* message) {
    return g_window.window && IsDialogMessageW(g_window.window, message);
}

void CleanUpUpdates() {
    g_update.job.reset();  // ends a running update helper and everything it started
}

void SetUpdateStatus(const std::wstring& text) {
    if (g_window.status) SetWindowTextW(g_window.status, text.c_str());
}

void AppendUpdateLog(const std::wstring& line) {
    if (!g_window.log) return;
    AppendLineToLogBox(g_window.log, line, g_update.logFile);
}

void SetUpdateCancelButtonText(const wchar_t* text) {
    if (g_window.close) SetWindowTextW(g_window.close, text);
}

void EnableUpdateCancelButton(bool enable) {
    if (g_window.close) EnableWindow(g_window.close, enable ? TRUE : FALSE);
}

void RefreshUpdateButtons() {
    if (!g_window.window) return;
    const bool checkable = !g_update.busy && !g_update.applyMode && ToolsReady();
    EnableWindow(g_window.check, checkable ? TRUE : FALSE);
    EnableWindow(g_window.download, checkable && !g_update.asset.empty() ? TRUE : FALSE);
    EnableWindow(g_window.close, g_update.busy && g_update.applyStarted ? FALSE : TRUE);
}

void OnNormalJobFinished(DWORD exitCode, const std::wstring& state) {
    const fs::path& result = g_update.resultFile;
    switch (DecideNormalJobEnd(g_update.currentJob, exitCode, state)) {
    case NormalJobOutcome::UpdateAvailable:
        g_update.asset = ReadUpdateResult(result, L"asset");
        SetUpdateStatus(L"Version " + ReadUpdateResult(result, L"version") +
                        L" is available. Download and install it when you are ready.");
        if (g_update.owner) {
            SetDlgItemTextW(g_update.owner, kHomeUpdatesButtonId, kUpdateAvailableButtonText);
            InvalidateRect(GetDlgItem(g_update.owner, kHomeUpdatesButtonId), nullptr, FALSE);
        }
        break;
    case NormalJobOutcome::UpToDate:
        g_update.asset.clear();
        SetUpdateStatus(kUpToDateText);
        break;
    case NormalJobOutcome::Unreachable:
        SetUpdateStatus(kUnreachableText);
        break;
    case NormalJobOutcome::HandOver:
        g_update.jobFolder = ReadUpdateResult(result, L"job");
        g_update.host = ReadUpdateResult(result, L"host");
        if (HandOverToApplyRun(false)) {
            if (g_window.window) CloseOwnedWindow(g_window.window, true);  // the home window closes next
            if (g_update.owner) PostMessageW(g_update.owner, WM_CLOSE, 0, 0);
            return;
        }
        SetUpdateStatus(kHandOverFailedText);
        break;
    case NormalJobOutcome::NotFinished:
        SetUpdateStatus(kNotFinishedText);
        break;
    }
    g_update.cancelRequested = false;
    if (exitCode != 0) {
        const std::wstring error = ReadUpdateResult(result, L"error");
        if (!error.empty()) AppendUpdateLog(error);
    }
    RefreshUpdateButtons();
}
