#pragma once
// The home window: game selection, commands, the game watch and the automation runs.
#include <windows.h>

inline constexpr wchar_t kHomeWindowClass[] = L"TalvaroOvra";
// Posted in a launch run: wParam = game index.
inline constexpr UINT kLaunchRequestMessage = WM_APP + 31;

LRESULT CALLBACK HomeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Clamps the index to 0..1, repaints, retitles PLAY and saves the settings.
void SelectGame(int index);

// True when no game is running and no installation run is active.
bool IsLauncherIdle();
