#pragma once
// The drawing resources every Launcher window shares: package fonts, artwork, palette, the two
// text operations and the design canvas fit.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "ui/gdiplus_api.h"

// Registers the package fonts, loads the artwork and makes the UI font and dark brush.
// Nothing is reported: a resource that fails stays absent and drawing falls back.
void StartDrawingKit(const std::filesystem::path& artFolder, float dpiScale);
// Releases everything in the fixed order, ends GDI+ and uninitialises COM.
void ShutDownDrawingKit();

HFONT UiFont();
// The home window's scale changed (it opened on, or moved to, a monitor of another DPI): the UI font
// is made anew at that scale. Windows opened later take the new one; the old one stays valid.
void ScaleUiFont(float dpiScale);
HBRUSH DarkBackgroundBrush();

// Caches of drawn pictures hold GDI+ objects: they register here and are released first at
// shut-down, while GDI+ still runs.
void AtDrawingKitShutDown(void (*release)());

// Artwork and families; each may be null when its file did not load.
Gdiplus::Image* MastheadImage();
Gdiplus::Image* CardImage(int index);
Gdiplus::FontFamily* CondensedFamily();
Gdiplus::FontFamily* RegularFamily();
// True when the image exists and its last status is Ok (reading the status resets it).
bool IsImageUsable(Gdiplus::Image* image);

// GDI colours of the secondary windows.
inline constexpr COLORREF kWindowBackground = RGB(26, 29, 31);
inline constexpr COLORREF kWindowText = RGB(244, 240, 226);
inline constexpr COLORREF kLogText = RGB(232, 234, 233);

// GDI+ palette, ARGB.
inline constexpr Gdiplus::ARGB kTextColour = 0xFFF4F0E2;
inline constexpr Gdiplus::ARGB kMutedColour = 0xFFA6A9A3;
inline constexpr Gdiplus::ARGB kAccentColour = 0xFFFF4B36;
inline constexpr Gdiplus::ARGB kPressedAccent = 0xFFD6331E;
inline constexpr Gdiplus::ARGB kCanvasMargin = 0xFF101315;
inline constexpr Gdiplus::ARGB kPlayLabel = 0xFF111416;
inline constexpr Gdiplus::ARGB kPanel = 0xFF171A1C;
// Dark enough for the accent title on it to keep 4.5:1 (it was 0xFF262A2B: 4.36:1).
inline constexpr Gdiplus::ARGB kSelectedPanel = 0xFF222627;
inline constexpr Gdiplus::ARGB kButtonFace = 0xFF212527;
inline constexpr Gdiplus::ARGB kButtonFaceHot = 0xFF313535;
inline constexpr Gdiplus::ARGB kDivider = 0xFF3E4241;
inline constexpr Gdiplus::ARGB kCardLine = 0xFF484D4C;
inline constexpr Gdiplus::ARGB kCardBorder = 0xFFA8ABA5;

// Where a fixed design canvas lands in a client area: design point p goes to p * scale + offset.
struct CanvasFit {
    float scale;
    float offsetX;
    float offsetY;
};
// The smaller of the two axis ratios, raised to the floor; the canvas is centred (and may
// overflow with negative offsets when the floor wins).
CanvasFit FitCanvas(int width, int height, float designWidth, float designHeight, float floor);
// Translate by the offset, then scale: drawing constants become design-canvas units.
void ApplyCanvasTransform(Gdiplus::Graphics& graphics, const CanvasFit& fit);

// A display text's glyph outline with its ink box, built once and filled many times.
struct DisplayTextShape {
    std::unique_ptr<Gdiplus::GraphicsPath> path;  // at the font's own origin
    Gdiplus::RectF ink;                             // the path's world bounds
};
DisplayTextShape MakeDisplayTextShape(const wchar_t* text, float emSize, bool italic);
// Places the ink box at the rectangle's top-left corner (or centred in it) and fills the outline.
// Returns the rectangle covered by ink.
Gdiplus::RectF FillDisplayText(Gdiplus::Graphics& graphics, const DisplayTextShape& shape,
                               const Gdiplus::RectF& rect, Gdiplus::ARGB colour, bool centre);
// Titles: the glyph outline in Barlow Condensed Bold (Segoe UI when the package font is missing).
Gdiplus::RectF DrawDisplayText(Gdiplus::Graphics& graphics, const wchar_t* text,
                               const Gdiplus::RectF& rect, float emSize, Gdiplus::ARGB colour,
                               bool italic, bool centre);
// Everything else: laid out in the rectangle with word wrap, drawn smaller (down to
// kSmallestLabelShare of its size) where it would overflow, and with an ellipsis only below that.
void DrawLabelText(Gdiplus::Graphics& graphics, const wchar_t* text, const Gdiplus::RectF& rect,
                   float emSize, Gdiplus::ARGB colour, bool bold);
// The width of a label text laid out on one line, in the graphics' world units.
float LabelTextWidth(Gdiplus::Graphics& graphics, const wchar_t* text, float emSize, bool bold);

inline constexpr float kSmallestLabelShare = 0.7f;
// The largest size from `asked` down, in small steps, at which `fits` holds; the smallest size
// when none does.
float FittingLabelEmSize(float asked, const std::function<bool(float)>& fits);

// How each label fitted its rectangle, for the checks that every text fits in every language.
struct DrawnLabelFit {
    std::wstring text;
    Gdiplus::RectF rect;
    float askedEm;
    float drawnEm;
    bool fits;  // false: even the smallest size overflows, and the ellipsis cuts the text
};
using DrawnLabelFitObserver = void (*)(const DrawnLabelFit& fit);
void ObserveLabelFits(DrawnLabelFitObserver observer);
// Painters that fit a text their own way report it here too.
void ReportLabelFit(const DrawnLabelFit& fit);

// Every title and label drawn passes here with the family and style that draw it, so a check can
// see each text the Launcher shows together with its font. Null (the default) observes nothing.
using DrawnTextObserver = void (*)(const wchar_t* text, const Gdiplus::FontFamily& family, INT style);
void ObserveDrawnTexts(DrawnTextObserver observer);
