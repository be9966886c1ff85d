#pragma once
// Painting the home window's design canvas and its two game cards.
#include <windows.h>

#include <string>

#include "ui/gdiplus_api.h"

// The narrowest focus outline, in pixels.
inline constexpr float kFocusOutlinePixels = 2.0f;

// WM_PAINT (between BeginPaint and EndPaint) and WM_PRINTCLIENT.
void PaintHomeBackground(HWND hwnd, HDC hdc);
// WM_DRAWITEM for ids 100 and 101.
void PaintGameCard(const DRAWITEMSTRUCT& item);
// The same card with its face and artwork drawn afresh: the reference the cached face must match.
void PaintGameCardUncached(const DRAWITEMSTRUCT& item);

// What a card's cached face (its colour and rescaled artwork) was drawn for: a paint reuses it
// only when all of these agree.
struct CardFaceKey {
    int width;   // the card's pixels
    int height;
    Gdiplus::Image* art;  // null when the artwork is missing or unusable
    float scale;          // the layout scale
    Gdiplus::ARGB face;
    bool operator==(const CardFaceKey& o) const;
};

// The same picture composed for this paint alone, keeping nothing: the path taken when no
// off-screen memory can be kept, and the reference the cached picture must match.
void PaintHomeBackgroundUncached(HWND hwnd, HDC hdc);

// Drops the composed background picture (and the static elements drawn for the current scale
// when asked); the next paint composes afresh.
void ForgetHomeCanvas(bool staticLayerToo = true);
// The language changed: the texts are drawn again over the art kept from before.
void ForgetHomeTexts();

// The status line under the game blurb for the selected game.
std::wstring GameStatusLine(bool installed);
// A card's status line: the game's year, whether it is installed and, when given, the play time.
std::wstring CardStatusLine(int game, bool installed, const std::wstring& playTime = {});
// The line as the card shows it now: the play time only on an installed game's card, and only
// while the player keeps it shown.
std::wstring CurrentCardStatusLine(int game);

Gdiplus::ARGB CardFaceColour(bool selected);
struct CardBorder {
    Gdiplus::ARGB colour;
    float width;  // design units; 0 draws no border
};
CardBorder CardBorderFor(bool selected, bool focused, bool hot);
