#include "controls/last_input.h"

#include "app/launcher_state.h"
#include "install/folder_browser.h"

namespace {
struct LastInputRecord {
    LastInput kind = LastInput::KeyboardMouse;
    PadFamily family = PadFamily::Xbox;
};
LastInputRecord g_last;

void Change(LastInput kind, PadFamily family) {
    if (g_last.kind == kind && (kind == LastInput::KeyboardMouse || g_last.family == family)) return;
    const PromptStyle before = CurrentPromptStyle();
    g_last.kind = kind;
    if (kind == LastInput::Controller) g_last.family = family;
    // Only the hint line changes, and only when the glyphs do; the paint composes it off screen.
    if (CurrentPromptStyle() == before) return;
    for (HWND hinted : {g_launcher.homeWindow, FolderBrowserWindow()}) {
        if (hinted) InvalidateRect(hinted, nullptr, FALSE);
    }
}
}  // namespace

void NoteInputMessage(const MSG& message) {
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if ((message.lParam & kPadKeyMark) == 0) Change(LastInput::KeyboardMouse, g_last.family);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_NCLBUTTONDOWN:
        Change(LastInput::KeyboardMouse, g_last.family);
        break;
    default:
        break;
    }
}

void NoteControllerInput(PadFamily family) { Change(LastInput::Controller, family); }

PromptStyle CurrentPromptStyle() {
    return PromptStyleFor(g_last.kind, g_last.family, g_launcher.settings.buttonPrompts);
}

bool LastInputIsController() { return g_last.kind == LastInput::Controller; }

void ForgetLastInput() { g_last = LastInputRecord{}; }
