#include "update/update_entry.h"

// The updater (helper protocol, state and recovery, updates window, apply mode) is not part of
// this build yet. These entry points keep start-up's order intact until it arrives: there is no
// update state to recover, no window to open and no job to clean up.

int RunUpdateApplyMode(HINSTANCE, const std::vector<std::wstring>&) {
    // Without the apply mode nothing can be applied; say so instead of pretending success.
    MessageBoxW(nullptr, L"This build cannot apply updates yet.", L"Update", MB_ICONERROR);
    return 2;
}

bool InterruptedUpdateCheck(const std::filesystem::path&) { return false; }
void StartupUpdateCheck(HWND) {}
void RegisterUpdatesWindowClass(HINSTANCE, HFONT, const std::filesystem::path&, bool, IdleQuery) {}
void OpenUpdatesWindow(HWND) {}
HWND UpdatesWindow() { return nullptr; }
bool UpdatesDialogFilter(MSG*) { return false; }
bool UpdateMessageFilter(HWND, UINT, WPARAM, LPARAM) { return false; }
void CleanUpUpdates() {}
