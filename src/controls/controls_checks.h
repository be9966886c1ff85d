#pragma once
// What the controls editor checks before it saves: no action on the axis that already steers,
// no two actions on the same key or controller input.
#include <string>

#include "controls/controls_profile.h"

// The status text that refuses the save, or the empty text when the profile may be saved.
std::wstring SaveRefusal(const ControlsProfile& profile);
