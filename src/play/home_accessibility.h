#pragma once
// What a screen reader hears in the home window: the painted cards as radio buttons, the command
// buttons by what they do, and the painted texts as the window's own description.
#include <windows.h>

#include <string>

// Gives the eight owner-drawn controls their accessible objects.
void GiveHomeControlsAccessibleFacts(HWND home);
// WM_GETOBJECT of the home window itself.
LRESULT AnswerHomeGetObject(HWND home, WPARAM wParam, LPARAM lParam);
// After a selection change: both cards' states and PLAY's name.
void NotifyHomeSelectionChanged(HWND home);

// "Ready. " or "Not installed. " and the game's short text on one line.
std::wstring CardDescription(int game, bool installed);
// PLAY's name: "Play <title>", or "Install games" while the game is not installed.
std::wstring PlayButtonName(int game, bool installed);
