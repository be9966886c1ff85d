#pragma once
// The one source of every colour a Launcher window paints with: the dark palette, or while high
// contrast is on the system's colour pairs. Windows take their colours from here, never from
// constants of their own, so a window added later follows high contrast by the same calls.
#include <windows.h>

#include <vector>

#include "ui/gdiplus_api.h"

struct Palette {
    bool highContrast = false;
    // The home canvas (GDI+, ARGB).
    Gdiplus::ARGB canvas;         // behind everything
    Gdiplus::ARGB panel;          // the header band and an unselected card
    Gdiplus::ARGB text;
    Gdiplus::ARGB muted;          // secondary texts
    Gdiplus::ARGB accent;         // the subtitle
    Gdiplus::ARGB divider;        // lines, not text
    Gdiplus::ARGB selectedPanel;  // the selected card
    Gdiplus::ARGB selectedText;   // the selected card's title
    Gdiplus::ARGB selectedMuted;  // the selected card's status line
    Gdiplus::ARGB selectedMark;   // the selected card's bar and border
    Gdiplus::ARGB cardLine;
    Gdiplus::ARGB cardBorder;     // focus and hover on an unselected card
    Gdiplus::ARGB buttonFace;
    Gdiplus::ARGB buttonFaceHot;
    Gdiplus::ARGB buttonText;
    Gdiplus::ARGB disabledText;
    Gdiplus::ARGB playFace;
    Gdiplus::ARGB playPressedFace;
    Gdiplus::ARGB playLabel;
    Gdiplus::ARGB playPressedLabel;
    Gdiplus::ARGB focus;          // the focus outline on a command button
    Gdiplus::ARGB playFocus;      // the same on PLAY
    // The secondary windows (GDI).
    COLORREF windowBackground;
    COLORREF windowText;
    COLORREF logText;
};

Palette DarkPalette();
// The system's pairs, read through `systemColour` (GetSysColor, or a test's table).
Palette HighContrastPalette(COLORREF (*systemColour)(int index));

// High contrast as the system reports it, or as TLVR_QA_HIGH_CONTRAST=1 asks (Wine cannot switch
// it on). Read once, and again by RefreshPalette.
bool HighContrastOn();
const Palette& CurrentPalette();
// Reads the setting and the system colours again; true when the palette changed.
bool RefreshPalette();

// The messages after which a top-level window asks for the palette again.
inline bool IsColourChangeMessage(UINT message) {
    return message == WM_SETTINGCHANGE || message == WM_SYSCOLORCHANGE || message == WM_THEMECHANGED;
}
// A secondary window's background brush (owned here, remade when the palette changes).
HBRUSH WindowBackgroundBrush();
// WM_CTLCOLOR*: the window's text pair on its background; returns the brush to answer with.
LRESULT AnswerControlColours(HDC dc, bool logText = false);
// At creation and after a colour change: class brush, title bar and a full repaint.
void ApplyWindowColours(HWND window);
// After a colour-change message: the palette read again, then applied to the window.
void FollowColourChange(HWND window);

// Contrast as WCAG 2 defines it: relative luminance of sRGB colours, ratio 1 to 21.
double RelativeLuminance(COLORREF colour);
double ContrastRatio(COLORREF a, COLORREF b);
COLORREF ColourRefOf(Gdiplus::ARGB colour);

// One text the palette draws, at its size in pixels on the design canvas at 96 DPI.
struct PaletteText {
    const wchar_t* what;
    COLORREF text;
    COLORREF background;
    float pixels;
};
// Every text colour on every background it is drawn on.
std::vector<PaletteText> PaletteTexts(const Palette& palette);
// 4.5:1, or 3:1 for text of 24 pixels and more.
double RequiredContrast(float pixels);
