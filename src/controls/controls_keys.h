#pragma once
// From a keyboard message (virtual key and lParam) to the SDL scancode the games read.
#include <windows.h>

int ScancodeFromKeyMessage(WPARAM virtualKey, LPARAM lParam);
// The scancode of the key that types `character` (SDL's keycodes are the characters).
int ScancodeFromCharacter(unsigned character);
