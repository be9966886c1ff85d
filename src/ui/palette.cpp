#include "ui/palette.h"

#include <cmath>

#include "app/win_owners.h"
#include "ui/dark_title_bar.h"
#include "ui/drawing_kit.h"

namespace {
struct PaletteState {
    bool read = false;
    Palette palette{};
    ScopedBrush highContrastBrush;  // COLOR_WINDOW while high contrast is on
    ScopedBrush darkBrush;          // only when the drawing kit has none
};
PaletteState g_palette;

Gdiplus::ARGB Opaque(COLORREF colour) {
    return 0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(colour)) << 16) |
           (static_cast<Gdiplus::ARGB>(GetGValue(colour)) << 8) | GetBValue(colour);
}

bool SystemHighContrast() {
    HIGHCONTRASTW setting = {};
    setting.cbSize = sizeof(setting);
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0) &&
        (setting.dwFlags & HCF_HIGHCONTRASTON)) {
        return true;
    }
    wchar_t qa[4] = {};
    return GetEnvironmentVariableW(L"TLVR_QA_HIGH_CONTRAST", qa, 4) == 1 && qa[0] == L'1';
}

COLORREF SystemColour(int index) { return GetSysColor(index); }

bool SamePalette(const Palette& a, const Palette& b) {
    return a.highContrast == b.highContrast && a.canvas == b.canvas && a.text == b.text &&
           a.selectedPanel == b.selectedPanel && a.buttonFace == b.buttonFace && a.buttonText == b.buttonText &&
           a.disabledText == b.disabledText && a.focus == b.focus && a.selectedText == b.selectedText;
}

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
}  // namespace

Palette DarkPalette() {
    Palette p;
    p.highContrast = false;
    p.canvas = kCanvasMargin;
    p.panel = kPanel;
    p.text = kTextColour;
    p.muted = kMutedColour;
    p.accent = kAccentColour;
    p.divider = kDivider;
    p.selectedPanel = kSelectedPanel;
    p.selectedText = kAccentColour;
    p.selectedMuted = kMutedColour;
    p.selectedMark = kAccentColour;
    p.cardLine = kCardLine;
    p.cardBorder = kCardBorder;
    p.buttonFace = kButtonFace;
    p.buttonFaceHot = kButtonFaceHot;
    p.buttonText = kTextColour;
    p.disabledText = kMutedColour;
    p.playFace = kAccentColour;
    p.playPressedFace = kPressedAccent;
    p.playLabel = kPlayLabel;
    p.playPressedLabel = kPlayLabel;
    p.focus = kAccentColour;
    p.playFocus = kCanvasMargin;
    p.windowBackground = kWindowBackground;
    p.windowText = kWindowText;
    p.logText = kLogText;
    return p;
}

Palette HighContrastPalette(COLORREF (*systemColour)(int index)) {
    const Gdiplus::ARGB window = Opaque(systemColour(COLOR_WINDOW));
    const Gdiplus::ARGB windowText = Opaque(systemColour(COLOR_WINDOWTEXT));
    const Gdiplus::ARGB face = Opaque(systemColour(COLOR_BTNFACE));
    const Gdiplus::ARGB faceText = Opaque(systemColour(COLOR_BTNTEXT));
    const Gdiplus::ARGB highlight = Opaque(systemColour(COLOR_HIGHLIGHT));
    const Gdiplus::ARGB highlightText = Opaque(systemColour(COLOR_HIGHLIGHTTEXT));
    const Gdiplus::ARGB grey = Opaque(systemColour(COLOR_GRAYTEXT));
    Palette p;
    p.highContrast = true;
    p.canvas = p.panel = window;
    p.text = p.muted = p.accent = windowText;
    p.divider = p.cardLine = p.cardBorder = windowText;
    p.selectedPanel = highlight;
    p.selectedText = p.selectedMuted = highlightText;
    p.selectedMark = highlightText;
    p.buttonFace = p.buttonFaceHot = face;
    p.buttonText = faceText;
    p.disabledText = grey;
    p.playFace = face;
    p.playLabel = faceText;
    p.playPressedFace = highlight;
    p.playPressedLabel = highlightText;
    p.focus = p.playFocus = highlight;
    p.windowBackground = systemColour(COLOR_WINDOW);
    p.windowText = p.logText = systemColour(COLOR_WINDOWTEXT);
    return p;
}

bool HighContrastOn() { return CurrentPalette().highContrast; }

const Palette& CurrentPalette() {
    if (!g_palette.read) RefreshPalette();
    return g_palette.palette;
}

bool RefreshPalette() {
    const Palette next = SystemHighContrast() ? HighContrastPalette(SystemColour) : DarkPalette();
    const bool changed = !g_palette.read || !SamePalette(next, g_palette.palette);
    g_palette.read = true;
    g_palette.palette = next;
    if (changed) g_palette.highContrastBrush.reset();
    return changed;
}

HBRUSH WindowBackgroundBrush() {
    const Palette& p = CurrentPalette();
    if (p.highContrast) {
        if (!g_palette.highContrastBrush) g_palette.highContrastBrush.reset(CreateSolidBrush(p.windowBackground));
        return g_palette.highContrastBrush.get();
    }
    if (HBRUSH kit = DarkBackgroundBrush()) return kit;
    if (!g_palette.darkBrush) g_palette.darkBrush.reset(CreateSolidBrush(kWindowBackground));
    return g_palette.darkBrush.get();
}

LRESULT AnswerControlColours(HDC dc, bool logText) {
    const Palette& p = CurrentPalette();
    SetTextColor(dc, logText ? p.logText : p.windowText);
    SetBkColor(dc, p.windowBackground);
    return reinterpret_cast<LRESULT>(WindowBackgroundBrush());
}

void ApplyWindowColours(HWND window) {
    if (!window) return;
    SetClassLongPtrW(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(WindowBackgroundBrush()));
    AskForTitleBarColours(window, !HighContrastOn());
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void FollowColourChange(HWND window) {
    RefreshPalette();
    ApplyWindowColours(window);
}

double RelativeLuminance(COLORREF colour) {
    return 0.2126 * Linear(GetRValue(colour)) + 0.7152 * Linear(GetGValue(colour)) +
           0.0722 * Linear(GetBValue(colour));
}

double ContrastRatio(COLORREF a, COLORREF b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::fmax(la, lb) + 0.05) / (std::fmin(la, lb) + 0.05);
}

COLORREF ColourRefOf(Gdiplus::ARGB colour) {
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

double RequiredContrast(float pixels) { return pixels >= 24.0f ? 3.0 : 4.5; }

std::vector<PaletteText> PaletteTexts(const Palette& p) {
    auto c = ColourRefOf;
    // Sizes are the em sizes the painters use on the 1280 x 800 canvas.
    return {
        {L"title over the header", c(p.text), c(p.panel), 69.0f},
        {L"subtitle over the header", c(p.accent), c(p.panel), 34.0f},
        {L"heading on the canvas", c(p.text), c(p.canvas), 49.0f},
        {L"key hint and footer on the canvas", c(p.muted), c(p.canvas), 14.0f},
        {L"game blurb on the canvas", c(p.text), c(p.canvas), 19.0f},
        {L"status line on the canvas", c(p.muted), c(p.canvas), 14.0f},
        {L"card title", c(p.text), c(p.panel), 25.0f},
        {L"card status", c(p.muted), c(p.panel), 13.0f},
        // Taken as normal text: the canvas shrinks below 1:1 in a small window.
        {L"selected card title", c(p.selectedText), c(p.selectedPanel), 18.0f},
        {L"selected card status", c(p.selectedMuted), c(p.selectedPanel), 13.0f},
        {L"command button", c(p.buttonText), c(p.buttonFace), 18.0f},
        {L"command button, hot or focused", c(p.buttonText), c(p.buttonFaceHot), 18.0f},
        {L"command button, disabled", c(p.disabledText), c(p.buttonFace), 18.0f},
        {L"PLAY", c(p.playLabel), c(p.playFace), 32.0f},
        {L"PLAY, pressed", c(p.playPressedLabel), c(p.playPressedFace), 32.0f},
        {L"secondary window text", p.windowText, p.windowBackground, 15.0f},
        {L"log and edit text", p.logText, p.windowBackground, 15.0f},
    };
}
