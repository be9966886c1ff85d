#include "controls_test_support.h"

VirtualPad::VirtualPad(const char* name) : controller_(name) {}

void VirtualPad::Button(int button, bool pressed) {
    SDL_JoystickSetVirtualButton(controller_.joystick(), button, pressed ? SDL_PRESSED : SDL_RELEASED);
    SDL_JoystickUpdate();
}

void VirtualPad::Axis(int axis, int value) {
    SDL_JoystickSetVirtualAxis(controller_.joystick(), axis, static_cast<Sint16>(value));
    SDL_JoystickUpdate();
}

HWND CreateHiddenWindow() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

std::wstring ComboItem(HWND combo, int index) {
    wchar_t text[256] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 256) return L"(too long)";
    if (SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)) == CB_ERR) {
        return L"(none)";
    }
    return text;
}
