#pragma once
// Windows 10 and 11 draw a window's title bar light unless the window asks for the dark one; every
// Launcher window is dark, so each top-level window asks as it is created.
#include <windows.h>

// Asks the window manager for the dark title bar (attribute 20, or 19 on the Windows 10 builds
// before it took that number), or for the system's own while high contrast is on. A refusal
// (older Windows, no window manager) changes nothing.
void AskForDarkTitleBar(HWND window);
// The same with the choice made by the caller (a colour change asks again).
void AskForTitleBarColours(HWND window, bool dark);

// The call that sets a window-manager attribute, DwmSetWindowAttribute's shape. Tests put a
// recorder here; null puts back the system's own.
using WindowAttributeSetter = HRESULT(WINAPI*)(HWND window, DWORD attribute, LPCVOID value, DWORD size);
void SetWindowAttributeSetter(WindowAttributeSetter setter);
