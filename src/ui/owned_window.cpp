#include "ui/owned_window.h"

bool RaiseOwnedWindow(HWND window) {
    if (!window) return false;
    SetForegroundWindow(window);
    return true;
}

HWND OpenOwnedWindow(const OwnedWindowSpec& spec) {
    if (spec.owner) EnableWindow(spec.owner, FALSE);
    HWND window = CreateWindowExW(spec.exStyle, spec.className, spec.title, spec.style, spec.place.x,
                                  spec.place.y, spec.place.width, spec.place.height, spec.owner, nullptr,
                                  spec.instance, nullptr);
    if (!window && spec.owner) EnableWindow(spec.owner, TRUE);
    return window;
}

void CloseOwnedWindow(HWND window, bool unattended) {
    if (!window || !IsWindow(window)) return;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(window);
    if (owner && !unattended && IsWindow(owner)) SetForegroundWindow(owner);
}
