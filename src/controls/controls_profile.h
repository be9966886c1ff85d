#pragma once
// The controls profile shared by both games: ten action bindings and four controller settings,
// stored in ".local/controls.ini" (section "controls") and named on screen through SDL's texts.
#include <windows.h>

#include <array>
#include <filesystem>
#include <string>

enum BindingKind : int { kBindingNone = 0, kBindingButton = 1, kBindingAxis = 2 };

struct ActionBinding {
    int key = 0;   // SDL scancode; 0 = no key
    int kind = 0;  // BindingKind of the controller input
    int code = 0;  // game-controller button 0..20 or axis 0..5
    int sign = 0;  // axis direction -1 / +1; 0 for a button
};

bool operator==(const ActionBinding& a, const ActionBinding& b);

inline constexpr int kActionCount = 10;
// Actions the games let share inputs with each other: the menu moves and the gear shifts.
inline constexpr int kMenuUp = 0, kMenuDown = 1, kSteerLeft = 2, kThrottle = 4, kBrake = 5,
                     kShiftUp = 6, kShiftDown = 7;

struct ControlsProfile {
    std::array<ActionBinding, kActionCount> bindings{};
    int deadzone = 25;        // percent, 5..50
    int controllerSlot = 0;   // 0..5 after loading
    int steeringStick = 0;    // 0 left stick X, 1 right stick X, 2 analog steering off
    int pulsePedals = 0;      // 0 or 1
};
bool operator==(const ControlsProfile& a, const ControlsProfile& b);
inline bool operator!=(const ControlsProfile& a, const ControlsProfile& b) { return !(a == b); }

ControlsProfile DefaultControlsProfile();

// Never fails: a missing file or key gives the default, bad values fall back or are clamped.
ControlsProfile LoadControlsProfile(const std::filesystem::path& path);
// Writes all 45 keys to path + ".tmp", proves them by reading them back, flushes and moves the
// file over the profile. True only when the profile on the disk now holds every key; the
// previous profile survives any failure byte for byte.
bool SaveControlsProfile(const ControlsProfile& profile, const std::filesystem::path& path);

// Scancodes 1..511 except Escape, Tab and F1..F12, which the games keep for themselves.
bool IsAcceptableKey(int scancode);

const wchar_t* ActionId(int index);     // "menu_up" ...; empty outside 0..9
std::wstring ActionLabel(int index);    // "Menu: up" ...; empty outside 0..9
std::wstring KeyText(int scancode);     // "No key" or SDL's name of the scancode
std::wstring ControllerText(const ActionBinding& binding);

// UTF-8 from SDL to UTF-16; null gives the empty text.
std::wstring WideFromUtf8(const char* text);
