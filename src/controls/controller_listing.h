#pragma once
// The connected game controllers as lines of text for the problem report: SDL's name, type and
// GUID of each. SDL is only asked when it has already started; the report never starts it.
#include <string>
#include <vector>

// One line per joystick SDL sees: "name (type), GUID 0300...". Empty when none is connected.
// GUI thread (SDL's joystick list belongs to the thread that pumps its events).
std::vector<std::wstring> ConnectedControllerLines();
