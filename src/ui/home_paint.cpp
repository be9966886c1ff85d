#include "ui/home_paint.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/game_table.h"
#include "app/launcher_state.h"
#include "controls/last_input.h"
#include "play/play_time.h"
#include "ui/canvas_surface.h"
#include "ui/drawing_kit.h"
#include "ui/home_layout.h"
#include "ui/palette.h"
#include "ui/prompt_glyphs.h"
#include "texts/texts.h"

using namespace Gdiplus;

namespace {
// Everything the background shows depends on these and on nothing else. Of the installed
// states only the selected game's is shown (the cards paint their own).
struct HomeScene {
    int width;
    int height;
    bool masthead;
    int selectedGame;
    bool selectedInstalled;
    bool highContrast;
    PromptStyle prompts;  // the hint line's glyphs
    bool swap;            // which face button the hint shows for "play"
};

bool SameScene(const HomeScene& a, const HomeScene& b) {
    return a.width == b.width && a.height == b.height && a.masthead == b.masthead &&
           a.selectedGame == b.selectedGame && a.selectedInstalled == b.selectedInstalled &&
           a.highContrast == b.highContrast && a.prompts == b.prompts && a.swap == b.swap;
}

// The installed state is asked afresh at every paint: a game installed meanwhile shows at once.
HomeScene CurrentScene(int width, int height) {
    HomeScene scene{};
    scene.width = width;
    scene.height = height;
    scene.highContrast = HighContrastOn();
    scene.prompts = CurrentPromptStyle();
    scene.swap = g_launcher.settings.swapConfirmBack != 0;
    // No text on artwork in high contrast: the header is the system's plain window colour.
    scene.masthead = MastheadImage() != nullptr && !scene.highContrast;
    const int selected = g_launcher.settings.selectedGame;
    scene.selectedGame = selected < 0 ? 0 : (selected > 1 ? 1 : selected);
    scene.selectedInstalled = IsGameInstalled(scene.selectedGame);
    return scene;
}

// Which table elements a pass draws: the art that no text is part of, the texts that change
// only with the language or the prompts, the two that follow the selected game, or all of them.
enum class Elements { Art, Texts, Scene, All };

constexpr wchar_t kTitle[] = L"TALVARO";
constexpr wchar_t kSubtitle[] = L"OVRA-REMIX RECOMP";
constexpr float kTitleSize = 69.0f;
constexpr float kSubtitleSize = 34.0f;

// The glyph outlines of the two titles do not depend on the scale: made once per kit session.
struct TitleShapes {
    DisplayTextShape title;
    DisplayTextShape subtitle;
};

// The art drawn once for a layout scale and sub-pixel phase of the canvas offset, on a layer
// whose pixels sit on whole-pixel positions of the client area: resizing without a change of
// scale (or back to an earlier size) reuses it, and so does a change of language or prompts.
struct ArtKey {
    float scale;
    float phaseX;
    float phaseY;
    bool masthead;
    bool highContrast;
    bool operator==(const ArtKey& o) const {
        return scale == o.scale && phaseX == o.phaseX && phaseY == o.phaseY && masthead == o.masthead &&
               highContrast == o.highContrast;
    }
};

// The static texts go on a copy of the art layer: the art under them stays as it was drawn.
struct StaticKey {
    ArtKey art;
    PromptStyle prompts;  // the hint line is one of the static texts
    bool swap;
    bool operator==(const StaticKey& o) const { return art == o.art && prompts == o.prompts && swap == o.swap; }
};

// A card's face with its artwork already rescaled, at the card's pixel size.
struct CardFace {
    CardFaceKey key{};
    std::unique_ptr<CanvasSurface> surface;
};

struct HomeCanvasCache {
    std::unique_ptr<TitleShapes> titles;
    std::unique_ptr<CanvasSurface> artLayer;
    ArtKey artKey{};
    std::unique_ptr<CanvasSurface> staticLayer;  // the art with the static texts
    StaticKey staticKey{};
    bool staticTextsStale = false;  // the language changed since they were drawn
    // The finished picture at the client size. Stale when the layer under it changed: kept
    // rather than dropped, so that a language change reuses its memory.
    std::unique_ptr<CanvasSurface> canvas;
    bool canvasStale = false;
    HomeScene canvasScene{};
    CardFace cardFaces[kGameCount];
};
HomeCanvasCache g_cache;

void ReleaseHomeCaches() { g_cache = HomeCanvasCache{}; }

const TitleShapes& Titles() {
    if (!g_cache.titles) {
        AtDrawingKitShutDown(ReleaseHomeCaches);
        g_cache.titles.reset(new TitleShapes{MakeDisplayTextShape(kTitle, kTitleSize, false),
                                             MakeDisplayTextShape(kSubtitle, kSubtitleSize, true)});
    }
    return *g_cache.titles;
}

void Fill(Graphics& graphics, ARGB colour, float x, float y, float width, float height) {
    SolidBrush brush{Color(colour)};
    graphics.FillRectangle(&brush, x, y, width, height);
}

void Label(Graphics& graphics, const std::wstring& text, float x, float y, float width, float height,
           float size, ARGB colour, bool bold) {
    DrawLabelText(graphics, text.c_str(), RectF(x, y, width, height), size, colour, bold);
}

// The hint under the title: key names after the keyboard, the pad's own buttons after a pad.
void DrawHomeHint(Graphics& graphics, const HomeScene& scene, ARGB colour) {
    if (scene.prompts == PromptStyle::Keys) {
        Label(graphics, Text("home.hint.keys"), 42, 128, 1000, 20, 14, colour, false);
        return;
    }
    DrawHint(graphics, HomeHint(scene.prompts, scene.swap), scene.prompts, 42, 127, 14, colour, 110);
}

// The element table, in its order. Elements 10 and 11 are the scene's; they overlap no other
// element, so drawing them in a later pass over the static ones gives the same picture.
// The art overlaps no text but the masthead, which the texts are drawn over in every pass, so
// drawing the texts in a later pass over the art gives the same picture too.
void DrawElements(Graphics& graphics, const HomeScene& scene, Elements which) {
    const Palette& pal = CurrentPalette();
    const bool art = which == Elements::Art || which == Elements::All;
    const bool texts = which == Elements::Texts || which == Elements::All;
    const bool sceneOnes = which == Elements::Scene || which == Elements::All;
    if (art) {
        Fill(graphics, pal.panel, 0, 0, 1280, 118);
        Image* masthead = MastheadImage();
        if (scene.masthead && IsImageUsable(masthead)) {
            graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
            graphics.DrawImage(masthead, RectF(0, 0, 1280, 175), 0, 0,
                               static_cast<REAL>(masthead->GetWidth()),
                               static_cast<REAL>(masthead->GetHeight()), UnitPixel);
        }
        const TitleShapes& titles = Titles();
        const RectF titleInk =
            FillDisplayText(graphics, titles.title, RectF(44, 36, 800, 70), pal.text, false);
        FillDisplayText(graphics, titles.subtitle,
                        RectF(titleInk.X + titleInk.Width + 14, titleInk.Y + titleInk.Height - 25,
                              360, 34),
                        pal.accent, false);
        Fill(graphics, pal.divider, 42, 117, 1194, 1);
    }
    if (texts) {
        Label(graphics, Text("home.heading.choose_race"), 42, 148, 890, 65, 49, pal.text, true);
        Label(graphics, Text("home.lead"), 44, 208, 870, 25, 18, pal.muted, false);
        Label(graphics, Text("home.heading.settings"), 952, 224, 284, 36, 27, pal.text, true);
    }
    if (art) Fill(graphics, pal.divider, 924, 240, 1, 510);
    if (sceneOnes) {
        const int game = scene.selectedGame;
        Label(graphics, Text(kGames[game].blurbKey), 44, 687, 840, 58, 19, pal.text, false);
        Label(graphics, GameStatusLine(scene.selectedInstalled), 44, 761, 840, 22, 14,
              pal.muted, false);
    }
    if (texts) {
        Label(graphics, Text("home.hint.controls"), 952, 609, 284, 48, 15, pal.muted, false);
        Label(graphics, Text("home.whats_new.heading"), 952, 398, 284, 26, 20, pal.text, true);
        Label(graphics, Text("home.whats_new.text"), 952, 430, 300, 100, 15, pal.muted, false);
        DrawHomeHint(graphics, scene, pal.muted);
        const std::wstring footer = std::wstring(L"v") + kVersionText + L" / Windows x64";
        Label(graphics, footer, 1040, 762, 200, 22, 14, pal.muted, false);
    }
}

// A Graphics on a picture's DC: design point p lands on p * scale + (offsetX, offsetY). Through
// the DC rather than a GDI+ bitmap on the same pixels: solid fills and text then go through GDI's
// own DIB drawing, which is the faster path, and the cards are drawn the same way.
void Compose(HDC dc, const CanvasFit& fit, const HomeScene& scene, Elements which) {
    Graphics graphics(dc);
    ApplyCanvasTransform(graphics, fit);
    graphics.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
    DrawElements(graphics, scene, which);
}

// Spare pixels around the design canvas on the static layer, for edge smoothing.
constexpr int kLayerPad = 4;

// Where the static layer's top-left pixel lies in the client area.
POINT StaticLayerOrigin(const CanvasFit& fit) {
    return POINT{static_cast<LONG>(std::floor(fit.offsetX)) - kLayerPad,
                 static_cast<LONG>(std::floor(fit.offsetY)) - kLayerPad};
}

ArtKey ArtKeyFor(const CanvasFit& fit, const HomeScene& scene) {
    return ArtKey{fit.scale, fit.offsetX - std::floor(fit.offsetX), fit.offsetY - std::floor(fit.offsetY),
                  scene.masthead, HighContrastOn()};
}

StaticKey StaticKeyFor(const CanvasFit& fit, const HomeScene& scene) {
    return StaticKey{ArtKeyFor(fit, scene), scene.prompts, scene.swap};
}

// Keeps the surface when it already has the size: fresh memory costs more to touch than to fill.
bool EnsureSurface(std::unique_ptr<CanvasSurface>& surface, int width, int height) {
    if (!surface || surface->width() != width || surface->height() != height) {
        surface = CanvasSurface::Create(width, height);
    }
    return surface != nullptr;
}

// A layer covers the design canvas at this scale, with the smoothing pad on every side.
SIZE LayerSize(const CanvasFit& fit) {
    return SIZE{static_cast<LONG>(std::ceil(kHomeDesignWidth * fit.scale)) + 2 * kLayerPad + 1,
                static_cast<LONG>(std::ceil(kHomeDesignHeight * fit.scale)) + 2 * kLayerPad + 1};
}

CanvasFit FitOnLayer(const CanvasFit& fit) {
    const POINT origin = StaticLayerOrigin(fit);
    return CanvasFit{fit.scale, fit.offsetX - static_cast<float>(origin.x), fit.offsetY - static_cast<float>(origin.y)};
}

bool BringArtLayer(const CanvasFit& fit, const HomeScene& scene) {
    HomeCanvasCache& cache = g_cache;
    const ArtKey key = ArtKeyFor(fit, scene);
    if (cache.artLayer && cache.artKey == key) return true;
    const SIZE size = LayerSize(fit);
    if (!EnsureSurface(cache.artLayer, size.cx, size.cy)) return false;
    cache.artLayer->Fill(CurrentPalette().canvas);
    Compose(cache.artLayer->dc(), FitOnLayer(fit), scene, Elements::Art);
    cache.artKey = key;
    return true;
}

bool BringStaticLayer(const CanvasFit& fit, const HomeScene& scene) {
    HomeCanvasCache& cache = g_cache;
    const StaticKey key = StaticKeyFor(fit, scene);
    if (cache.staticLayer && cache.staticKey == key && !cache.staticTextsStale) return true;
    cache.canvasStale = true;  // composed over the old layer
    if (!BringArtLayer(fit, scene)) return false;
    const SIZE size = LayerSize(fit);
    if (!EnsureSurface(cache.staticLayer, size.cx, size.cy)) return false;
    cache.staticLayer->CopyFrom(*cache.artLayer, 0, 0, 0, size.cy);
    Compose(cache.staticLayer->dc(), FitOnLayer(fit), scene, Elements::Texts);
    cache.staticKey = key;
    cache.staticTextsStale = false;
    return true;
}

// The client rows that the scene's two elements can touch, with a margin for glyph overhang.
void SceneRows(const CanvasFit& fit, int* top, int* bottom) {
    constexpr float kFirst = 687.0f, kLast = 761.0f + 22.0f, kMargin = 8.0f;
    *top = static_cast<int>(std::floor((kFirst - kMargin) * fit.scale + fit.offsetY)) - 2;
    *bottom = static_cast<int>(std::ceil((kLast + kMargin) * fit.scale + fit.offsetY)) + 2;
}

// Brings the cached picture up to the scene; false when no off-screen memory could be had.
bool BringCanvas(const HomeScene& scene) {
    HomeCanvasCache& cache = g_cache;
    AtDrawingKitShutDown(ReleaseHomeCaches);
    if (cache.canvas && !cache.canvasStale && SameScene(cache.canvasScene, scene)) return true;

    const CanvasFit fit = FitHomeCanvas(scene.width, scene.height);
    if (!BringStaticLayer(fit, scene)) return false;
    const POINT origin = StaticLayerOrigin(fit);
    if (cache.canvas && !cache.canvasStale && cache.canvas->width() == scene.width &&
        cache.canvas->height() == scene.height) {
        // Same size over the same layer: only the band of the scene's elements goes back.
        int top = 0, bottom = 0;
        SceneRows(fit, &top, &bottom);
        cache.canvas->CopyFrom(*cache.staticLayer, origin.x, origin.y, top, bottom);
    } else {
        if (!EnsureSurface(cache.canvas, scene.width, scene.height)) return false;
        cache.canvas->Fill(CurrentPalette().canvas);
        cache.canvas->CopyFrom(*cache.staticLayer, origin.x, origin.y, 0, scene.height);
    }
    Compose(cache.canvas->dc(), fit, scene, Elements::Scene);
    cache.canvasScene = scene;
    cache.canvasStale = false;
    return true;
}

// The card's face colour with its artwork scaled to fit, in design units on a card w x h.
void DrawCardFace(Graphics& graphics, float w, float h, ARGB face, Image* art) {
    Fill(graphics, face, 0, 0, w, h);
    if (!art) return;
    const float artWidth = static_cast<float>(art->GetWidth());
    const float artHeight = static_cast<float>(art->GetHeight());
    // Leaves 77 units below for the caption and 10 on each side.
    const float k = std::min((h - 77.0f) / artHeight, (w - 20.0f) / artWidth);
    graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    graphics.DrawImage(art, RectF((w - artWidth * k) / 2.0f, 10.0f, artWidth * k, artHeight * k), 0, 0,
                       artWidth, artHeight, UnitPixel);
}

// The settings every card paint draws with, on a card `scale` times its design size.
void PrepareCardGraphics(Graphics& graphics, float scale) {
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
    graphics.ScaleTransform(scale, scale);
}

// Brings the game's cached face up to the key; false when no off-screen memory could be had.
bool BringCardFace(int game, const CardFaceKey& key) {
    CardFace& cached = g_cache.cardFaces[game];
    AtDrawingKitShutDown(ReleaseHomeCaches);
    if (cached.surface && cached.key == key) return true;
    if (!cached.surface || cached.surface->width() != key.width || cached.surface->height() != key.height) {
        cached.surface = CanvasSurface::Create(key.width, key.height);
        if (!cached.surface) return false;
    }
    // Starts opaque, so edge smoothing of the face fill blends with the face colour itself.
    cached.surface->Fill(key.face);
    // Drawn through the surface's DC, not its bitmap: GDI+ blends the artwork's smoothed edges
    // onto a DC differently (by a level here and there), and the card itself is a DC.
    Graphics graphics(cached.surface->dc());
    PrepareCardGraphics(graphics, key.scale);
    DrawCardFace(graphics, static_cast<float>(key.width) / key.scale,
                 static_cast<float>(key.height) / key.scale, key.face, key.art);
    cached.key = key;
    return true;
}

// Without memory for the cache: the picture is composed for this paint alone, off screen when a
// picture of the client size can still be had, else straight onto the target.
void PaintUncached(HDC hdc, const HomeScene& scene) {
    const CanvasFit fit = FitHomeCanvas(scene.width, scene.height);
    if (std::unique_ptr<CanvasSurface> picture = CanvasSurface::Create(scene.width, scene.height)) {
        picture->Fill(CurrentPalette().canvas);
        Compose(picture->dc(), fit, scene, Elements::All);
        GdiFlush();
        picture->CopyTo(hdc);
        return;
    }
    {
        Graphics target(hdc);
        target.Clear(Color(CurrentPalette().canvas));
    }
    Compose(hdc, fit, scene, Elements::All);
}
}  // namespace

std::wstring GameStatusLine(bool installed) {
    if (installed) return FormatText("home.status.installed", {{"version", kVersionText}});
    return Text("home.status.not_installed");
}

std::wstring CardStatusLine(int game, bool installed, const std::wstring& playTime) {
    const std::wstring line =
        FormatText(installed ? "home.card.ready" : "home.card.not_installed", {{"year", kGames[game].year}});
    if (playTime.empty()) return line;
    return FormatText("home.card.play_time", {{"status", line}, {"play_time", playTime}});
}

std::wstring CurrentCardStatusLine(int game) {
    const bool installed = IsGameInstalled(game);
    const bool withPlayTime = installed && g_launcher.settings.showPlayTime;
    return CardStatusLine(game, installed, withPlayTime ? CardPlayTimeText(game) : std::wstring());
}

ARGB CardFaceColour(bool selected) {
    const Palette& pal = CurrentPalette();
    return selected ? pal.selectedPanel : pal.panel;
}

CardBorder CardBorderFor(bool selected, bool focused, bool hot) {
    const Palette& pal = CurrentPalette();
    if (pal.highContrast) {
        // Told apart by shape too: the selected card has a heavy frame in the text colour, the
        // focused one a frame in the highlight colour.
        if (selected) return CardBorder{focused ? pal.focus : pal.text, focused ? 6.0f : 4.0f};
        if (focused) return CardBorder{pal.focus, 3.0f};
        return CardBorder{pal.cardBorder, 1.0f};
    }
    if (selected) return CardBorder{pal.selectedMark, focused ? 2.0f : 1.0f};
    if (focused) return CardBorder{pal.cardBorder, 2.0f};
    if (hot) return CardBorder{pal.cardBorder, 1.0f};
    return CardBorder{0, 0.0f};
}

void ForgetHomeCanvas(bool staticLayerToo) {
    if (staticLayerToo) {
        g_cache.artLayer.reset();
        g_cache.staticLayer.reset();
    }
    g_cache.canvas.reset();
}

void ForgetHomeTexts() {
    g_cache.staticTextsStale = true;
    g_cache.canvasStale = true;
}

namespace {
HomeScene SceneOf(HWND hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    const int width = std::max(1, static_cast<int>(client.right - client.left));
    const int height = std::max(1, static_cast<int>(client.bottom - client.top));
    return CurrentScene(width, height);
}
}  // namespace

void PaintHomeBackgroundUncached(HWND hwnd, HDC hdc) {
    PaintUncached(hdc, SceneOf(hwnd));
}

void PaintHomeBackground(HWND hwnd, HDC hdc) {
    const HomeScene scene = SceneOf(hwnd);
    if (BringCanvas(scene)) {
        g_cache.canvas->CopyTo(hdc);
    } else {
        ForgetHomeCanvas();
        PaintUncached(hdc, scene);
    }
}

namespace {
Image* UsableCardImage(int game) {
    // The artwork has the dark palette baked into it: high contrast shows the card without it.
    if (HighContrastOn()) return nullptr;
    Image* art = CardImage(game);
    return IsImageUsable(art) ? art : nullptr;
}

CardFaceKey CardFaceKeyFor(int game, int width, int height, float scale) {
    return CardFaceKey{width, height, UsableCardImage(game), scale,
                       CardFaceColour(game == g_launcher.settings.selectedGame)};
}

void PaintCard(const DRAWITEMSTRUCT& item, bool cacheFace) {
    const int game = static_cast<int>(item.CtlID) - kCardGame1Id;
    if (game < 0 || game >= kGameCount) return;
    const bool selected = game == g_launcher.settings.selectedGame;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool hot = HotControl() == static_cast<int>(item.CtlID);
    const float scale = HomeCanvasFit().scale;
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    const CardFaceKey key = CardFaceKeyFor(game, width, height, scale);

    // The face goes on first with GDI, before GDI+ takes the DC.
    const bool faceCopied = cacheFace && BringCardFace(game, key);
    if (faceCopied) g_cache.cardFaces[game].surface->CopyTo(item.hDC);

    Graphics graphics(item.hDC);
    PrepareCardGraphics(graphics, scale);
    const float w = static_cast<float>(width) / scale;
    const float h = static_cast<float>(height) / scale;
    if (!faceCopied) DrawCardFace(graphics, w, h, key.face, key.art);

    const Palette& pal = CurrentPalette();
    if (selected) {
        Fill(graphics, pal.selectedMark, 10, h - 61, w - 20, 3);
    } else {
        Fill(graphics, pal.cardLine, 10, h - 61, w - 20, 1);
    }
    Label(graphics, kGames[game].title, 12, h - 48, w - 24, 33, 25, selected ? pal.selectedText : pal.text, true);
    Label(graphics, CurrentCardStatusLine(game).c_str(), 12, h - 18, w - 24, 18, 13,
          selected ? pal.selectedMuted : pal.muted, false);

    const CardBorder border = CardBorderFor(selected, focused, hot);
    if (border.width > 0.0f) {
        // A focus outline stays at least 2 pixels wide however small the canvas.
        const float width = focused ? std::max(border.width, kFocusOutlinePixels / scale) : border.width;
        Pen pen(Color(border.colour), width);
        const float inset = std::max(1.0f, width / 2.0f);
        graphics.DrawRectangle(&pen, inset, inset, w - 2.0f * inset, h - 2.0f * inset);
    }
}
}  // namespace

void PaintGameCard(const DRAWITEMSTRUCT& item) { PaintCard(item, true); }
void PaintGameCardUncached(const DRAWITEMSTRUCT& item) { PaintCard(item, false); }

bool CardFaceKey::operator==(const CardFaceKey& o) const {
    return width == o.width && height == o.height && art == o.art && scale == o.scale && face == o.face;
}
