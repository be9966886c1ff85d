#pragma once
// What start-up and the home window need from the installer.
#include <windows.h>
#include <filesystem>

void RegisterInstallerWindowClass(HINSTANCE instance, HFONT uiFont, const std::filesystem::path& root);
// Opens the installer window owned by `owner`, or brings an open one to the front.
void OpenInstallerWindow(HWND owner);
HWND InstallerWindow();  // null while closed
bool IsInstallationRunActive();
bool InstallerDialogFilter(MSG* message);
