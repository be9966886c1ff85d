#include "install/installer_entry.h"

// The installer window and the installation run are not part of this build yet: there is no
// window to open and no run that could be active.

void RegisterInstallerWindowClass(HINSTANCE, HFONT, const std::filesystem::path&) {}
void OpenInstallerWindow(HWND) {}
HWND InstallerWindow() { return nullptr; }
bool IsInstallationRunActive() { return false; }
bool InstallerDialogFilter(MSG*) { return false; }
