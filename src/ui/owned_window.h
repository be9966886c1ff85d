#pragma once
// The life of a secondary window owned by the home window. While it is open its owner is
// disabled. Windows hands the activation to the next enabled window the moment the active one
// is hidden: closing enables the owner first, or the activation goes to another program's
// window and the Launcher falls behind it.
#include <windows.h>

#include "app/window_size.h"

struct OwnedWindowRequest {
    DWORD exStyle = 0;
    const wchar_t* className = nullptr;
    const wchar_t* title = L"";
    DWORD style = 0;
    WindowPlacement place{};
    HWND owner = nullptr;
    HINSTANCE instance = nullptr;
};

// Brings an open window to the front; false when `window` is null.
bool RaiseOwnedWindow(HWND window);
// Disables the owner, then creates the window. A window that could not be made leaves its owner
// enabled and gives null.
HWND OpenOwnedWindow(const OwnedWindowRequest& request);
// Enables the owner, destroys the window, then gives the owner the foreground unless the run is
// unattended (an automation run never takes the focus from the desktop).
void CloseOwnedWindow(HWND window, bool unattended);
