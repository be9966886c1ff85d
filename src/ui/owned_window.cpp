#include "ui/owned_window.h"

bool RaiseOwnedWindow(HWND window) {
    if (!window) return false;
    SetForegroundWindow(window);
    return true;
}

HWND OpenOwnedWindow(const OwnedWindowRequest& request) {
    if (request.owner) EnableWindow(request.owner, FALSE);
    HWND window = CreateWindowExW(request.exStyle, request.className, request.title, request.style, request.place.x,
                                  request.place.y, request.place.width, request.place.height, request.owner, nullptr,
                                  request.instance, nullptr);
    if (!window && request.owner) EnableWindow(request.owner, TRUE);
    return window;
}

void CloseOwnedWindow(HWND window, bool unattended) {
    if (!window || !IsWindow(window)) return;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(window);
    if (owner && !unattended && IsWindow(owner)) SetForegroundWindow(owner);
}
