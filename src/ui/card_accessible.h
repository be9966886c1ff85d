#pragma once
// A game card as assistive technology sees it: Windows' own button object, with the card's
// status line (year, installed, play time) as its description, which the button alone lacks.
#include <windows.h>

#include <string>

// WM_GETOBJECT of a card: the answer for OBJID_CLIENT, or 0 to let the button answer.
LRESULT CardAccessibleObject(HWND card, WPARAM wParam, LPARAM lParam, const std::wstring& description);
