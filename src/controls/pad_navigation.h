#pragma once
// Driving the Launcher's windows with a game controller. The pad is another keyboard: its
// presses become the key presses and commands the windows already handle. Controllers are open
// only while a window of this Launcher has the foreground, the home window is not minimised and
// no game runs; otherwise nothing is polled.
#include <windows.h>

// Creates the navigation's message window and, unless `enabled` is false, starts SDL and opens
// the controllers as soon as the message loop runs (so the first paint is not delayed).
void StartPadNavigation(bool enabled);
// Opens or closes the controllers after a change of foreground, minimised state or game.
void RefreshPadNavigation();
// WM_ACTIVATEAPP of a top-level window of the Launcher: the foreground came or went.
void PadNavigationAppActivated(bool active);
// Called before a game's process is created: the game gets every controller to itself.
void ReleaseControllersForGame();
// True while the navigation has the controllers open (the controls editor then leaves them open).
bool PadNavigationHoldsControllers();
// The message window that the navigation and the scripted pad put their timers on.
HWND PadNavigationWindow();
// One poll of the controllers, as the navigation's timer runs it.
void RunPadNavigationTick();
