#pragma once
// What the player used last, keyboard and mouse or a controller of some family: the prompts the
// Launcher shows follow it. GUI thread only. A change repaints the home window, whose hint line
// shows the prompts.
#include <windows.h>

#include "controls/pad_prompts.h"

// Key messages the pad posts carry this bit of lParam (one of the bits Windows reserves), so the
// message loop can tell them from the keyboard's.
inline constexpr LPARAM kPadKeyMark = static_cast<LPARAM>(1) << 28;

// Every message the loop takes: a key press that the pad did not post, or a mouse click or wheel,
// makes the keyboard and mouse the last input.
void NoteInputMessage(const MSG& message);
// A controller of this family was pressed or pushed.
void NoteControllerInput(PadFamily family);
// The style the hints show now, with the "Button prompts" option applied.
PromptStyle CurrentPromptStyle();
// True when a controller, not the keyboard or the mouse, was used last: a command it started
// opens the pad's own windows (the installer's folder browser).
bool LastInputIsController();
// Back to keyboard and mouse (a new run, a test).
void ForgetLastInput();
