// The drawing kit on real GDI and GDI+: fonts, artwork, display text and label text.
#include <gtest/gtest.h>

#include "temp_folder.h"
#include "ui/drawing_kit.h"
#include "ui_test_support.h"

using namespace Gdiplus;

namespace {
constexpr ARGB kPaper = 0xFF000000;

// The ink actually on the canvas: the smallest rectangle holding every non-paper pixel.
struct InkExtent {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // right and bottom inclusive
    bool empty() const { return right < 0; }
};
InkExtent MeasureInk(const PixelCanvas& canvas) {
    InkExtent ink;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (canvas.Rgb(x, y) == kPaper) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}
}  // namespace

TEST(DrawingKit, UiFontScalesWithTheDpi) {
    TempFolder empty(L"tlvr-kit");
    DrawingKitSession kit(empty.path(), 1.5f);
    LOGFONTW font = {};
    ASSERT_EQ(GetObjectW(UiFont(), sizeof(font), &font), static_cast<int>(sizeof(font)));
    EXPECT_EQ(font.lfHeight, -27);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_STREQ(font.lfFaceName, L"Barlow");
    LOGBRUSH brush = {};
    ASSERT_NE(GetObjectW(DarkBackgroundBrush(), sizeof(brush), &brush), 0);
    EXPECT_EQ(brush.lbColor, RGB(26, 29, 31));
}

TEST(DrawingKit, PackageFolderGivesFamiliesAndArtworkAndAnEmptyFolderNone) {
    const std::filesystem::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    {
        DrawingKitSession kit(art);
        ASSERT_NE(CondensedFamily(), nullptr);
        EXPECT_TRUE(CondensedFamily()->IsAvailable());
        ASSERT_NE(RegularFamily(), nullptr);
        EXPECT_TRUE(RegularFamily()->IsAvailable());
        ASSERT_NE(MastheadImage(), nullptr);
        EXPECT_EQ(MastheadImage()->GetWidth(), 1280u);
        EXPECT_NE(CardImage(0), nullptr);
        EXPECT_NE(CardImage(1), nullptr);
        EXPECT_EQ(CardImage(2), nullptr);
    }
    TempFolder empty(L"tlvr-kit");
    DrawingKitSession kit(empty.path());
    EXPECT_FALSE(CondensedFamily() && CondensedFamily()->IsAvailable());
    EXPECT_FALSE(RegularFamily() && RegularFamily()->IsAvailable());
    EXPECT_EQ(MastheadImage(), nullptr);
    EXPECT_EQ(CardImage(0), nullptr);
}

TEST(DisplayText, CentredInkBoxOverhangsASmallRectangleEquallyOnBothSides) {
    const std::filesystem::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    DrawingKitSession kit(art);
    PixelCanvas canvas(400, 200);
    canvas.Fill(kPaper);
    RectF ink;
    {
        Graphics graphics(canvas.dc());
        // 60 x 20 is much smaller than "TALVARO" at 69 units.
        ink = DrawDisplayText(graphics, L"TALVARO", RectF(170, 90, 60, 20), 69, kTextColour, false, true);
    }
    ASSERT_GT(ink.Width, 60.0f);
    ASSERT_GT(ink.Height, 20.0f);
    const float leftOverhang = 170.0f - ink.X;
    const float rightOverhang = ink.X + ink.Width - 230.0f;
    EXPECT_NEAR(leftOverhang, rightOverhang, 1e-3f);
    EXPECT_NEAR(90.0f - ink.Y, ink.Y + ink.Height - 110.0f, 1e-3f);

    // The glyphs landed where the returned box says, to within the edge pixels.
    const InkExtent drawn = MeasureInk(canvas);
    ASSERT_FALSE(drawn.empty()) << "no glyph was drawn";
    EXPECT_NEAR(drawn.left, ink.X, 1.5);
    EXPECT_NEAR(drawn.right + 1, ink.X + ink.Width, 1.5);
    EXPECT_NEAR(drawn.top, ink.Y, 1.5);
    EXPECT_NEAR(drawn.bottom + 1, ink.Y + ink.Height, 1.5);
}

TEST(DisplayText, UncentredInkTopSitsOnTheRectangleTopWhateverTheAscent) {
    const std::filesystem::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    DrawingKitSession kit(art);
    for (const float size : {20.0f, 69.0f}) {
        PixelCanvas canvas(500, 160);
        canvas.Fill(kPaper);
        RectF ink;
        {
            Graphics graphics(canvas.dc());
            ink = DrawDisplayText(graphics, L"OVRA-REMIX", RectF(30, 40, 400, 100), size, kAccentColour,
                                  true, false);
        }
        EXPECT_FLOAT_EQ(ink.X, 30.0f);
        EXPECT_FLOAT_EQ(ink.Y, 40.0f);
        const InkExtent drawn = MeasureInk(canvas);
        ASSERT_FALSE(drawn.empty()) << "no glyph was drawn at size " << size;
        EXPECT_NEAR(drawn.top, 40, 1) << "size " << size;
        EXPECT_NEAR(drawn.left, 30, 1) << "size " << size;
    }
}

namespace {
// Draws a bold and a regular label and a display text; returns the pixels each one inked.
struct InkCounts {
    int bold;
    int regular;
    int display;
};
InkCounts DrawSamples() {
    InkCounts counts{};
    for (int sample = 0; sample < 3; ++sample) {
        PixelCanvas canvas(300, 80);
        canvas.Fill(kPaper);
        {
            Graphics graphics(canvas.dc());
            graphics.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
            if (sample == 2) {
                DrawDisplayText(graphics, L"PLAY", RectF(4, 4, 290, 70), 32, kTextColour, true, true);
            } else {
                DrawLabelText(graphics, L"SETTINGS and Controls", RectF(4, 4, 290, 50), 18, kTextColour,
                              sample == 0);
            }
        }
        const int inked = canvas.CountOtherThan(kPaper);
        (sample == 0 ? counts.bold : sample == 1 ? counts.regular : counts.display) = inked;
    }
    return counts;
}

// Windows always has Segoe UI; a Wine prefix may have neither it nor a generic sans-serif face.
bool SystemHasFallbackFace() {
    const FontFamily segoe(L"Segoe UI");
    if (segoe.IsAvailable()) return true;
    GpFontFamily* generic = nullptr;
    return DllExports::GdipGetGenericFontFamilySansSerif(&generic) == Ok && generic != nullptr;
}
}  // namespace

TEST(TextDrawing, PackageFontsDrawLabelsAndDisplayText) {
    const std::filesystem::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    DrawingKitSession kit(art);
    const InkCounts inked = DrawSamples();
    EXPECT_GT(inked.bold, 40);
    EXPECT_GT(inked.regular, 40);
    EXPECT_GT(inked.display, 40);
}

TEST(TextDrawing, WithoutPackageFontsEverythingStillDrawsInTheFallbackFace) {
    TempFolder empty(L"tlvr-kit");
    DrawingKitSession kit(empty.path());
    if (!SystemHasFallbackFace()) {
        GTEST_SKIP() << "this system has neither Segoe UI nor a generic sans-serif face to fall back "
                        "to (a bare Wine prefix: map \"Segoe UI\" and \"Microsoft Sans Serif\" under "
                        "HKCU\\Software\\Wine\\Fonts\\Replacements to an installed face)";
    }
    const InkCounts inked = DrawSamples();
    EXPECT_GT(inked.bold, 40);
    EXPECT_GT(inked.regular, 40);
    const FontFamily segoe(L"Segoe UI");
    // Display text falls back to Segoe UI only, never to the generic face.
    if (segoe.IsAvailable()) EXPECT_GT(inked.display, 40);
}

TEST(LabelText, TextStaysInsideItsRectangle) {
    // Word wrap and the ellipsis keep a long label to its rectangle: nothing below or right of it.
    const std::filesystem::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    DrawingKitSession kit(art);
    PixelCanvas canvas(300, 120);
    canvas.Fill(kPaper);
    {
        Graphics graphics(canvas.dc());
        DrawLabelText(graphics,
                      L"Offline achievements (F6) in both games and a great deal more text than fits",
                      RectF(10, 10, 150, 40), 15, kTextColour, false);
    }
    const InkExtent drawn = MeasureInk(canvas);
    ASSERT_FALSE(drawn.empty());
    EXPECT_LE(drawn.right, 160);
    EXPECT_LE(drawn.bottom, 50);
}
