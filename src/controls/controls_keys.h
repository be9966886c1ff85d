#pragma once
// From a keyboard message (virtual key and lParam) to the SDL scancode the games read.
#include <windows.h>

int ScancodeFromKeyMessage(WPARAM virtualKey, LPARAM lParam);
// The SDL scancode of a character key (punctuation) from its PC scan code; 0 for other keys.
int ScancodeFromKeyPosition(unsigned scanCode);
