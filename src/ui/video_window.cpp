#include "ui/video_window.h"

#include <string>

#include "app/launcher_state.h"
#include "play/launcher_settings.h"
#include "ui/command_buttons.h"
#include "texts/texts.h"
#include "ui/dark_title_bar.h"
#include "ui/palette.h"
#include "ui/drawing_kit.h"
#include "ui/language_change.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"
#include "ui/scaled_window.h"

namespace {
constexpr float kDesignWidth = 510.0f;
constexpr float kDesignHeight = 540.0f;

// The aspect list and Save share id 1; only a notification with high word 0 is Save.
constexpr int kAspectListId = 1;
constexpr int kResolutionListId = 2;
constexpr int kFilterListId = 3;
constexpr int kZoomBoxId = 4;
constexpr int kFullScreenBoxId = 5;
constexpr int kSaveId = 1;


struct VideoWindowState {
    ScaledWindow layout;  // its scale is chosen when the window opens
    HWND aspectList = nullptr;
    HWND resolutionList = nullptr;
    HWND filterList = nullptr;
    HWND zoomBox = nullptr;
    HWND fullScreenBox = nullptr;
    HWND aspectLabel = nullptr;
    HWND resolutionLabel = nullptr;
    HWND filterLabel = nullptr;
    HWND note = nullptr;
    HWND save = nullptr;
};
VideoWindowState g_video;

std::wstring ResolutionLabel(const Resolution& resolution) {
    return std::to_wstring(resolution.width) + L" \u00D7 " + std::to_wstring(resolution.height);
}

HWND Child(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y,
           int width, int height, int id) {
    return AddScaledChild(g_video.layout, parent, className, text.c_str(), style, x, y, width, height, id);
}

HWND MakeList(HWND parent, int y, int id) {
    return Child(parent, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP, 28, y, 420,
                 220, id);
}

void AddLine(HWND list, const wchar_t* text) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// The filters named in words are translated; the presets keep their authors' names. The stored
// value and report.txt use the English names of kFilters.
const char* const kFilterKeys[kFilterCount] = {
    "video.filter.original_pixels", "video.filter.linear", nullptr, nullptr, nullptr,
    "video.filter.light_crt",       nullptr,               "video.filter.composite"};

std::wstring FilterLabel(int index) {
    return kFilterKeys[index] ? Text(kFilterKeys[index]) : std::wstring(kFilters[index].label);
}

// At creation and after a language change: every text in the current language, the filter list
// rebuilt with its choice kept, and the controls fitted to the new texts.
void ApplyVideoTexts(HWND hwnd) {
    SetWindowTextW(hwnd, Text("video.title").c_str());
    SetWindowTextW(g_video.aspectLabel, Text("video.aspect_ratio").c_str());
    SetWindowTextW(g_video.resolutionLabel, Text("video.output_resolution").c_str());
    SetWindowTextW(g_video.filterLabel, Text("video.display_filter").c_str());
    SetWindowTextW(g_video.zoomBox, Text("video.zoom").c_str());
    SetWindowTextW(g_video.fullScreenBox, Text("video.fullscreen").c_str());
    SetWindowTextW(g_video.note, Text("video.note").c_str());
    SetWindowTextW(g_video.save, Text("video.save").c_str());
    const LRESULT chosen = SendMessageW(g_video.filterList, CB_GETCURSEL, 0, 0);
    SendMessageW(g_video.filterList, CB_RESETCONTENT, 0, 0);
    for (int index = 0; index < kFilterCount; ++index) AddLine(g_video.filterList, FilterLabel(index).c_str());
    if (chosen != CB_ERR) SendMessageW(g_video.filterList, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    FitChildrenToTexts(g_video.layout, hwnd);
}

void OnCreate(HWND hwnd) {
    g_launcher.videoWindow = hwnd;
    ApplyWindowColours(hwnd);

    g_video.aspectLabel = Child(hwnd, L"STATIC", L"", 0, 28, 22, 420, 25, 0);
    g_video.aspectList = MakeList(hwnd, 50, kAspectListId);
    g_video.resolutionLabel = Child(hwnd, L"STATIC", L"", 0, 28, 92, 420, 25, 0);
    g_video.resolutionList = MakeList(hwnd, 120, kResolutionListId);
    g_video.filterLabel = Child(hwnd, L"STATIC", L"", 0, 28, 162, 420, 25, 0);
    g_video.filterList = MakeList(hwnd, 190, kFilterListId);
    g_video.zoomBox = Child(hwnd, L"BUTTON", L"", BS_AUTOCHECKBOX | WS_TABSTOP, 28, 240, 420, 28, kZoomBoxId);
    g_video.fullScreenBox =
        Child(hwnd, L"BUTTON", L"", BS_AUTOCHECKBOX | WS_TABSTOP, 28, 274, 420, 28, kFullScreenBoxId);
    g_video.note = Child(hwnd, L"STATIC", L"", 0, 28, 322, 440, 100, 0);
    g_video.save = Child(hwnd, L"BUTTON", L"", BS_DEFPUSHBUTTON | WS_TABSTOP, 332, 436, 132, 38, kSaveId);
    for (const wchar_t* label : kAspectLabels) AddLine(g_video.aspectList, label);
    for (int row = 0; row < kResolutionCount; ++row) {
        AddLine(g_video.resolutionList, ResolutionLabel(kResolutions[row]).c_str());
    }
    ApplyVideoTexts(hwnd);

    const LauncherSettings& settings = g_launcher.settings;
    SendMessageW(g_video.aspectList, CB_SETCURSEL, static_cast<WPARAM>(settings.aspect), 0);
    SendMessageW(g_video.resolutionList, CB_SETCURSEL, static_cast<WPARAM>(settings.size), 0);
    SendMessageW(g_video.filterList, CB_SETCURSEL, static_cast<WPARAM>(settings.filter), 0);
    SendMessageW(g_video.zoomBox, BM_SETCHECK, settings.zoom ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(g_video.fullScreenBox, BM_SETCHECK, settings.fullScreen ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

// An automation run never takes the focus from the desktop.
bool Unattended() { return g_launcher.IsCaptureRun() || g_launcher.automation.launchRun; }

int Selection(HWND list) { return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)); }
bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void OnSave(HWND hwnd) {
    LauncherSettings settings = g_launcher.settings;
    settings.aspect = Selection(g_video.aspectList);
    settings.size = Selection(g_video.resolutionList);
    settings.filter = Selection(g_video.filterList);
    settings.zoom = Ticked(g_video.zoomBox);
    settings.fullScreen = Ticked(g_video.fullScreenBox);
    g_launcher.settings = ClampSettings(settings);
    SaveLauncherSettings();
    CloseOwnedWindow(hwnd, Unattended());
}

void OnDestroy() {
    g_launcher.videoWindow = nullptr;
    ClearScaledWindow(g_video.layout);
    g_video.aspectList = g_video.resolutionList = g_video.filterList = nullptr;
    g_video.zoomBox = g_video.fullScreenBox = nullptr;
    g_video.aspectLabel = g_video.resolutionLabel = g_video.filterLabel = g_video.note = g_video.save = nullptr;
    // Its status line and PLAY text may depend on the settings.
    if (HWND home = g_launcher.homeWindow) InvalidateRect(home, nullptr, FALSE);
}
}  // namespace

float VideoSettingsScale(int workAreaHeight, float dpiScale) {
    const float fit = static_cast<float>(workAreaHeight) / kDesignHeight;
    return fit < dpiScale ? fit : dpiScale;
}

WindowPlacement PlaceVideoWindow(const RECT& homeWindow, const RECT& workArea, float scale) {
    return CentreOnOwner(homeWindow, workArea, static_cast<int>(kDesignWidth * scale),
                         static_cast<int>(kDesignHeight * scale));
}

LRESULT CALLBACK VideoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSaveId && HIWORD(wParam) == 0) {
            OnSave(hwnd);
            return 0;
        }
        break;
    case WM_CLOSE:
        CloseOwnedWindow(hwnd, Unattended());  // the close box discards the edits
        return 0;
    case WM_DPICHANGED:
        RescaleForDpi(g_video.layout, hwnd, wParam, lParam);
        return 0;
    case kLanguageChangedMessage:
        ApplyVideoTexts(hwnd);
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        return AnswerControlColours(reinterpret_cast<HDC>(wParam));
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        FollowColourChange(hwnd);
        break;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OpenVideoWindow() {
    if (RaiseOwnedWindow(g_launcher.videoWindow)) return;
    HWND home = g_launcher.homeWindow;
    RECT homeRect = {};
    if (home) GetWindowRect(home, &homeRect);
    const MonitorArea monitor = MonitorAreaOf(home);
    const float scale = VideoSettingsScale(monitor.workArea.bottom - monitor.workArea.top,
                                           static_cast<float>(monitor.dpi) / 96.0f);
    StartScaledWindow(g_video.layout, scale, monitor.dpi);
    OwnedWindowRequest request;
    request.exStyle = WS_EX_DLGMODALFRAME | (g_launcher.IsCaptureRun() ? WS_EX_NOACTIVATE : 0);
    request.className = kVideoSettingsClass;
    const std::wstring title = Text("video.title");
    request.title = title.c_str();
    request.style = WS_POPUPWINDOW | WS_CAPTION | WS_VISIBLE;
    request.place = PlaceVideoWindow(homeRect, monitor.workArea, scale);
    request.owner = home;
    request.instance = g_launcher.instance;
    OpenOwnedWindow(request);
}
