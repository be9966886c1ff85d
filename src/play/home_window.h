#pragma once
// The home window: game selection, commands, the game watch and the automation runs.
#include <windows.h>

#include <string>

inline constexpr wchar_t kHomeWindowClass[] = L"TalvaroOvra";
// Posted in a launch run: wParam = game index.
inline constexpr UINT kLaunchRequestMessage = WM_APP + 31;

// The home window's timers: the running game is polled, and a capture run (only) waits a few
// ticks so that every window has painted before it is photographed.
inline constexpr UINT_PTR kGameWatchTimerId = 1;
inline constexpr UINT_PTR kCaptureTimerId = 2;

// Creates the home window, hidden, centred on the primary monitor's work area at the size for the
// DPI of the monitor it opens on (1300 x 850 at 96 DPI, or the sizes the automation asks for).
HWND CreateHomeWindow(HINSTANCE instance);

LRESULT CALLBACK HomeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Clamps the index to 0..1, repaints, retitles PLAY and saves the settings.
void SelectGame(int index);

// True when no game is running and no installation run is active.
bool IsLauncherIdle();

// The launch request's wParam as a game index: read as a signed int, clamped to 0..1.
int LaunchRequestGameIndex(WPARAM wParam);

// The About box's text, ending with the donation page's address.
std::wstring AboutText();
