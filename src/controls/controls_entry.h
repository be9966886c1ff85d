#pragma once
// What start-up and the home window need from the controls editor.
#include <windows.h>
#include <filesystem>

void OpenControlsEditor(HWND owner, const std::filesystem::path& profile);
// The scripted check of the editor; returns the process exit code.
int RunControlsCapture(HWND home, const std::filesystem::path& profile,
                       const std::filesystem::path& captureFile);
bool ControlsKeyFilter(MSG* message);
// The open editor, or null (a capture run photographs it).
HWND ControlsEditorWindow();
