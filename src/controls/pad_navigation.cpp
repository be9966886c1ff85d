#include "controls/pad_navigation.h"

#include <cwchar>
#include <vector>

#include "app/launcher_state.h"
#include "controls/controller_input.h"
#include "controls/controls_editor.h"
#include "controls/last_input.h"
#include "controls/pad_script.h"
#include "controls/pad_translation.h"
#include "install/folder_browser.h"
#include "ui/command_buttons.h"

namespace {
constexpr wchar_t kWindowClass[] = L"TLVRPadNavigation";
constexpr UINT kRefreshMessage = WM_APP + 61;
constexpr UINT_PTR kPollTimerId = 1;
constexpr UINT_PTR kStartTimerId = 3;
// SDL's start blocks the GUI thread for a while; a timer fires only when the queue has nothing
// else, so it runs once the window is painted and the first input has been answered.
constexpr UINT kStartDelayMs = 100;
// One poll period plus one paint from press to what the player sees; the editor's 40 ms is
// the upper bound, and a poll costs a few microseconds.
constexpr UINT kPollPeriodMs = 16;

struct NavigationRecord {
    HWND window = nullptr;
    bool enabled = false;
    bool open = false;          // controllers open and the poll timer running
    bool appActive = true;      // WM_ACTIVATEAPP said the foreground is ours
    PadState state;
};
NavigationRecord g_nav;

bool IsOurWindow(HWND hwnd) {
    return hwnd && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

bool IsDialogBox(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    return wcscmp(name, L"#32770") == 0;
}

PadTarget CurrentTarget() {
    HWND foreground = GetForegroundWindow();
    if (!g_nav.appActive || !IsOurWindow(foreground)) return PadTarget::None;
    if (g_launcher.gameProcess) return PadTarget::None;
    HWND home = g_launcher.homeWindow;
    if (home && IsIconic(home)) return PadTarget::None;
    if (IsDialogBox(foreground)) return PadTarget::MessageBox;
    if (foreground == ControlsEditorWindow()) {
        const CaptureState& capture = EditorCapture();
        if (!capture.running()) return PadTarget::Secondary;
        return capture.controller ? PadTarget::ControllerCapture : PadTarget::KeyCapture;
    }
    if (foreground == FolderBrowserWindow()) return PadTarget::FolderBrowser;
    return foreground == home ? PadTarget::Home : PadTarget::Secondary;
}

void Open() {
    if (ControlsEditorWindow()) {
        RebuildEditorControllerList();  // the editor's list shows the reopened controllers
    } else {
        OpenControllers();
    }
    g_nav.state = PadState{};  // whatever is held now waits to be let go
    g_nav.open = true;
    SetTimer(g_nav.window, kPollTimerId, kPollPeriodMs, nullptr);
}

void Close() {
    KillTimer(g_nav.window, kPollTimerId);
    g_nav.open = false;
    CloseControllers();
}

PadReading ReadPad(SDL_GameController* pad) {
    auto button = [pad](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(pad, b) != 0; };
    // Confirm and back as the player chose: every meaning of `a` and `b` below follows.
    const ConfirmBack meaning = ConfirmBackButtons(g_launcher.settings.swapConfirmBack != 0);
    PadReading reading;
    reading.up = button(SDL_CONTROLLER_BUTTON_DPAD_UP);
    reading.down = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    reading.left = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    reading.right = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    reading.a = button(static_cast<SDL_GameControllerButton>(meaning.confirm));
    reading.b = button(static_cast<SDL_GameControllerButton>(meaning.back));
    reading.start = button(SDL_CONTROLLER_BUTTON_START);
    reading.x = button(SDL_CONTROLLER_BUTTON_X);
    reading.y = button(SDL_CONTROLLER_BUTTON_Y);
    reading.leftX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    reading.leftY = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    return reading;
}

// Any button down or any stick pushed past half its travel: the player's hands are on this pad.
bool AnyInput(SDL_GameController* pad) {
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        if (SDL_GameControllerGetButton(pad, static_cast<SDL_GameControllerButton>(b))) return true;
    }
    for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a) {
        const int value = SDL_GameControllerGetAxis(pad, static_cast<SDL_GameControllerAxis>(a));
        const bool trigger = a == SDL_CONTROLLER_AXIS_TRIGGERLEFT || a == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
        // Triggers rest at their low end on some pads (and on the scripted one).
        if (trigger ? value > 0 : (value > kStickEngage || value < -kStickEngage)) return true;
    }
    return false;
}

LPARAM KeyLParam(UINT virtualKey, bool up) {
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM value = 1 | (static_cast<LPARAM>(scan) << 16);
    if (up) value |= (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    return value | kPadKeyMark;
}

// Tab and Shift+Tab as the dialog manager does them. A dialog box moves its own focus (and its
// default button); the Launcher's windows take the next tab stop.
void MoveFocus(HWND top, HWND focus, bool backward) {
    if (IsDialogBox(top)) {
        SendMessageW(top, WM_NEXTDLGCTL, backward ? 1 : 0, FALSE);
        return;
    }
    HWND next = GetNextDlgTabItem(top, focus == top ? nullptr : focus, backward ? TRUE : FALSE);
    if (!next) return;
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    SetFocus(next);
    // The focus ring shows from now on, as after any keyboard navigation.
    SendMessageW(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void Deliver(PadInput input, PadTarget target) {
    HWND top = GetForegroundWindow();
    HWND focus = GetFocus();
    if (!focus || (focus != top && !IsChild(top, focus))) focus = top;
    wchar_t className[32] = {};
    GetClassNameW(focus, className, 32);
    const PadStroke stroke =
        StrokeFor(input, target, FocusKindOf(className, static_cast<LONG>(GetWindowLongPtrW(focus, GWL_STYLE))));
    switch (stroke.kind) {
    case PadStroke::Key:
        // Posted, so the message loop hands them to the same filters a keyboard's keys meet.
        PostMessageW(focus, WM_KEYDOWN, stroke.virtualKey, KeyLParam(stroke.virtualKey, false));
        PostMessageW(focus, WM_KEYUP, stroke.virtualKey, KeyLParam(stroke.virtualKey, true));
        break;
    case PadStroke::TabForward:
    case PadStroke::TabBackward:
        MoveFocus(top, focus, stroke.kind == PadStroke::TabBackward);
        break;
    case PadStroke::Play:
        if (HWND home = g_launcher.homeWindow) PostMessageW(home, WM_COMMAND, MAKEWPARAM(kPlayId, BN_CLICKED), 0);
        break;
    case PadStroke::Close:
        PostMessageW(top, WM_CLOSE, 0, 0);
        break;
    case PadStroke::Nothing:
        break;
    }
}

LRESULT CALLBACK NavigationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case kRefreshMessage:
        RefreshPadNavigation();
        return 0;
    case WM_TIMER:
        if (wParam == kStartTimerId) {
            KillTimer(hwnd, kStartTimerId);
            if (g_nav.enabled) StartControllers();
            if (PadScriptLoaded()) StartPadScript(hwnd);
            RefreshPadNavigation();
        } else if (wParam == kPollTimerId) {
            RunPadNavigationTick();
        } else if (wParam == kPadScriptTimerId) {
            RunPadScriptTick();
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
}  // namespace

void StartPadNavigation(bool enabled) {
    g_nav.enabled = enabled;
    if (!g_nav.window) {
        WNDCLASSW cls = {};
        cls.lpfnWndProc = NavigationProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = kWindowClass;
        RegisterClassW(&cls);
        g_nav.window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       cls.hInstance, nullptr);
    }
    if (g_nav.window) SetTimer(g_nav.window, kStartTimerId, kStartDelayMs, nullptr);
}

void RefreshPadNavigation() {
    if (!g_nav.window || !ControllersStarted()) return;
    const bool wanted = g_nav.enabled && CurrentTarget() != PadTarget::None;
    if (wanted && !g_nav.open) {
        Open();
    } else if (!wanted && g_nav.open) {
        Close();
    }
}

void PadNavigationAppActivated(bool active) {
    g_nav.appActive = active;
    RefreshPadNavigation();
    // The foreground may settle only after the activation messages: look again once it has.
    if (active && g_nav.window) PostMessageW(g_nav.window, kRefreshMessage, 0, 0);
}

void ReleaseControllersForGame() {
    if (g_nav.open) Close();
}

bool PadNavigationHoldsControllers() { return g_nav.open; }

HWND PadNavigationWindow() { return g_nav.window; }

void RunPadNavigationTick() {
    if (!g_nav.open) return;
    const PadTarget target = CurrentTarget();
    if (target == PadTarget::None) {
        RefreshPadNavigation();  // the foreground left without a word: stop polling
        return;
    }
    PumpControllerEvents();
    if (!ControlsEditorWindow() && TakeControllerHotPlug()) OpenControllers();  // the editor rebuilds its own
    SDL_GameControllerUpdate();
    std::vector<PadReading> readings;
    for (int position = 0; position < OpenedControllerCount(); ++position) {
        SDL_GameController* pad = OpenedController(position);
        if (!pad || !SDL_GameControllerGetAttached(pad)) continue;
        readings.push_back(ReadPad(pad));
        if (AnyInput(pad)) {
            NoteControllerInput(FamilyOf(static_cast<int>(SDL_GameControllerGetType(pad)),
                                         SDL_GameControllerGetVendor(pad), SDL_GameControllerGetProduct(pad)));
        }
    }
    for (PadInput input : StepPad(g_nav.state, readings, target, GetTickCount64())) Deliver(input, target);
}
