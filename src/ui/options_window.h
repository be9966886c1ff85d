#pragma once
// The "Options" window: the Launcher's own choices, one control per row of the options table,
// saved on Save; the close box (and `b`) discards the edits.
#include <windows.h>

inline constexpr wchar_t kOptionsWindowClass[] = L"TLVROptions";

// Opens the window owned by the home window, or brings the open one to the front. Registers its
// class on first use.
void OpenOptionsWindow();
HWND OptionsWindow();  // null while closed
// The dialog manager's keys (Tab, Space, Enter) for the window while it is open.
bool OptionsDialogFilter(MSG* message);

// Child ids: the control of row N has id kOptionsFirstRowId + N.
inline constexpr int kOptionsSaveId = 1;
inline constexpr int kOptionsFirstRowId = 10;
