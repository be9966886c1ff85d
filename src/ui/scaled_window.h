#pragma once
// The standard controls of a secondary window drawn by Windows (video, installer, updates): each
// at its design rectangle times the window's scale, all in the window font (the language's face,
// "Barlow" or Russian's, design height -16) made at that scale. When the window moves to a monitor of another DPI the scale
// follows the DPI, the font is made anew, every child is placed again and the window takes the
// rectangle Windows suggests.
#include <windows.h>

#include <vector>

#include "app/win_owners.h"

struct ScaledWindow {
    float scale = 1.0f;
    UINT dpi = 96;  // the DPI the scale was chosen for
    ScopedFont font;
    struct Child {
        HWND hwnd;
        int x, y, width, height;  // design units
        int baseY, baseWidth, baseHeight;  // as the layout placed it, before a text made it grow
        DWORD baseStyle;
    };
    std::vector<Child> children;
    int grownBy = 0;  // design units the texts added to the window's height
};

// The window font's height for a scale: truncation of scale x -16.
int WindowFontHeight(float scale);
// A new window's layout: forgets the old children, keeps the scale and DPI and makes the font.
void StartScaledWindow(ScaledWindow& layout, float scale, UINT dpi);
// Creates a child at the scaled rectangle with the window font; check boxes are unthemed so that
// they draw light on dark.
HWND AddScaledChild(ScaledWindow& layout, HWND parent, const wchar_t* className, const wchar_t* text,
                    DWORD style, int x, int y, int width, int height, int id);
// A translation may be longer than the English text a layout was drawn for. A control whose text
// does not fit widens up to the window's margin when nothing stands beside it; a text that still
// does not fit wraps: its control grows taller, everything below it moves down and the window's
// bottom edge with it. Texts that fit (English does) keep their rectangles exactly. Call it once
// the children have their texts, and again after they change.
void FitChildrenToTexts(ScaledWindow& layout, HWND window);
// Gives a child of the layout another design rectangle (a language that needs more room) and
// places it there.
void MoveScaledChild(ScaledWindow& layout, HWND child, int x, int y, int width, int height);
// WM_DPICHANGED: the new DPI is in wParam, the suggested rectangle in lParam.
void RescaleForDpi(ScaledWindow& layout, HWND window, WPARAM wParam, LPARAM lParam);
// WM_DESTROY: the children are gone; the font goes too.
void ClearScaledWindow(ScaledWindow& layout);
// After a language change: every open layout whose font is not in the language's face gets a new
// font for all its children. Returns how many layouts changed.
int RefaceScaledWindows();

// Moves and sizes a window to the rectangle a WM_DPICHANGED suggests, keeping its z-order and
// activation. Every window handles the message through here.
void TakeSuggestedRect(HWND window, LPARAM lParam);
