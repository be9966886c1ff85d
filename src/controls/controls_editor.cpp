#include "controls/controls_editor.h"

#include <array>
#include <exception>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "app/win_owners.h"
#include "controls/controls_checks.h"
#include "controls/controls_editor_accessibility.h"
#include "controls/controls_editor_layout.h"
#include "controls/controls_keys.h"
#include "controls/pad_navigation.h"
#include "texts/texts.h"
#include "ui/control_text_fit.h"
#include "ui/covering_font.h"
#include "ui/dark_title_bar.h"
#include "ui/language_faces.h"
#include "ui/language_change.h"
#include "ui/palette.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"
#include "ui/scaled_window.h"

namespace fs = std::filesystem;

namespace {
constexpr UINT_PTR kPollTimerId = 2;
constexpr UINT kPollPeriodMs = 40;
constexpr int kRowTop = 235;
constexpr int kRowPitch = 35;
constexpr int kFocusRow = 4;  // "Accelerate / button B"
constexpr int kLowestDeadzone = 5;
constexpr int kHighestDeadzone = 50;
constexpr int kMinTrackWidth = 800;
constexpr int kMinTrackHeight = 650;
constexpr LPARAM kRepeatBit = 1 << 30;
constexpr int kRightEdge = 805;  // where the widest rows (Clear, Save) end on the canvas
constexpr int kFitPasses = 4;

constexpr const char* kSteeringItems[] = {"controls.steering.left", "controls.steering.right",
                                          "controls.steering.disabled"};
// The status line's text kept by what it says, so a language change can say it again; a refusal
// to save is worked out again from the profile.
constexpr char kRefusalStatus[] = "";

struct LayoutEntry {
    HWND child;
    DWORD style;  // as created: whether its text wraps
    EditorRect design;
    EditorRect widened;  // added to the design in a language other than English
};

// A child whose text is one text of the table.
struct TextEntry {
    HWND child;
    const char* key;
};

struct EditorRecord {
    HWND window = nullptr;
    fs::path profilePath;
    ControlsProfile working;
    CaptureState capture;
    bool checkRun = false;
    HWND status = nullptr;
    HWND controllerChoice = nullptr;
    HWND steeringChoice = nullptr;
    HWND deadzoneChoice = nullptr;
    HWND pulseBox = nullptr;
    HWND saveButton = nullptr;
    std::array<HWND, kActionCount> keyButtons{};
    std::array<HWND, kActionCount> controllerButtons{};
    std::vector<LayoutEntry> layout;
    std::vector<TextEntry> texts;
    std::array<HWND, kActionCount> actionLabels{};
    HWND pulseLabel = nullptr;
    const char* statusKey = "controls.status.idle";
    ScopedFont font;
    ScopedFont pulseLabelFont;  // empty while Barlow draws the whole label
    int grownBy = 0;       // design units the texts added to the canvas's height
    int windowGrowth = 0;  // pixels the window grew for them
};
EditorRecord g_editor;

HWND AddChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, EditorRect design,
              int id, EditorRect widened = {}) {
    HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, design.x, design.y,
                                 design.width, design.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_launcher.instance, nullptr);
    if (child) g_editor.layout.push_back(LayoutEntry{child, style, design, widened});
    return child;
}

void AddItem(HWND combo, const std::wstring& text) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND AddText(HWND parent, const wchar_t* className, const char* key, DWORD style, EditorRect design, int id,
             EditorRect widened = {}) {
    HWND child = AddChild(parent, className, Text(key).c_str(), style, design, id, widened);
    if (child) g_editor.texts.push_back(TextEntry{child, key});
    return child;
}

void ShowStatus() {
    if (!g_editor.status) return;
    const std::wstring text =
        g_editor.statusKey == kRefusalStatus ? SaveRefusal(g_editor.working) : Text(g_editor.statusKey);
    SetWindowTextW(g_editor.status, text.c_str());
}

void SetStatus(const char* key) {
    g_editor.statusKey = key;
    ShowStatus();
}

// With no controllers this run the resting status says why, so nobody waits for a pad to work.
// Without WINMM or VERSION there are no controllers this run: the status line says so while idle.
const char* IdleStatus() {
    return ControllersUnavailable() ? "controls.status.no_controllers" : "controls.status.idle";
}

ActionBinding& Binding(int row) { return g_editor.working.bindings[static_cast<size_t>(row)]; }

void RefreshTexts() {
    const CaptureState& capture = g_editor.capture;
    for (int row = 0; row < kActionCount; ++row) {
        std::wstring keyText = KeyText(Binding(row).key);
        std::wstring controllerText = ControllerText(Binding(row));
        if (row == capture.row && !capture.controller) keyText = Text("controls.binding.press_key");
        if (row == capture.row && capture.controller) {
            controllerText = Text(capture.armed ? "controls.binding.press_button" : "controls.binding.release");
        }
        SetBindingText(g_editor.keyButtons[static_cast<size_t>(row)], keyText);
        SetBindingText(g_editor.controllerButtons[static_cast<size_t>(row)], controllerText);
    }
    EnableWindow(g_editor.saveButton, !capture.running());
}

void BeginCapture(int row, bool controller) {
    g_editor.capture = CaptureState{row, controller, false};
    RefreshTexts();
    SetStatus(controller ? "controls.status.controller_capture" : "controls.status.key_capture");
}

void EndCapture() {
    g_editor.capture = CaptureState{};
    RefreshTexts();
    SetStatus(IdleStatus());
}

void ShowChoices() {
    SendMessageW(g_editor.steeringChoice, CB_SETCURSEL, static_cast<WPARAM>(g_editor.working.steeringStick), 0);
    SendMessageW(g_editor.deadzoneChoice, CB_SETCURSEL,
                 static_cast<WPARAM>(g_editor.working.deadzone - kLowestDeadzone), 0);
    SendMessageW(g_editor.pulseBox, BM_SETCHECK, g_editor.working.pulsePedals ? BST_CHECKED : BST_UNCHECKED, 0);
}

EditorRect Grown(EditorRect design, EditorRect by) {
    return EditorRect{design.x + by.x, design.y + by.y, design.width + by.width, design.height + by.height};
}

// The children get a font for the canvas's scale; the old fonts go only once no child uses them.
void SetEditorFont(HWND hwnd, float scale) {
    ScopedFont font(CreateFontW(EditorFontHeight(scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                WindowFaceName()));
    for (const LayoutEntry& entry : g_editor.layout) {
        SendMessageW(entry.child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    }
    // Barlow has no arrows: the pulse-pedal label needs a face that has them.
    ScopedFont pulseFont = CoverControlText(GetDlgItem(hwnd, kPulseLabelId), font.get());
    g_editor.font = std::move(font);
    g_editor.pulseLabelFont = std::move(pulseFont);
}

// The children on the canvas at the client's size. In another language than English the texts
// are fitted to their places first; a canvas they made taller is drawn at a smaller scale, where
// they are fitted again until the canvas holds what they need.
void LayOut(HWND hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    const bool english = g_language.tag == "en";
    std::vector<FittedControl> controls;
    EditorFit fit{};
    int grown = 0;
    for (int pass = 0; pass < kFitPasses; ++pass) {
        const EditorFit previous = fit;
        fit = FitEditorCanvas(client.right - client.left, client.bottom - client.top, grown);
        if (pass == 0 || EditorFontHeight(fit.scale) != EditorFontHeight(previous.scale)) SetEditorFont(hwnd, fit.scale);
        controls.clear();
        for (const LayoutEntry& entry : g_editor.layout) {
            const EditorRect r = english ? entry.design : Grown(entry.design, entry.widened);
            controls.push_back(FittedControl{entry.child, entry.style, r.x, r.y, r.width, r.height});
        }
        const int needed = FitControlTexts(controls, hwnd, fit.scale, kRightEdge, !english);
        if (needed <= grown) break;
        grown = needed;
    }
    g_editor.grownBy = grown;
    for (const FittedControl& control : controls) {
        const EditorRect placed = PlaceOnEditorCanvas({control.x, control.y, control.width, control.height}, fit);
        SetWindowPos(control.hwnd, nullptr, placed.x, placed.y, placed.width, placed.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// At the opening and a language change the window grows by what the texts added, as far as the
// work area allows (moving up to stay in it); the rest is the canvas's smaller scale. Back in
// English it takes its own height again.
void GrowForTexts(HWND hwnd) {
    if (IsZoomed(hwnd)) return;
    RECT frame = {};
    RECT client = {};
    GetWindowRect(hwnd, &frame);
    GetClientRect(hwnd, &client);
    const int ownHeight = (frame.bottom - frame.top) - g_editor.windowGrowth;
    const float scale = FitEditorCanvas(client.right, client.bottom - g_editor.windowGrowth).scale;
    const RECT work = MonitorAreaOf(hwnd).workArea;
    int growth = static_cast<int>(static_cast<float>(g_editor.grownBy) * scale + 0.999f);
    const int room = (work.bottom - work.top) - ownHeight;
    if (growth > room) growth = room > 0 ? room : 0;
    if (growth == g_editor.windowGrowth) return;
    g_editor.windowGrowth = growth;
    const int height = ownHeight + growth;
    int top = frame.top;
    if (top + height > work.bottom) top = work.bottom - height > work.top ? work.bottom - height : work.top;
    // WM_SIZE lays the canvas out again.
    SetWindowPos(hwnd, nullptr, frame.left, top, frame.right - frame.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring EditorTitle() { return FormatText("controls.title", {{"product", kProductName}}); }

// Every text of the window in the current language, at its creation and at a language change.
void ApplyEditorTexts(HWND hwnd) {
    SetWindowTextW(hwnd, EditorTitle().c_str());
    for (const TextEntry& entry : g_editor.texts) SetWindowTextW(entry.child, Text(entry.key).c_str());
    // Barlow has no arrows: they come from the code, drawn by the covering face.
    SetWindowTextW(g_editor.pulseLabel,
                   FormatText("controls.pulse_pedals", {{"up", L"\u2191"}, {"down", L"\u2193"}}).c_str());
    for (int row = 0; row < kActionCount; ++row) {
        SetWindowTextW(g_editor.actionLabels[static_cast<size_t>(row)], ActionLabel(row).c_str());
    }
    SendMessageW(g_editor.steeringChoice, CB_RESETCONTENT, 0, 0);
    for (const char* item : kSteeringItems) AddItem(g_editor.steeringChoice, Text(item));
    SendMessageW(g_editor.steeringChoice, CB_SETCURSEL, static_cast<WPARAM>(g_editor.working.steeringStick), 0);
    RebuildControllerList(g_editor.controllerChoice, g_editor.working.controllerSlot);
    RefreshTexts();
    ShowStatus();
}

void OnCreate(HWND hwnd) {
    g_editor.window = hwnd;
    ApplyWindowColours(hwnd);
    g_editor.layout.clear();
    g_editor.capture = CaptureState{};

    g_editor.texts.clear();
    g_editor.statusKey = IdleStatus();

    const DWORD choice = CBS_DROPDOWNLIST | WS_TABSTOP;
    AddText(hwnd, L"STATIC", "controls.heading", 0, {26, 20, 760, 30}, 0);
    AddText(hwnd, L"STATIC", "controls.lead", 0, {26, 55, 765, 48}, 0);
    // In another language than English some controls take more room (the last rectangle): the
    // labels of the lists (one word that cannot wrap: the lists give way), the steering stick's
    // label on two lines, the columns of the rows and the buttons below. The texts are fitted to
    // these places at each layout.
    AddText(hwnd, L"STATIC", "controls.controller", 0, {26, 110, 80, 26}, 0, {0, 0, 45, 0});
    g_editor.controllerChoice =
        AddChild(hwnd, L"COMBOBOX", L"", choice, {110, 105, 675, 220}, kControllerChoiceId, {45, 0, -45, 0});
    AddText(hwnd, L"STATIC", "controls.steering_stick", 0, {26, 150, 125, 26}, 0, {0, -15, 0, 15});
    g_editor.steeringChoice = AddChild(hwnd, L"COMBOBOX", L"", choice, {155, 145, 290, 160}, kSteeringChoiceId);
    AddText(hwnd, L"STATIC", "controls.deadzone", 0, {470, 150, 110, 26}, 0, {0, 0, 30, 0});
    g_editor.deadzoneChoice =
        AddChild(hwnd, L"COMBOBOX", L"", choice, {585, 145, 200, 240}, kDeadzoneChoiceId, {30, 0, -30, 0});
    g_editor.pulseBox = AddChild(hwnd, L"BUTTON", L"", BS_AUTOCHECKBOX | WS_TABSTOP, {26, 176, 26, 26}, kPulseBoxId);
    g_editor.pulseLabel = AddChild(hwnd, L"STATIC", L"", SS_NOTIFY, {58, 177, 735, 26}, kPulseLabelId);
    AddText(hwnd, L"STATIC", "controls.column.action", 0, {26, 202, 210, 25}, 0);
    AddText(hwnd, L"STATIC", "controls.column.keyboard", 0, {242, 202, 240, 25}, 0, {0, 0, -12, 0});
    AddText(hwnd, L"STATIC", "controls.column.controller", 0, {490, 202, 280, 25}, 0, {-20, 0, 25, 0});
    for (int row = 0; row < kActionCount; ++row) {
        const int y = kRowTop + kRowPitch * row;
        g_editor.actionLabels[static_cast<size_t>(row)] = AddChild(hwnd, L"STATIC", L"", 0, {26, y + 4, 210, 30}, 0);
        g_editor.keyButtons[static_cast<size_t>(row)] =
            AddChild(hwnd, L"BUTTON", L"", WS_TABSTOP, {242, y, 230, 30}, kFirstKeyButtonId + row, {0, 0, -20, 0});
        g_editor.controllerButtons[static_cast<size_t>(row)] = AddChild(
            hwnd, L"BUTTON", L"", WS_TABSTOP, {490, y, 245, 30}, kFirstControllerButtonId + row, {-20, 0, 0, 0});
        AddText(hwnd, L"BUTTON", "controls.clear", WS_TABSTOP, {745, y, 60, 30}, kFirstClearButtonId + row,
                {-25, 0, 25, 0});
    }
    AddText(hwnd, L"STATIC", "controls.note", 0, {26, 596, 765, 42}, 0);
    g_editor.status = AddChild(hwnd, L"STATIC", L"", 0, {26, 642, 765, 55}, 0);
    AddText(hwnd, L"BUTTON", "controls.restore_defaults", WS_TABSTOP, {26, 713, 200, 35}, kRestoreDefaultsId,
            {0, 0, 30, 0});
    // A longer Save takes room on its left, and Cancel moves along.
    AddText(hwnd, L"BUTTON", "controls.cancel", WS_TABSTOP, {505, 713, 130, 35}, kEditorCancelId, {-70, 0, 0, 0});
    g_editor.saveButton = AddText(hwnd, L"BUTTON", "controls.save", BS_DEFPUSHBUTTON | WS_TABSTOP,
                                  {650, 713, 155, 35}, kEditorSaveId, {-70, 0, 70, 0});

    ApplyEditorTexts(hwnd);
    for (int percent = kLowestDeadzone; percent <= kHighestDeadzone; ++percent) {
        AddItem(g_editor.deadzoneChoice, std::to_wstring(percent) + L"%");
    }
    ShowChoices();

    GiveEditorAccessibleFacts(hwnd);
    g_editor.windowGrowth = 0;
    LayOut(hwnd);
    GrowForTexts(hwnd);
    SetTimer(hwnd, kPollTimerId, kPollPeriodMs, nullptr);
}

// Automation runs never take the keyboard focus from the user.
bool Unattended() { return g_editor.checkRun || g_launcher.IsAutomationRun(); }

void OnSave(HWND hwnd) {
    if (g_editor.capture.running()) return;  // the button is disabled then anyway
    const std::wstring refusal = SaveRefusal(g_editor.working);
    if (!refusal.empty()) {
        SetStatus(kRefusalStatus);
        return;
    }
    if (SaveControlsProfile(g_editor.working, g_editor.profilePath)) {
        CloseOwnedWindow(hwnd, Unattended());
    } else {
        SetStatus("controls.status.could_not_save");
    }
}

void OnRestoreDefaults() {
    EndCapture();
    g_editor.working = DefaultControlsProfile();
    RebuildControllerList(g_editor.controllerChoice, g_editor.working.controllerSlot);
    ShowChoices();
    RefreshTexts();
}

void OnPulseBoxChanged() {
    g_editor.working.pulsePedals = SendMessageW(g_editor.pulseBox, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

int Selection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void OnCommand(HWND hwnd, int id, int notification) {
    const bool selectionChanged = notification == CBN_SELCHANGE;
    if (id == kEditorSaveId) {
        OnSave(hwnd);
    } else if (id == kEditorCancelId) {
        if (g_editor.capture.running()) {
            EndCapture();
        } else {
            CloseOwnedWindow(hwnd, Unattended());
        }
    } else if (id == kControllerChoiceId && selectionChanged) {
        EndCapture();
        g_editor.working.controllerSlot = Selection(g_editor.controllerChoice);
    } else if (id == kSteeringChoiceId && selectionChanged) {
        g_editor.working.steeringStick = Selection(g_editor.steeringChoice);
    } else if (id == kDeadzoneChoiceId && selectionChanged) {
        g_editor.working.deadzone = Selection(g_editor.deadzoneChoice) + kLowestDeadzone;
    } else if (id == kPulseBoxId) {
        OnPulseBoxChanged();
    } else if (id == kPulseLabelId) {
        const bool ticked = SendMessageW(g_editor.pulseBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendMessageW(g_editor.pulseBox, BM_SETCHECK, ticked ? BST_UNCHECKED : BST_CHECKED, 0);
        OnPulseBoxChanged();
    } else if (id >= kFirstKeyButtonId && id < kFirstKeyButtonId + kActionCount) {
        BeginCapture(id - kFirstKeyButtonId, false);
    } else if (id >= kFirstControllerButtonId && id < kFirstControllerButtonId + kActionCount) {
        BeginCapture(id - kFirstControllerButtonId, true);
    } else if (id >= kFirstClearButtonId && id < kFirstClearButtonId + kActionCount) {
        EndCapture();
        Binding(id - kFirstClearButtonId) = ActionBinding{};
        RefreshTexts();
    } else if (id == kRestoreDefaultsId) {
        OnRestoreDefaults();
    }
}

void OnGetMinMaxInfo(HWND hwnd, MINMAXINFO* info) {
    const RECT work = MonitorAreaOf(hwnd).workArea;
    const int areaWidth = work.right - work.left;
    const int areaHeight = work.bottom - work.top;
    info->ptMinTrackSize.x = areaWidth < kMinTrackWidth ? areaWidth : kMinTrackWidth;
    info->ptMinTrackSize.y = areaHeight < kMinTrackHeight ? areaHeight : kMinTrackHeight;
}

void OnDestroy(HWND hwnd) {
    KillTimer(hwnd, kPollTimerId);
    if (!PadNavigationHoldsControllers()) CloseControllers();  // the navigation keeps them open
    g_editor.window = nullptr;
    g_editor.capture = CaptureState{};
    g_editor.layout.clear();
    g_editor.texts.clear();
    g_editor.actionLabels.fill(nullptr);
    g_editor.pulseLabel = nullptr;
    g_editor.status = g_editor.controllerChoice = g_editor.steeringChoice = g_editor.deadzoneChoice = nullptr;
    g_editor.pulseBox = g_editor.saveButton = nullptr;
    g_editor.keyButtons.fill(nullptr);
    g_editor.controllerButtons.fill(nullptr);
    g_editor.font.reset();
    g_editor.pulseLabelFont.reset();
}

LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) LayOut(hwnd);
        return 0;
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        RunEditorPollTick();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && g_editor.capture.running()) EndCapture();
        break;
    case WM_CLOSE:
        CloseOwnedWindow(hwnd, Unattended());  // the close box discards the changes
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(hwnd, reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return AnswerControlColours(reinterpret_cast<HDC>(wParam));
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        FollowColourChange(hwnd);
        break;
    case WM_DPICHANGED:
        TakeSuggestedRect(hwnd, lParam);  // WM_SIZE lays the canvas out again, font and all
        return 0;
    case kLanguageChangedMessage:
        ApplyEditorTexts(hwnd);
        LayOut(hwnd);  // the pulse label's covering face follows its new text
        GrowForTexts(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ControlsEditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return HandleMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception&) {
        // Only allocation can throw here; a message that could not be handled is dropped.
        return 0;
    }
}

bool RegisterEditorClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSW cls = {};
    cls.lpfnWndProc = ControlsEditorProc;
    cls.hInstance = g_launcher.instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = WindowBackgroundBrush();
    cls.lpszClassName = kControlsEditorClass;
    registered = RegisterClassW(&cls) != 0;
    return registered;
}

std::wstring EditorSizeOverride() {
    wchar_t buffer[64] = {};
    const DWORD length = GetEnvironmentVariableW(L"TLVR_QA_EDITOR_SIZE", buffer, 64);
    return (length > 0 && length < 64) ? std::wstring(buffer, length) : std::wstring();
}

void StoreCapturedKey(const MSG& message) {
    if (message.lParam & kRepeatBit) return;  // a held key is taken once
    const int scancode = ScancodeFromKeyMessage(message.wParam, message.lParam);
    if (!IsAcceptableKey(scancode)) {
        SetStatus("controls.status.reserved_key");
        return;
    }
    Binding(g_editor.capture.row).key = scancode;
    EndCapture();
}
}  // namespace

void OpenControlsEditor(HWND owner, const fs::path& profile) {
    StartControllers();
    if (RaiseOwnedWindow(g_editor.window)) return;
    try {
        g_editor.profilePath = profile;
        g_editor.working = LoadControlsProfile(profile);
        if (g_editor.working.controllerSlot > 1) g_editor.working.controllerSlot = 0;  // the editor offers two
        if (!RegisterEditorClass()) return;

        const MonitorArea monitor = MonitorAreaOf(owner);
        const std::wstring qaSize = g_editor.checkRun ? EditorSizeOverride() : std::wstring();
        const EditorRect place = PlaceEditorWindow(monitor.workArea, monitor.dpi,
                                                   qaSize.empty() ? nullptr : qaSize.c_str());

        OwnedWindowRequest request;
        request.exStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME | (Unattended() ? WS_EX_NOACTIVATE : 0);
        request.className = kControlsEditorClass;
        const std::wstring title = EditorTitle();
        request.title = title.c_str();
        request.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
        request.place = WindowPlacement{place.x, place.y, place.width, place.height};
        request.owner = owner;
        request.instance = g_launcher.instance;
        HWND window = OpenOwnedWindow(request);
        if (!window) return;
        ShowWindow(window, Unattended() ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL);
        UpdateWindow(window);
        if (!Unattended()) SetFocus(g_editor.keyButtons[kFocusRow]);
    } catch (const std::exception&) {
        // Out of memory while copying the path: the editor stays closed.
    }
}

bool ControlsKeyFilter(MSG* message) {
    HWND editor = g_editor.window;
    if (!editor || !message) return false;
    if (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN) {
        if (message->wParam == VK_ESCAPE) {
            if (g_editor.capture.running()) {
                EndCapture();
            } else {
                CloseOwnedWindow(editor, Unattended());  // the changes are discarded
            }
            return true;
        }
        if (g_editor.capture.running()) {
            if (!g_editor.capture.controller) StoreCapturedKey(*message);
            return true;
        }
    }
    return IsDialogMessageW(editor, message) != FALSE;
}

HWND ControlsEditorWindow() { return g_editor.window; }

const ControlsProfile& EditorWorkingProfile() { return g_editor.working; }
const CaptureState& EditorCapture() { return g_editor.capture; }

std::wstring EditorStatusText() {
    if (!g_editor.status) return L"";
    wchar_t text[512] = {};
    GetWindowTextW(g_editor.status, text, 512);
    return text;
}

void RunEditorPollTick() {
    if (!g_editor.window) return;
    const bool padNavigates = g_launcher.settings.padNavigation && !g_editor.checkRun;
    const PollOutcome outcome = PollControllers(g_editor.capture, g_editor.working.controllerSlot,
                                                g_editor.controllerChoice, padNavigates);
    switch (outcome.event) {
    case CaptureEvent::Disconnected:
        SetStatus("controls.status.disconnected");  // the capture goes on
        break;
    case CaptureEvent::Armed:
        g_editor.capture.armed = true;
        RefreshTexts();
        break;
    case CaptureEvent::Captured: {
        ActionBinding& binding = Binding(g_editor.capture.row);
        binding.kind = outcome.input.kind;
        binding.code = outcome.input.code;
        binding.sign = outcome.input.sign;
        EndCapture();
        break;
    }
    case CaptureEvent::Cancelled:
        EndCapture();
        break;
    case CaptureEvent::None:
        break;
    }
}

void SetEditorCheckRun(bool running) { g_editor.checkRun = running; }

void RebuildEditorControllerList() {
    if (g_editor.window) RebuildControllerList(g_editor.controllerChoice, g_editor.working.controllerSlot);
}

void SetEditorControllerSlot(int slot) {
    g_editor.working.controllerSlot = slot;
    if (g_editor.controllerChoice) SendMessageW(g_editor.controllerChoice, CB_SETCURSEL, static_cast<WPARAM>(slot), 0);
}
