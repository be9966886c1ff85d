#pragma once
// The home window's nine owner-drawn controls: creation, subclassing, layout and painting.
#include <windows.h>

#include "ui/gdiplus_api.h"

inline constexpr int kCardGame1Id = 100;
inline constexpr int kCardGame2Id = 101;
inline constexpr int kPlayId = 200;
inline constexpr int kVideoId = 201;
inline constexpr int kControlsId = 204;
inline constexpr int kInstallId = 205;
inline constexpr int kAboutId = 206;
inline constexpr int kUpdatesId = 207;
inline constexpr int kOptionsId = 208;

// Creates and subclasses one owner-drawn BUTTON, appended to the button list (cards first).
HWND CreateOwnerDrawnControl(HWND parent, const wchar_t* text, int id);
// Places all nine controls on the 1280 x 800 design canvas fitted to the client area.
void LayoutHomeControls(HWND home);
// WM_DRAWITEM: cards go to the card painter, everything else is a command button.
void DrawHomeItem(const DRAWITEMSTRUCT& item);
HWND GameCard(int index);
// Forgets the button list (the home window is being destroyed).
void ForgetHomeControls();

// What the subclassed controls answer to WM_GETDLGCODE: the default code plus the arrow keys,
// and every key when the message asked about is Enter, so the dialog manager hands them over.
inline LRESULT ControlDialogCode(LRESULT defaultCode, const MSG* message) {
    LRESULT code = defaultCode | DLGC_WANTARROWS;
    if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
        code |= DLGC_WANTALLKEYS;
    }
    return code;
}
// A command button's face for its id, owner-draw state (ODS_*) and hot state.
Gdiplus::ARGB CommandButtonFace(int id, UINT itemState, bool hot);

