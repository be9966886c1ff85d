#pragma once
// Driving the installer window of a running launcher from outside, as a person would: its
// controls, texts that may be far longer than a window title, and the scripts the PowerShell
// stand-in follows.
#include <windows.h>

#include <string>

#include "harness.h"
#include "standin_powershell.h"

namespace bb {

inline constexpr wchar_t kInstallerClass[] = L"TLVRInstaller";
inline constexpr int kHomeInstallCommand = 205;
inline constexpr wchar_t kCompleteText[] = L"Installation complete. Your games are ready in the installed launcher.";
inline constexpr wchar_t kStoppedText[] =
    L"Installation stopped. Your original ROMs are unchanged. You can retry in this installation folder.";
inline constexpr wchar_t kFailedText[] =
    L"Installation failed. Read the log above, correct the problem and retry. Your original ROMs are unchanged.";

struct InstallerControls {
    HWND window = nullptr;
    HWND rom1 = nullptr;
    HWND rom2 = nullptr;
    HWND destination = nullptr;
    HWND browse[3] = {};
    HWND progress = nullptr;
    HWND status = nullptr;  // the static below the progress bar
    HWND log = nullptr;
    HWND install = nullptr;
    HWND close = nullptr;
};
InstallerControls ControlsOf(HWND installer);

// Presses "Install games" on the home window and waits for the installer.
InstallerControls OpenInstallerFromHome(const Process& launcher, HWND home);

// The whole text of a control in another process, however long.
std::wstring FullText(HWND control);
void SetText(HWND control, const std::wstring& text);
int ProgressOf(const InstallerControls& installer);

// Waits until the run has ended: one of the three end texts, and "Close" enabled again.
bool WaitForRunEnd(const InstallerControls& installer, std::chrono::milliseconds timeout);
bool WaitForStatus(const InstallerControls& installer, const std::wstring& status, std::chrono::milliseconds timeout);

}  // namespace bb
