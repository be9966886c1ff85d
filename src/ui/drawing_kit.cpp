#include "ui/drawing_kit.h"

#include <objbase.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/language_faces.h"

namespace fs = std::filesystem;
using namespace Gdiplus;

namespace {
constexpr wchar_t kMastheadFile[] = L"masthead.png";
constexpr wchar_t kFallbackFamilyName[] = L"Segoe UI";
constexpr float kUiFontHeight = -18.0f;

struct UiFontEntry {
    std::wstring face;
    int height;
    HFONT font;
};

struct DrawingKit {
    ULONG_PTR gdiplusToken = 0;
    bool gdiplusStarted = false;
    std::vector<fs::path> gdiFonts;  // registered with GDI, in registration order
    std::unique_ptr<PrivateFontCollection> collection;
    // Every family the languages draw with, by name; a family whose files did not load is in its
    // failed state (or absent without a collection).
    std::vector<std::pair<std::wstring, std::unique_ptr<FontFamily>>> families;
    std::unique_ptr<Image> masthead;
    std::unique_ptr<Image> cards[2];
    // The name GDI+ gives its generic sans-serif family, read when a text call first needs it
    // (only the fallbacks do) and then kept for the GDI+ session.
    std::wstring genericSansSerif;
    bool genericSansSerifRead = false;
    bool started = false;  // UiFont makes fonts only inside a kit session
    float dpiScale = 1.0f;
    // The UI font of each face and scale asked for, kept until shut-down: controls may still hold
    // the font of the language or the DPI before a change.
    std::vector<UiFontEntry> uiFonts;
    HBRUSH darkBrush = nullptr;
    std::vector<void (*)()> cacheReleases;
    // The label fonts made so far: a repaint (a language change repaints every label) then makes
    // none. Each is kept by the family it was asked of, which a language change may change.
    struct LabelFontEntry {
        const FontFamily* family;
        float emSize;
        bool bold;
        std::unique_ptr<FontFamily> generic;  // the family the font was made from, when generic
        std::unique_ptr<Font> font;
    };
    std::vector<LabelFontEntry> labelFonts;
};
DrawingKit g_kit;
DrawnTextObserver g_textObserver = nullptr;  // outside the kit: it outlives kit sessions

// A file that does not load leaves no image: nothing is drawn in its place.
std::unique_ptr<Image> LoadImageFile(const fs::path& file) {
    auto image = std::make_unique<Image>(file.c_str(), FALSE);
    if (image->GetLastStatus() != Ok) image.reset();
    return image;
}

std::wstring GenericSansSerifName() {
    GpFontFamily* generic = nullptr;
    if (DllExports::GdipGetGenericFontFamilySansSerif(&generic) != Ok || !generic) return {};
    WCHAR name[LF_FACESIZE] = {};
    DllExports::GdipGetFamilyName(generic, name, LANG_NEUTRAL);
    return name;
}

// The family of that name among those the collection holds, found by walking the collection's
// own list: it answers for exactly the fonts added to it, whatever faces the system enumerates
// under similar names. A name the collection lacks gives a family in its failed state.
std::unique_ptr<FontFamily> FamilyFromCollection(const PrivateFontCollection& collection,
                                                 const wchar_t* name) {
    const INT count = collection.GetFamilyCount();
    if (count > 0) {
        std::unique_ptr<FontFamily[]> families(new FontFamily[count]);
        INT found = 0;
        collection.GetFamilies(count, families.get(), &found);
        for (INT i = 0; i < found; ++i) {
            WCHAR familyName[LF_FACESIZE] = {};
            if (families[i].GetFamilyName(familyName) == Ok && _wcsicmp(familyName, name) == 0) {
                return std::unique_ptr<FontFamily>(families[i].Clone());
            }
        }
    }
    return std::make_unique<FontFamily>(name, &collection);
}

bool FamilyUsable(const FontFamily* family) {
    return family != nullptr && family->IsAvailable();
}

FontFamily* FamilyNamed(const wchar_t* name) {
    for (auto& [familyName, family] : g_kit.families) {
        if (familyName == name) return family.get();
    }
    return nullptr;
}

void AddFamily(const wchar_t* name) {
    if (FamilyNamed(name)) return;
    g_kit.families.emplace_back(name, g_kit.collection ? FamilyFromCollection(*g_kit.collection, name)
                                                       : std::make_unique<FontFamily>(name));
}

const std::wstring& GenericSansSerif() {
    if (!g_kit.genericSansSerifRead) {
        g_kit.genericSansSerif = GenericSansSerifName();
        g_kit.genericSansSerifRead = true;
    }
    return g_kit.genericSansSerif;
}

void LoadArtwork(const fs::path& artFolder) {
    g_kit.masthead = LoadImageFile(artFolder / kMastheadFile);
    for (int game = 0; game < 2; ++game) {
        g_kit.cards[game] = LoadImageFile(artFolder / (L"tlvr" + std::to_wstring(game + 1) + L".png"));
    }
}
}  // namespace

void StartDrawingKit(const fs::path& artFolder, float dpiScale) {
    GdiplusStartupInput input;
    g_kit.gdiplusStarted = GdiplusStartup(&g_kit.gdiplusToken, &input, nullptr) == Ok;

    // GDI registration lets child controls select "Barlow" (or Russian's face) by name.
    for (const PackageFontFile& file : kPackageFontFiles) {
        if (!file.forGdi) continue;
        g_kit.gdiFonts.push_back(artFolder / file.name);
        AddFontResourceExW(g_kit.gdiFonts.back().c_str(), FR_PRIVATE, nullptr);
    }

    g_kit.collection.reset(new PrivateFontCollection());
    if (g_kit.collection) {
        for (const PackageFontFile& file : kPackageFontFiles)
            g_kit.collection->AddFontFile((artFolder / file.name).c_str());
    }
    for (const char* tag : {"en", "ru"}) {
        AddFamily(FacesForLanguage(tag).condensed);
        AddFamily(FacesForLanguage(tag).regular);
    }
    if (!g_kit.collection) {
        // Without a collection only the installed faces can draw: titles fall back to Segoe UI.
        for (auto& named : g_kit.families) {
            if (named.first != FacesForLanguage("en").regular && named.first != FacesForLanguage("ru").regular)
                named.second.reset();
        }
    }

    LoadArtwork(artFolder);

    g_kit.started = true;
    g_kit.dpiScale = dpiScale;
    UiFont();
    g_kit.darkBrush = CreateSolidBrush(kWindowBackground);
}

void ShutDownDrawingKit() {
    // The caches first: they hold GDI+ objects that must go while GDI+ still runs.
    for (auto release : g_kit.cacheReleases) release();
    g_kit.cacheReleases.clear();
    for (auto& card : g_kit.cards) card.reset();
    g_kit.labelFonts.clear();
    g_kit.families.clear();
    g_kit.masthead.reset();
    g_kit.collection.reset();
    for (const fs::path& font : g_kit.gdiFonts) {
        if (!font.empty()) RemoveFontResourceExW(font.c_str(), FR_PRIVATE, nullptr);
    }
    for (const UiFontEntry& entry : g_kit.uiFonts) {
        if (entry.font) DeleteObject(entry.font);
    }
    if (g_kit.darkBrush) DeleteObject(g_kit.darkBrush);
    if (g_kit.gdiplusStarted) GdiplusShutdown(g_kit.gdiplusToken);
    g_kit = DrawingKit{};
    CoUninitialize();
}

HFONT UiFont() {
    if (!g_kit.started) return nullptr;
    const wchar_t* face = WindowFaceName();
    const int height = static_cast<int>(g_kit.dpiScale * kUiFontHeight);
    for (const UiFontEntry& entry : g_kit.uiFonts) {
        if (entry.face == face && entry.height == height) return entry.font;
    }
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
    if (!font) return g_kit.uiFonts.empty() ? nullptr : g_kit.uiFonts.back().font;  // an older one beats none
    g_kit.uiFonts.push_back(UiFontEntry{face, height, font});
    return font;
}

void ScaleUiFont(float dpiScale) {
    if (!g_kit.started) return;
    g_kit.dpiScale = dpiScale;
    UiFont();
}
HBRUSH DarkBackgroundBrush() { return g_kit.darkBrush; }

void AtDrawingKitShutDown(void (*release)()) {
    for (auto known : g_kit.cacheReleases) {
        if (known == release) return;
    }
    g_kit.cacheReleases.push_back(release);
}

Image* MastheadImage() { return g_kit.masthead.get(); }
Image* CardImage(int index) {
    return (index == 0 || index == 1) ? g_kit.cards[index].get() : nullptr;
}
FontFamily* CondensedFamily() { return FamilyNamed(CurrentLanguageFaces().condensed); }
FontFamily* RegularFamily() { return FamilyNamed(CurrentLanguageFaces().regular); }

bool IsImageUsable(Image* image) { return image != nullptr && image->GetLastStatus() == Ok; }

CanvasFit FitCanvas(int width, int height, float designWidth, float designHeight, float floor) {
    float scale = std::min(static_cast<float>(width) / designWidth,
                           static_cast<float>(height) / designHeight);
    if (scale < floor) scale = floor;
    return CanvasFit{scale, (static_cast<float>(width) - designWidth * scale) / 2.0f,
                     (static_cast<float>(height) - designHeight * scale) / 2.0f};
}

void ApplyCanvasTransform(Graphics& graphics, const CanvasFit& fit) {
    graphics.TranslateTransform(fit.offsetX, fit.offsetY);
    graphics.ScaleTransform(fit.scale, fit.scale);
}

DisplayTextShape MakeDisplayTextShape(const wchar_t* text, float emSize, bool italic) {
    FontFamily fallback(kFallbackFamilyName);
    const INT style = italic ? FontStyleBoldItalic : FontStyleBold;
    const FontFamily* family = &fallback;
    FontFamily* condensed = CondensedFamily();
    if (condensed) {
        const BOOL available = condensed->IsStyleAvailable(style);
        if (condensed->GetLastStatus() == Ok && available) family = condensed;
    }
    if (g_textObserver) g_textObserver(text, *family, style);
    DisplayTextShape shape;
    shape.path = std::make_unique<GraphicsPath>(FillModeAlternate);
    const RectF origin(0.0f, 0.0f, 0.0f, 0.0f);
    shape.path->AddString(text, -1, family, style, emSize, origin, StringFormat::GenericTypographic());
    shape.path->GetBounds(&shape.ink, nullptr, nullptr);
    return shape;
}

RectF FillDisplayText(Graphics& graphics, const DisplayTextShape& shape, const RectF& rect,
                      ARGB colour, bool centre) {
    const RectF& ink = shape.ink;
    const float x = centre ? rect.X + (rect.Width - ink.Width) / 2.0f : rect.X;
    const float y = centre ? rect.Y + (rect.Height - ink.Height) / 2.0f : rect.Y;
    if (shape.path) {
        std::unique_ptr<GraphicsPath> placed(shape.path->Clone());
        if (placed) {
            Matrix shift;
            shift.Translate(x - ink.X, y - ink.Y);
            placed->Transform(&shift);
            SolidBrush brush{Color(colour)};
            graphics.FillPath(&brush, placed.get());
        }
    }
    return RectF(x, y, ink.Width, ink.Height);
}

RectF DrawDisplayText(Graphics& graphics, const wchar_t* text, const RectF& rect, float emSize,
                      ARGB colour, bool italic, bool centre) {
    const DisplayTextShape shape = MakeDisplayTextShape(text, emSize, italic);
    return FillDisplayText(graphics, shape, rect, colour, centre);
}

namespace {
// A label font, borrowed from the kit's list: valid until the kit shuts down or the list is
// cleared by a later call.
struct LabelFont {
    const Font* font = nullptr;
};

// So many sizes are asked only by fitting texts across many languages and scales; the list then
// starts again rather than growing without end.
constexpr size_t kMostLabelFonts = 256;

LabelFont MakeLabelFont(float emSize, bool bold) {
    std::unique_ptr<FontFamily> generic;
    // The generic sans-serif family is made only on the paths that use it.
    auto genericFamily = [&generic]() -> const FontFamily* {
        if (!generic) generic = std::make_unique<FontFamily>(GenericSansSerif().c_str());
        return FamilyUsable(generic.get()) ? generic.get() : nullptr;
    };
    // Bold text is Barlow Condensed Bold, regular text Barlow Regular (for Russian, Fira Sans
    // Condensed in both).
    const FontFamily* asked = bold ? CondensedFamily() : RegularFamily();
    for (const auto& entry : g_kit.labelFonts) {
        if (entry.family == asked && entry.emSize == emSize && entry.bold == bold) return LabelFont{entry.font.get()};
    }
    const FontFamily* preferredFamily = bold ? asked : (asked ? asked : genericFamily());
    const INT style = bold ? FontStyleBold : FontStyleRegular;
    std::unique_ptr<Font> font;
    if (FamilyUsable(preferredFamily)) {
        font = std::make_unique<Font>(preferredFamily, emSize, style, UnitPixel);
    }
    if (!font || font->GetLastStatus() != Ok) {
        // Segoe UI, or the generic sans-serif face where Segoe UI is not installed. Made only
        // when needed: the fonts that are not chosen are never drawn with.
        const FontFamily segoe(kFallbackFamilyName);
        const FontFamily* fallback = FamilyUsable(&segoe) ? &segoe : genericFamily();
        font = std::make_unique<Font>(fallback, emSize, style, UnitPixel);
    }
    if (g_kit.labelFonts.size() >= kMostLabelFonts) g_kit.labelFonts.clear();
    g_kit.labelFonts.push_back(DrawingKit::LabelFontEntry{asked, emSize, bold, std::move(generic), std::move(font)});
    return LabelFont{g_kit.labelFonts.back().font.get()};
}
}  // namespace

namespace {
DrawnLabelFitObserver g_fitObserver = nullptr;

// Whether a label laid out at `em` stays inside `rect`: its wrapped lines no taller than the
// rectangle, and no word wider than it (GDI+ would break such a word between two letters).
bool LabelFits(Graphics& graphics, const std::wstring& text, const Font& font, const RectF& rect, float em) {
    StringFormat format(0);
    RectF bounds;
    INT fitted = 0;
    INT lines = 0;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font,
                           RectF(0.0f, 0.0f, rect.Width, 1.0e6f), &format, &bounds, &fitted, &lines);
    if (bounds.Height > rect.Height + 0.5f) return false;
    // Only a word long enough to be wider than the rectangle is measured on its own.
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L" \n\u00A0\u202F", start);
        if (end == std::wstring::npos) end = text.size();
        if (static_cast<float>(end - start) * em * 0.62f > rect.Width) {
            RectF word;
            graphics.MeasureString(text.c_str() + start, static_cast<INT>(end - start), &font, PointF(0.0f, 0.0f),
                                   &word);
            if (word.Width > rect.Width + 0.5f) return false;
        }
        start = end + 1;
    }
    return true;
}
}  // namespace

float FittingLabelEmSize(float asked, const std::function<bool(float)>& fits) {
    const float smallest = asked * kSmallestLabelShare;
    const float step = std::max(0.5f, asked * 0.04f);
    float em = asked;
    while (em > smallest && !fits(em)) em = std::max(smallest, em - step);
    return em;
}

void DrawLabelText(Graphics& graphics, const wchar_t* text, const RectF& rect, float emSize,
                   ARGB colour, bool bold) {
    LabelFont label = MakeLabelFont(emSize, bold);
    if (g_textObserver) {
        FontFamily family;
        if (label.font->GetFamily(&family) == Ok) g_textObserver(text, family, label.font->GetStyle());
    }
    // A text longer than its box (a translation, mostly) is drawn smaller until it fits; the
    // ellipsis is left for a text that does not fit even at the smallest size.
    const std::wstring whole(text);
    bool fits = LabelFits(graphics, whole, *label.font, rect, emSize);
    float em = emSize;
    if (!fits) {
        em = FittingLabelEmSize(emSize, [&](float size) {
            if (size == emSize) return false;
            label = MakeLabelFont(size, bold);
            return LabelFits(graphics, whole, *label.font, rect, size);
        });
        if (label.font->GetSize() != em) label = MakeLabelFont(em, bold);
        fits = LabelFits(graphics, whole, *label.font, rect, em);
    }
    if (g_fitObserver) g_fitObserver(DrawnLabelFit{whole, rect, emSize, em, fits});
    // Whole lines only: a line cut through the middle is worse than one left out after an ellipsis.
    StringFormat format(StringFormatFlagsLineLimit);
    format.SetTrimming(StringTrimmingEllipsisCharacter);
    SolidBrush brush{Color(colour)};
    graphics.DrawString(text, -1, label.font, rect, &format, &brush);
}

void ObserveLabelFits(DrawnLabelFitObserver observer) { g_fitObserver = observer; }
void ReportLabelFit(const DrawnLabelFit& fit) {
    if (g_fitObserver) g_fitObserver(fit);
}

float LabelTextWidth(Graphics& graphics, const wchar_t* text, float emSize, bool bold) {
    const LabelFont label = MakeLabelFont(emSize, bold);
    RectF bounds;
    graphics.MeasureString(text, -1, label.font, PointF(0.0f, 0.0f), &bounds);
    return bounds.Width;
}

void ObserveDrawnTexts(DrawnTextObserver observer) { g_textObserver = observer; }
