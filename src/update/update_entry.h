#pragma once
// What start-up and the home window need from the updater.
#include <windows.h>
#include <filesystem>
#include <string>
#include <vector>

// The update-apply run (after the old Launcher closed); its result is the process exit code.
// `artFolder` holds the font of its window.
int RunUpdateApplyMode(HINSTANCE instance, const std::vector<std::wstring>& words,
                       const std::filesystem::path& artFolder);

// Start-up check for a half-applied update; true when start-up must stop.
bool InterruptedUpdateCheck(const std::filesystem::path& root);

// The daily check, right after the home window is first shown.
void StartupUpdateCheck(HWND home);

using IdleQuery = bool (*)();
void RegisterUpdatesWindowClass(HINSTANCE instance, HFONT uiFont, const std::filesystem::path& root,
                                bool automationRun, IdleQuery idle);
void OpenUpdatesWindow(HWND owner);
// The key of the home window's Updates button text: "Update available" while a check has found one.
const char* HomeUpdatesButtonKey();
HWND UpdatesWindow();  // null while closed
bool UpdatesDialogFilter(MSG* message);
// The home window offers every message here first; true when it was the updater's.
bool UpdateMessageFilter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void CleanUpUpdates();
