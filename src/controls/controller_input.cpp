#include "controls/controller_input.h"

#include "app/launcher_state.h"
#include "controls/pad_prompts.h"
#include "texts/texts.h"

#include <string>
#include <vector>

namespace {
constexpr int kListedControllers = 2;
constexpr int kButtonCount = 21;  // game-controller buttons 0..20
constexpr int kAxisCount = 6;     // game-controller axes 0..5
constexpr int kAxisThreshold = 20000;

// The button that goes back: `b`, or `a` with the confirm/back swap. SdlFace counts as SDL does.
int BackButton() {
    return static_cast<int>(ConfirmBackButtons(g_launcher.settings.swapConfirmBack != 0).back);
}
constexpr ULONGLONG kBackHoldCancelMs = 600;

// The one list of opened controllers, shared by the editor and the pad navigation.
std::vector<SDL_GameController*> g_opened;  // position = controller slot
bool g_started = false;
bool g_hotPlugPending = false;  // a controller arrived or left since the editor last looked

void AddItem(HWND combo, const std::wstring& text) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

struct ActiveInput {
    int button = -1;
    int axis = -1;
    int direction = 0;
    bool any() const { return button >= 0 || axis >= 0; }
};

ActiveInput ReadActiveInput(SDL_GameController* controller) {
    ActiveInput active;
    for (int b = 0; b < kButtonCount && active.button < 0; ++b) {
        if (SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(b))) active.button = b;
    }
    for (int a = 0; a < kAxisCount && active.axis < 0; ++a) {
        const int value = SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(a));
        if (value > kAxisThreshold || value < -kAxisThreshold) {
            active.axis = a;
            active.direction = value < 0 ? -1 : 1;
        }
    }
    return active;
}

}  // namespace

void StartControllers() {
    if (g_started) return;
    // Rumble through SDL's PS4/PS5 drivers switches the pad into its extended report mode, which
    // DirectInput games misread until the pad is switched off. Nothing from the environment may
    // turn it on. The hints that decide which SDL button a physical button is stay SDL's own:
    // the editor must record the bindings the games read.
    SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_HIDAPI_PS4_RUMBLE, "0", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_HIDAPI_PS5_RUMBLE, "0", SDL_HINT_OVERRIDE);
    // SDL would raise the system timer to 1 ms for the life of the process; the Launcher polls
    // at 16 and 40 ms and waits under a game, where the finer timer only costs power.
    SDL_SetHintWithPriority(SDL_HINT_TIMER_RESOLUTION, "0", SDL_HINT_OVERRIDE);
    SDL_SetMainReady();
    g_started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) == 0;
}

bool ControllersStarted() { return g_started; }

void PumpControllerEvents() {
    if (!g_started) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_CONTROLLERDEVICEADDED || event.type == SDL_CONTROLLERDEVICEREMOVED) {
            g_hotPlugPending = true;
        }
    }
}

bool TakeControllerHotPlug() {
    const bool pending = g_hotPlugPending;
    g_hotPlugPending = false;
    return pending;
}

void CloseControllers() {
    for (SDL_GameController* controller : g_opened) SDL_GameControllerClose(controller);
    g_opened.clear();
}

void OpenControllers() {
    CloseControllers();
    if (!g_started) return;
    for (int j = 0; j < SDL_NumJoysticks(); ++j) {
        if (OpenedControllerCount() >= kListedControllers) break;
        if (!SDL_IsGameController(j)) continue;
        if (SDL_GameController* controller = SDL_GameControllerOpen(j)) g_opened.push_back(controller);
    }
}

void RebuildControllerList(HWND combo, int slot) {
    OpenControllers();
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    int count = 0;
    for (SDL_GameController* controller : g_opened) {
        ++count;
        AddItem(combo, FormatText("controls.controller_item", {{"number", std::to_wstring(count)},
                                                               {"name", WideFromUtf8(SDL_GameControllerName(controller))}}));
    }
    while (count < kListedControllers) {
        ++count;
        AddItem(combo, FormatText("controls.controller_item.disconnected", {{"number", std::to_wstring(count)}}));
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(slot), 0);
}

int OpenedControllerCount() { return static_cast<int>(g_opened.size()); }

SDL_GameController* OpenedController(int position) {
    if (position < 0 || position >= OpenedControllerCount()) return nullptr;
    return g_opened[static_cast<size_t>(position)];
}

SDL_GameController* SelectedController(int slot) {
    SDL_GameController* controller = OpenedController(slot);
    return (controller && SDL_GameControllerGetAttached(controller)) ? controller : nullptr;
}

PollOutcome PollControllers(CaptureState& capture, int slot, HWND combo, bool backHoldCancels) {
    PollOutcome outcome;
    PumpControllerEvents();
    if (TakeControllerHotPlug()) {
        RebuildControllerList(combo, slot);
        outcome.listRebuilt = true;
    }
    SDL_GameControllerUpdate();
    if (!capture.running() || !capture.controller) return outcome;

    SDL_GameController* controller = SelectedController(slot);
    if (!controller) {
        outcome.event = CaptureEvent::Disconnected;
        return outcome;
    }
    const ActiveInput active = ReadActiveInput(controller);
    if (!capture.armed) {
        // Whatever was held when the capture began must be let go first.
        if (!active.any()) outcome.event = CaptureEvent::Armed;
        return outcome;
    }
    if (backHoldCancels) {
        // With the pad navigating, `b` ends a capture as Esc does when it is held; a short press
        // is recorded once let go, so B stays a button that can be bound.
        const ULONGLONG now = GetTickCount64();
        const int backButton = BackButton();
        if (active.button == backButton) {
            if (capture.backHeldSince == 0) capture.backHeldSince = now;
            if (now - capture.backHeldSince >= kBackHoldCancelMs) outcome.event = CaptureEvent::Cancelled;
            return outcome;
        }
        if (capture.backHeldSince != 0) {
            outcome.event = CaptureEvent::Captured;
            outcome.input = ActionBinding{0, kBindingButton, backButton, 0};
            return outcome;
        }
    }
    if (!active.any()) return outcome;
    outcome.event = CaptureEvent::Captured;
    if (active.button >= 0) {
        outcome.input = ActionBinding{0, kBindingButton, active.button, 0};
    } else {
        outcome.input = ActionBinding{0, kBindingAxis, active.axis, active.direction};
    }
    return outcome;
}
