#include "ui/video_window.h"

// The video window's controls arrive with the interface work; until then the class exists so
// that start-up registers every class in its fixed order.
LRESULT CALLBACK VideoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OpenVideoWindow() {}
