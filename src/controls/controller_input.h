#pragma once
// Game controllers for the controls editor, through SDL2's game-controller and event
// subsystems: the two-slot controller list, hot-plugging and the armed capture of an input.
#include <windows.h>

#include "controls/controls_profile.h"
#include "controls/sdl_api.h"

// Which action is being captured, and how far the capture has come.
struct CaptureState {
    int row = -1;             // action index, -1 while no capture runs
    bool controller = false;  // a controller input rather than a key
    bool armed = false;       // every button and axis has been seen at rest since the start
    ULONGLONG backHeldSince = 0;  // tick when `b` went down during an armed capture, 0 when up
    bool running() const { return row >= 0; }
};

// The one owner of SDL's lifetime and of the opened controllers, for the controls editor and the
// pad navigation alike. StartControllers sets the hints and starts SDL's game-controller and
// event subsystems once; they are never shut down.
void StartControllers();
bool ControllersStarted();
// True once WINMM or VERSION could not be loaded: SDL is then never started this run.
bool ControllersUnavailable();
// Points the delay-load helper's failure hook at ours; called once, first thing at start-up.
void InstallDelayLoadFailureHook();
void CloseControllers();
// Opens at most two game controllers in joystick order (closing any opened before).
void OpenControllers();
// Drains SDL's event queue; a controller arriving or leaving is kept until taken.
void PumpControllerEvents();
bool TakeControllerHotPlug();
// Reopens at most two game controllers in joystick order and refills the controller choice with
// exactly two items ("Controller n — name" or "Controller n — disconnected"), then selects `slot`.
void RebuildControllerList(HWND combo, int slot);
int OpenedControllerCount();
SDL_GameController* OpenedController(int position);
// The opened controller at `slot` while it is still attached, else null.
SDL_GameController* SelectedController(int slot);

enum class CaptureEvent {
    None,          // nothing for the editor to do
    Disconnected,  // no usable controller for the capture
    Armed,         // everything is at rest: the next active input is taken
    Captured,      // `input` holds the new controller binding (key field unused)
    Cancelled,     // `b` held: the capture ends as Esc ends it
};
struct PollOutcome {
    bool listRebuilt = false;
    CaptureEvent event = CaptureEvent::None;
    ActionBinding input;
};
// One tick of the editor's timer: drains SDL's events (rebuilding the list once on a controller
// arriving or leaving), updates the controllers and, during a controller capture, reads the
// selected controller. Buttons win over axes; an axis counts beyond 20000 either way.
// `backHoldCancels`: the pad navigates, so a held `b` cancels and a tapped `b` is recorded.
PollOutcome PollControllers(CaptureState& capture, int slot, HWND combo, bool backHoldCancels);
