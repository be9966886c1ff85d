#include "controls/controls_entry.h"

// The controls editor is not part of this build yet.

void OpenControlsEditor(HWND, const std::filesystem::path&) {}

int RunControlsCapture(HWND, const std::filesystem::path&, const std::filesystem::path&) {
    // A check that cannot run must not read as passed.
    return 3;
}

bool ControlsKeyFilter(MSG*) { return false; }
