#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "app/launcher_state.h"
#include "app/session_end.h"
#include "controls/last_input.h"
#include "install/folder_browser.h"
#include "install/folder_completion.h"
#include "install/folder_drop.h"
#include "install/folder_picker.h"
#include "install/installation_command.h"
#include "install/installer_entry.h"
#include "install/installer_layout.h"
#include "install/installer_record.h"
#include "install/rom_search.h"
#include "ui/command_buttons.h"
#include "texts/texts.h"
#include "ui/dark_title_bar.h"
#include "ui/language_change.h"
#include "ui/palette.h"
#include "ui/drawing_kit.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"

InstallerRecord g_installer;

namespace {
constexpr wchar_t kCaptureVariable[] = L"TLVR_QA_CAPTURE";

// The games by their titles, which every language keeps.
constexpr const wchar_t* kRomGames[2] = {L"Talvaro GP (World)", L"Kastri GP II (USA)"};
constexpr const char* kRomLabelKeys[2] = {"install.rom_folder.first", "install.rom_folder.second"};
constexpr wchar_t kInstalledLauncher[] = L"TalvaroOvraRecomp.exe";
constexpr DWORD kEditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr LPARAM kProgressRange = 0x640000;  // 0..100

bool CaptureVariableExists() {
    return GetEnvironmentVariableW(kCaptureVariable, nullptr, 0) != 0 ||
           GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

std::wstring DefaultFolder() {
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData))) {
        return {};
    }
    return DefaultInstallationFolder(localAppData);
}

HWND Child(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
           int width, int height, int id) {
    return AddScaledChild(g_installer.layout, parent, className, text, style, x, y, width, height, id);
}

// A child whose text is one text of the table.
HWND TextChild(HWND parent, const wchar_t* className, const char* key, DWORD style, int x, int y, int width,
               int height, int id) {
    HWND child = Child(parent, className, Text(key).c_str(), style, x, y, width, height, id);
    if (child) g_installer.texts.emplace_back(child, key);
    return child;
}

std::wstring InstallerTitle() {
    return FormatText("install.title", {{"product", kProductName}, {"version", kVersionText}});
}

void ShowStatus() {
    const InstallerRecord& r = g_installer;
    if (!r.statusText || !r.statusKey) return;  // a stage line stays as it is
    std::wstring text;
    if (r.statusCount >= 0) {
        text = PluralText(r.statusKey, r.statusCount);
    } else {
        text = FormatText(r.statusKey, {{"path", r.statusValue}});
    }
    SetWindowTextW(r.statusText, text.c_str());
}

void OnCreate(HWND hwnd) {
    InstallerRecord& r = g_installer;
    r.window = hwnd;
    ApplyWindowColours(hwnd);

    r.texts.clear();
    r.statusKey = "install.status.ready";
    r.statusCount = -1;
    TextChild(hwnd, L"STATIC", "install.heading", 0, 24, 20, 700, 32, 0);
    TextChild(hwnd, L"STATIC", "install.explanation", 0, 24, 58, 710, 55, 0);
    HWND browse[2] = {};
    for (int row = 0; row < 2; ++row) {
        const int top = 151 + 62 * row;
        r.romLabels[row] = Child(hwnd, L"STATIC", L"", 0, 24, top - 25, 710, 24, 0);
        r.romEdits[row] = Child(hwnd, L"EDIT", L"", kEditStyle, 24, top, 592, 29, kRomEdit1Id + row);
        browse[row] = TextChild(hwnd, L"BUTTON", "install.browse", WS_TABSTOP, 628, top, 106, 29, kRomBrowse1Id + row);
    }
    TextChild(hwnd, L"STATIC", "install.folder", 0, 24, 316, 710, 24, 0);
    r.destinationEdit =
        Child(hwnd, L"EDIT", DefaultFolder().c_str(), kEditStyle, 24, 342, 592, 29, kDestinationEditId);
    HWND destinationBrowse =
        TextChild(hwnd, L"BUTTON", "install.browse", WS_TABSTOP, 628, 342, 106, 29, kDestinationBrowseId);
    r.progressBar = Child(hwnd, PROGRESS_CLASSW, L"", PBS_SMOOTH, 24, 390, 710, 18, 0);
    SendMessageW(r.progressBar, PBM_SETRANGE, 0, kProgressRange);
    r.statusText = Child(hwnd, L"STATIC", L"", 0, 24, 418, 710, 44, 0);
    // Just before the log box: a screen reader names the box after it, not after the status line.
    TextChild(hwnd, L"STATIC", "install.log", 0, 24, 466, 710, 22, 0);
    r.logBox = Child(hwnd, L"EDIT", L"",
                     WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 24,
                     490, 710, 138, kLogBoxId);
    LiftLogBoxLimit(r.logBox);
    TextChild(hwnd, L"BUTTON", "install.open_logs", WS_TABSTOP, 24, 644, 126, 36, kOpenLogsId);
    r.installButton = Child(hwnd, L"BUTTON", L"", WS_TABSTOP | BS_DEFPUSHBUTTON, 436, 644, 140, 36, kInstallButtonId);
    r.closeButton = Child(hwnd, L"BUTTON", L"", WS_TABSTOP, 590, 644, 144, 36, kCloseButtonId);

    const HWND inputs[6] = {r.romEdits[0], browse[0], r.romEdits[1], browse[1], r.destinationEdit,
                            destinationBrowse};
    std::copy(std::begin(inputs), std::end(inputs), std::begin(r.inputs));
    ApplyInstallerTexts();
    for (HWND edit : {r.romEdits[0], r.romEdits[1], r.destinationEdit}) CompleteFolderNames(edit);
    DragAcceptFiles(hwnd, TRUE);  // a drop on an edit reaches the window too, which places it
    StartRomSearch(hwnd, r.root);  // the window answers at once; the suggestion comes later
}

std::wstring EditText(HWND edit) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
    return text;
}

// The search's end: one folder fills an empty ROM edit 1; several are counted in the status
// line. Nothing is said while a run is active or when the player has typed a folder already.
void OnRomSearchDone(WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<RomSearchResult> result(TakeRomSearchResult(wParam, lParam));
    InstallerRecord& r = g_installer;
    if (result) r.suggested = result->folders;
    if (!result || r.running || r.completed || result->folders.empty()) return;
    if (!EditText(r.romEdits[0]).empty()) return;
    if (result->folders.size() == 1) {
        const std::wstring folder = result->folders.front().folder.wstring();
        SetWindowTextW(r.romEdits[0], folder.c_str());
        SetInstallerStatus("install.status.found_one", folder);
        return;
    }
    SetInstallerStatus("install.status.found_many", {}, static_cast<long long>(result->folders.size()));
}

void OnDestroy() {
    InstallerRecord& r = g_installer;
    // The window only goes while no run is active; should it go anyway, the run goes with it
    // instead of staying "active" for ever with nobody to hear its end.
    if (r.running) {
        r.job.reset();  // kill-on-close ends the script and everything it started
        r.running = false;
    }
    ReleaseSession(HeldRun::Installation);
    StopRomSearch();
    r.suggested.clear();
    if (r.flushTimerPeriod) KillTimer(r.window, kLogFlushTimerId);
    r.flushTimerPeriod = 0;
    r.finishing = false;
    r.pendingLog.Clear();
    r.window = nullptr;
    r.texts.clear();
    r.statusText = nullptr;
    std::fill(std::begin(r.romLabels), std::end(r.romLabels), nullptr);
    std::fill(std::begin(r.inputs), std::end(r.inputs), nullptr);
    ClearScaledWindow(r.layout);
}

// A capture of the window never takes the focus from the desktop.
void CloseInstaller(HWND hwnd) { CloseOwnedWindow(hwnd, CaptureVariableExists()); }

void PlaceFolder(HWND edit, const std::wstring& picked, bool asParent) {
    SetWindowTextW(edit, asParent ? InstallationFolderIn(picked).c_str() : picked.c_str());
}

// A press on a pad opens our folder browser, which the pad drives; a click or a key the system's
// picker.
void PickInto(HWND edit, const char* titleKey, bool asParent) {
    if (LastInputIsController()) {
        FolderBrowserRequest request;
        request.owner = g_installer.window;
        request.titleKey = titleKey;
        request.suggested = g_installer.suggested;
        request.unattended = CaptureVariableExists();
        request.chosen = [edit, asParent](const std::filesystem::path& folder) {
            if (IsWindow(edit)) PlaceFolder(edit, folder.wstring(), asParent);
        };
        OpenFolderBrowser(std::move(request));
        return;
    }
    const std::wstring picked = PickFolder(g_installer.window, Text(titleKey).c_str());
    if (picked.empty()) return;  // cancelled: the edit keeps its text
    PlaceFolder(edit, picked, asParent);
}

void OpenInstalledLauncher(HWND hwnd) {
    const std::filesystem::path destination = g_installer.destination;
    ShellExecuteW(hwnd, L"open", (destination / kInstalledLauncher).c_str(), nullptr, destination.c_str(),
                  SW_SHOWNORMAL);
    CloseInstaller(hwnd);
}

void OnClose(HWND hwnd) {
    if (g_installer.running) {
        StopInstallationRun();
    } else {
        CloseInstaller(hwnd);
    }
}

void OnCommand(HWND hwnd, int id) {
    switch (id) {
    case kRomBrowse1Id:
    case kRomBrowse2Id:
        PickInto(g_installer.romEdits[id - kRomBrowse1Id], "install.picker.rom", false);
        break;
    case kDestinationBrowseId:
        PickInto(g_installer.destinationEdit, "install.picker.destination", true);
        break;
    case kOpenLogsId:
        ShellExecuteW(hwnd, L"open", (g_installer.root / L".local").c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case kInstallButtonId:
        if (g_installer.completed) {
            OpenInstalledLauncher(hwnd);
        } else {
            StartInstallationRun();
        }
        break;
    case kCloseButtonId:
        OnClose(hwnd);
        break;
    default:
        break;
    }
}

bool IsCommand(int id) {
    switch (id) {
    case kRomBrowse1Id:
    case kRomBrowse2Id:
    case kDestinationBrowseId:
    case kOpenLogsId:
    case kInstallButtonId:
    case kCloseButtonId:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK InstallerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
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
            if (!IsCommand(LOWORD(wParam))) break;
            OnCommand(hwnd, LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            OnClose(hwnd);
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            return AnswerControlColours(reinterpret_cast<HDC>(wParam), true);
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            FollowColourChange(hwnd);
            break;
        case WM_DPICHANGED:
            RescaleForDpi(g_installer.layout, hwnd, wParam, lParam);
            return 0;
        case WM_DROPFILES:
            DropOnInstaller(hwnd, reinterpret_cast<HDROP>(wParam));
            return 0;
        case kInstallerLineMessage:
            OnInstallerLine(lParam);
            return 0;
        case kInstallerFinishedMessage:
            OnInstallerFinished(wParam);
            return 0;
        case kLanguageChangedMessage:
            ApplyInstallerTexts();
            return 0;
        case kRomSearchDoneMessage:
            OnRomSearchDone(wParam, lParam);
            return 0;
        case WM_TIMER:
            if (wParam == kLogFlushTimerId) {
                OnLogFlushTimer();
                return 0;
            }
            break;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
        }
    } catch (const std::exception&) {
        // Only allocation can throw here; the message is dropped.
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

void RegisterInstallerWindowClass(HINSTANCE instance, HFONT, const std::filesystem::path& root) {
    g_installer.instance = instance;
    g_installer.root = root;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = InstallerWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = WindowBackgroundBrush();
    wc.lpszClassName = kInstallerClass;
    RegisterClassW(&wc);
}

void OpenInstallerWindow(HWND owner) {
    InstallerRecord& r = g_installer;
    if (RaiseOwnedWindow(r.window)) return;
    r.completed = false;
    const MonitorArea monitor = MonitorAreaOf(owner);
    RECT ownerRect = {};
    if (owner) GetWindowRect(owner, &ownerRect);
    const float scale = InstallerScale(monitor.workArea.bottom - monitor.workArea.top, monitor.dpi);
    StartScaledWindow(r.layout, scale, monitor.dpi);
    const std::wstring title = InstallerTitle();
    OwnedWindowRequest request;
    request.exStyle = WS_EX_DLGMODALFRAME | (CaptureVariableExists() ? WS_EX_NOACTIVATE : 0);
    request.className = kInstallerClass;
    request.title = title.c_str();
    request.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    request.place = PlaceInstaller(ownerRect, monitor.workArea, scale);
    request.owner = owner;
    request.instance = r.instance;
    OpenOwnedWindow(request);
}

void SetInstallerStatus(const char* key, std::wstring value, long long count) {
    InstallerRecord& r = g_installer;
    r.statusKey = key;
    r.statusValue = std::move(value);
    r.statusCount = count;
    ShowStatus();
}

void SetInstallerStageStatus(const std::wstring& stage) {
    InstallerRecord& r = g_installer;
    r.statusKey = nullptr;
    if (r.statusText) SetWindowTextW(r.statusText, stage.c_str());
}

namespace {
// Another language than English has longer words on the buttons: wider Browse buttons beside
// shorter edits, and wider buttons below. English keeps its rectangles.
void PlaceForLanguage() {
    InstallerRecord& r = g_installer;
    const bool english = g_language.tag == "en";
    const int editWidth = english ? 592 : 572;
    const int browseX = english ? 628 : 608;
    const int browseWidth = english ? 106 : 126;
    const int tops[3] = {151, 213, 342};
    for (int row = 0; row < 3; ++row) {
        MoveScaledChild(r.layout, r.inputs[2 * row], 24, tops[row], editWidth, 29);
        MoveScaledChild(r.layout, r.inputs[2 * row + 1], browseX, tops[row], browseWidth, 29);
    }
    MoveScaledChild(r.layout, GetDlgItem(r.window, kOpenLogsId), 24, 644, english ? 126 : 150, 36);
    MoveScaledChild(r.layout, r.installButton, english ? 436 : 386, 644, english ? 140 : 160, 36);
    MoveScaledChild(r.layout, r.closeButton, english ? 590 : 556, 644, english ? 144 : 178, 36);
}
}  // namespace

void ApplyInstallerTexts() {
    InstallerRecord& r = g_installer;
    if (!r.window) return;
    PlaceForLanguage();
    SetWindowTextW(r.window, InstallerTitle().c_str());
    for (const auto& [child, key] : r.texts) SetWindowTextW(child, Text(key).c_str());
    for (int row = 0; row < 2; ++row) {
        SetWindowTextW(r.romLabels[row], FormatText(kRomLabelKeys[row], {{"game", kRomGames[row]}}).c_str());
    }
    SetWindowTextW(r.installButton, Text(r.completed ? "install.open_launcher" : "install.install").c_str());
    SetWindowTextW(r.closeButton, Text(r.running ? "install.stop" : "install.close").c_str());
    ShowStatus();
    FitChildrenToTexts(r.layout, r.window);
}

HWND InstallerWindow() { return g_installer.window; }

bool IsInstallationRunActive() { return g_installer.running; }

bool InstallerDialogFilter(MSG* message) {
    return g_installer.window && IsDialogMessageW(g_installer.window, message);
}
