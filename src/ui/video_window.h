#pragma once
// The "Video & CRT" window: edits the five video settings and saves them on Save.
#include <windows.h>

#include "app/window_size.h"

inline constexpr wchar_t kVideoSettingsClass[] = L"TLVRSettings";

LRESULT CALLBACK VideoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
// Opens the window owned by the home window, or brings the open one to the front.
void OpenVideoWindow();

// The smaller of (work-area height / 540) and the DPI scale of the home window's monitor: the
// window always fits on screen.
float VideoSettingsScale(int workAreaHeight, float dpiScale);
// Outer size 510 x 540 design units; centred on the home window, inside the work area.
WindowPlacement PlaceVideoWindow(const RECT& homeWindow, const RECT& workArea, float scale);
