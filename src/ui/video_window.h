#pragma once
// The "Video & CRT" window: edits the five video settings and saves them on Save.
#include <windows.h>

LRESULT CALLBACK VideoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
// Opens the window owned by the home window, or brings the open one to the front.
void OpenVideoWindow();
