#include "controls_test_support.h"

VirtualPad::VirtualPad(const char* name) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 6;
    desc.nbuttons = 21;
    desc.button_mask = 0x1FFFFF;
    desc.axis_mask = 0x3F;
    desc.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return;
    instance_ = SDL_JoystickGetDeviceInstanceID(index);
    joystick_ = SDL_JoystickOpen(index);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
}

VirtualPad::~VirtualPad() { Detach(); }

void VirtualPad::Button(int button, bool pressed) {
    SDL_JoystickSetVirtualButton(joystick_, button, pressed ? SDL_PRESSED : SDL_RELEASED);
    SDL_JoystickUpdate();
}

void VirtualPad::Axis(int axis, int value) {
    SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(value));
    SDL_JoystickUpdate();
}

void VirtualPad::Detach() {
    if (joystick_) SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int index = 0; instance_ >= 0 && index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == instance_) {
            SDL_JoystickDetachVirtual(index);
            break;
        }
    }
    instance_ = -1;
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
