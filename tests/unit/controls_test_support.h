#pragma once
// SDL virtual controllers for the controls tests, and a hidden window to own combo boxes.
#include <windows.h>

#include <string>

#include "controls/sdl_api.h"
#include "controls/virtual_controller.h"

// A virtual game controller (6 axes, 21 buttons) attached for one scope. Its triggers start
// released (raw -32768, which the game-controller layer reads as 0).
class VirtualPad {
public:
    explicit VirtualPad(const char* name);
    bool attached() const { return controller_.joystick() != nullptr; }
    void Button(int button, bool pressed);
    void Axis(int axis, int value);
    void Detach() { controller_.Detach(); }

private:
    VirtualController controller_;
};

// A hidden plain top-level window.
HWND CreateHiddenWindow();
std::wstring ComboItem(HWND combo, int index);
