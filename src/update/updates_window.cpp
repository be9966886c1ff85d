// The updates window: runs a check as it opens, lists the helper's output and lets the user
// download and install a release. The update-apply run uses the same class with texts of its own.
#include "update/updates_window.h"

#include <shellapi.h>

#include <algorithm>
#include <system_error>
#include <vector>

#include "app/file_probe.h"
#include "app/launcher_state.h"
#include "app/session_end.h"
#include "app/window_size.h"
#include "controls/pad_navigation.h"
#include "ui/command_buttons.h"
#include "texts/texts.h"
#include "ui/dark_title_bar.h"
#include "ui/language_change.h"
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

// The texts' keys: a normal run's and the update-apply run's, where they differ.
struct WindowTexts {
    const char* windowTitle;
    const char* title;
    const char* subtitle;
    const char* status;
    const char* closeButton;
};
constexpr WindowTexts kNormalTexts = {"updates.window_title", "updates.title", "updates.subtitle",
                                      "updates.status.start", "updates.close"};
constexpr WindowTexts kApplyTexts = {"update_apply.window_title", "update_apply.title", "update_apply.subtitle",
                                     "update_apply.status.waiting", "update_apply.cancel"};

struct StatusArg {
    std::string name;
    std::wstring value;
};
// A status from the table, kept so that a language change shows it again in the new language.
struct ShownStatus {
    std::string key;  // empty: a line of the helper's, shown as it came
    std::vector<StatusArg> args;
};

struct UpdatesWindowRecord {
    HINSTANCE instance = nullptr;
    ScaledWindow layout;  // its scale is set before each creation
    HWND window = nullptr;
    HWND title = nullptr;
    HWND subtitle = nullptr;
    HWND note = nullptr;
    HWND logLabel = nullptr;
    HWND openLogs = nullptr;
    HWND status = nullptr;
    ShownStatus shownStatus;
    std::string closeKey;
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

const WindowTexts& Texts() { return g_update.applyMode ? kApplyTexts : kNormalTexts; }

std::wstring StatusText(const ShownStatus& status) {
    std::wstring text = Text(status.key);
    for (const StatusArg& arg : status.args) text = FillPlaceholders(text, {{arg.name, arg.value}});
    return text;
}

// Every text of the window from the table: at its creation and when the language changes.
void ApplyUpdatesTexts() {
    const WindowTexts& texts = Texts();
    SetWindowTextW(g_window.window, Text(texts.windowTitle).c_str());
    SetWindowTextW(g_window.title, Text(texts.title).c_str());
    SetWindowTextW(g_window.subtitle, FormatText(texts.subtitle, {{"version", kVersionText}}).c_str());
    SetWindowTextW(g_window.note, Text("updates.note").c_str());
    SetWindowTextW(g_window.logLabel, Text("updates.log_label").c_str());
    SetWindowTextW(g_window.check, Text("updates.check").c_str());
    SetWindowTextW(g_window.download, Text("updates.download").c_str());
    SetWindowTextW(g_window.openLogs, Text("updates.open_logs").c_str());
    SetWindowTextW(g_window.close, Text(g_window.closeKey.c_str()).c_str());
    if (!g_window.shownStatus.key.empty()) SetWindowTextW(g_window.status, StatusText(g_window.shownStatus).c_str());
    FitChildrenToTexts(g_window.layout, g_window.window);
}

void OnCreate(HWND hwnd) {
    g_window.window = hwnd;
    ApplyWindowColours(hwnd);
    g_window.shownStatus = {Texts().status, {}};
    g_window.closeKey = Texts().closeButton;
    ScaledWindow& l = g_window.layout;
    g_window.title = AddScaledChild(l, hwnd, L"STATIC", L"", 0, 24, 22, 650, 30, 0);
    g_window.subtitle = AddScaledChild(l, hwnd, L"STATIC", L"", 0, 24, 61, 650, 44, 0);
    g_window.status = AddScaledChild(l, hwnd, L"STATIC", L"", 0, 24, 118, 650, 55, 0);
    g_window.note = AddScaledChild(l, hwnd, L"STATIC", L"", 0, 24, 176, 650, 42, 0);
    // Just before the log: a screen reader names the box after it, not after the note.
    g_window.logLabel = AddScaledChild(l, hwnd, L"STATIC", L"", 0, 24, 220, 650, 22, 0);
    g_window.log = AddScaledChild(
        l, hwnd, L"EDIT", L"", WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
        24, 244, 650, 130, 0);
    LiftLogBoxLimit(g_window.log);
    g_window.check = AddScaledChild(l, hwnd, L"BUTTON", L"", WS_TABSTOP | BS_DEFPUSHBUTTON, 24, 396, 152, 38,
                                    kCheckButtonId);
    g_window.download = AddScaledChild(l, hwnd, L"BUTTON", L"", WS_TABSTOP, 188, 396, 194, 38, kDownloadButtonId);
    g_window.openLogs = AddScaledChild(l, hwnd, L"BUTTON", L"", WS_TABSTOP, 394, 396, 120, 38, kOpenLogsButtonId);
    g_window.close = AddScaledChild(l, hwnd, L"BUTTON", L"", WS_TABSTOP, 526, 396, 148, 38, IDCANCEL);
    ApplyUpdatesTexts();
    RefreshUpdateButtons();
}

void OnDestroy() {
    ClearScaledWindow(g_window.layout);
    g_window.window = g_window.status = g_window.log = nullptr;
    g_window.title = g_window.subtitle = g_window.note = g_window.logLabel = g_window.openLogs = nullptr;
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
        ShowUpdateStatus("updates.status.blocked");
        return;
    }
    if (!PathExists(InstalledCopyMarker())) {
        ShowUpdateStatus("updates.status.not_installed");
        return;
    }
    ShowUpdateStatus("updates.status.downloading");
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
        ShowUpdateStatus("updates.status.checking");
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
    case kLanguageChangedMessage:
        ApplyUpdatesTexts();
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
    const std::wstring title = Text(kNormalTexts.windowTitle);
    request.title = title.c_str();
    request.style = WS_POPUPWINDOW | WS_VISIBLE | WS_DLGFRAME;
    request.place = CentreOnOwner(home, monitor.workArea, Scaled(kWidth), Scaled(kHeight));
    request.owner = owner;
    request.instance = g_window.instance;
    if (!OpenOwnedWindow(request)) return;

    if (!PathExists(g_update.interpreter)) {
        ShowUpdateStatus("updates.status.tools_missing");
        return;
    }
    if (g_update.busy || g_update.automation) return;
    ShowUpdateStatus("updates.status.checking");
    RunUpdateJob(L"check");
}

HWND CreateApplyRunWindow(float scale) {
    // No owner to follow: the primary monitor, through the same query as every other window.
    const MonitorArea monitor = MonitorAreaOf(nullptr);
    StartScaledWindow(g_window.layout, scale, monitor.dpi);
    const RECT& workArea = monitor.workArea;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | (g_update.automation ? WS_EX_NOACTIVATE : 0);
    const std::wstring title = Text(kApplyTexts.windowTitle);
    return CreateWindowExW(exStyle, kUpdatesWindowClass, title.c_str(), WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
                           workArea.left + 40, workArea.top + 40, Scaled(kWidth), Scaled(kHeight), nullptr,
                           nullptr, g_window.instance, nullptr);
}

float ApplyRunWindowScale() {
    const MonitorArea monitor = MonitorAreaOf(nullptr);
    return WorkAreaScale(monitor.workArea, monitor.dpi);
}

HWND UpdatesWindow() { return g_window.window; }

const char* HomeUpdatesButtonKey() {
    return g_update.asset.empty() ? "home.button.updates" : "updates.home_button.available";
}

bool UpdatesDialogFilter(MSG* message) {
    return g_window.window && IsDialogMessageW(g_window.window, message);
}

void CleanUpUpdates() {
    g_update.job.reset();  // ends a running update helper and everything it started
}

void SetUpdateStatus(const std::wstring& text) {
    g_window.shownStatus = {};
    if (g_window.status) SetWindowTextW(g_window.status, text.c_str());
}

void ShowUpdateStatus(const char* key, std::initializer_list<TextArg> args) {
    ShownStatus status{key, {}};
    for (const TextArg& arg : args) status.args.push_back({std::string(arg.name), std::wstring(arg.value)});
    if (g_window.status) SetWindowTextW(g_window.status, StatusText(status).c_str());
    g_window.shownStatus = std::move(status);
}

void AppendUpdateLog(const std::wstring& line) {
    if (!g_window.log) return;
    AppendLineToLogBox(g_window.log, line, g_update.logFile);
}

void SetUpdateCancelButtonText(const char* key) {
    g_window.closeKey = key;
    if (g_window.close) SetWindowTextW(g_window.close, Text(key).c_str());
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
        ShowUpdateStatus("updates.status.available", {{"version", ReadUpdateResult(result, L"version")}});
        if (g_update.owner) {
            SetDlgItemTextW(g_update.owner, kHomeUpdatesButtonId, Text(HomeUpdatesButtonKey()).c_str());
            InvalidateRect(GetDlgItem(g_update.owner, kHomeUpdatesButtonId), nullptr, FALSE);
        }
        break;
    case NormalJobOutcome::UpToDate:
        g_update.asset.clear();
        ShowUpdateStatus("updates.status.up_to_date", {{"version", kVersionText}});
        break;
    case NormalJobOutcome::Unreachable:
        ShowUpdateStatus("updates.status.unreachable");
        break;
    case NormalJobOutcome::HandOver:
        g_update.jobFolder = ReadUpdateResult(result, L"job");
        g_update.host = ReadUpdateResult(result, L"host");
        if (HandOverToApplyRun(false)) {
            if (g_window.window) CloseOwnedWindow(g_window.window, true);  // the home window closes next
            if (g_update.owner) PostMessageW(g_update.owner, WM_CLOSE, 0, 0);
            return;
        }
        ShowUpdateStatus("updates.status.hand_over_failed");
        break;
    case NormalJobOutcome::NotFinished:
        ShowUpdateStatus("updates.status.not_finished");
        break;
    }
    g_update.cancelRequested = false;
    if (exitCode != 0) {
        const std::wstring error = ReadUpdateResult(result, L"error");
        if (!error.empty()) AppendUpdateLog(error);
    }
    RefreshUpdateButtons();
}
