#pragma once
// Helpers of the controls tests: opening the editor from the home window, keys with a chosen
// lParam, and the profile's keys.
#include <windows.h>

#include "play_support.h"

namespace bb {

inline constexpr wchar_t kControlsEditorClass[] = L"TlvrControlEditor";
inline constexpr int kControlsCommand = 204;

// Clicks "Controls" and waits for the editor; null when none opened.
HWND OpenControlsEditorFrom(const Process& launcher, HWND home);
// Posts a key-down (and its key-up) with exactly this lParam, as the keyboard would deliver it.
void PostKeyDown(HWND target, UINT virtualKey, LPARAM lParam);
int ReadControlsKey(const fs::path& profile, const wchar_t* key);
// The editor's status line: the STATIC just above "Restore defaults" in creation order.
std::wstring EditorStatus(HWND editor);

}  // namespace bb
