// The home background and the game cards, painted through the real painters into real DCs.
#include <gtest/gtest.h>

#include "app/launcher_state.h"
#include "controls/last_input.h"
#include "temp_folder.h"
#include "texts/texts.h"
#include "ui/command_buttons.h"
#include "ui/drawing_kit.h"
#include "ui/home_layout.h"
#include "ui/home_paint.h"
#include "ui_test_support.h"

using namespace Gdiplus;
namespace fs = std::filesystem;

namespace {
constexpr ARGB kBand = 0xFF171A1C;
constexpr ARGB kMargin = 0xFF101315;
constexpr ARGB kRule = 0xFF3E4241;

#define EXPECT_PIXEL(canvas, x, y, colour) \
    EXPECT_EQ(HexColour((canvas).Rgb(x, y)), HexColour(colour)) << "at (" << (x) << ", " << (y) << ")"

// An installation root with no games, and the drawing kit on a chosen art folder.
class HomePaint : public ::testing::Test {
protected:
    void StartKit(const fs::path& art) { kit_ = std::make_unique<DrawingKitSession>(art); }
    void SetUp() override {
        g_launcher.root = root_.path();
        g_launcher.settings.selectedGame = 0;
    }
    void TearDown() override {
        for (HWND window : windows_) DestroyWindow(window);
        kit_.reset();
        g_launcher.root.clear();
    }
    HWND Window(int width, int height) {
        HWND window = CreateHomeLikeWindow(width, height);
        windows_.push_back(window);
        return window;
    }
    void Install(int game) {
        const std::wstring stem = game == 0 ? L"tlvr1" : L"tlvr2";
        WriteFileBytes(root_.path() / L"games" / stem / (stem + L".exe"), "MZ");
        WriteFileBytes(root_.path() / L"roms" / (stem + L".bin"), "rom");
    }
    TempFolder root_{L"tlvr-home"};
    TempFolder emptyArt_{L"tlvr-noart"};
    std::unique_ptr<DrawingKitSession> kit_;
    std::vector<HWND> windows_;
};

// The masthead's own pixel, read with GDI+ from the file the kit loaded.
ARGB MastheadPixel(const fs::path& art, int x, int y) {
    Bitmap masthead((art / L"masthead.png").c_str(), FALSE);
    Color colour;
    masthead.GetPixel(x, y, &colour);
    return colour.GetValue();
}

int ChannelDistance(ARGB a, ARGB b) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                         static_cast<int>((b >> shift) & 0xFF)));
    }
    return worst;
}

// "N pixels differ, worst by D of 255, first at (x, y)" for failure messages.
std::string Difference(const PixelCanvas& a, const PixelCanvas& b) {
    int differing = 0, worst = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const int d = ChannelDistance(a.Rgb(x, y), b.Rgb(x, y));
            if (d != 0 && differing++ == 0) firstX = x, firstY = y;
            worst = std::max(worst, d);
        }
    }
    return std::to_string(differing) + " pixels differ, worst by " + std::to_string(worst) +
           " of 255, first at (" + std::to_string(firstX) + ", " + std::to_string(firstY) + ")";
}
}  // namespace

TEST_F(HomePaint, DesignSizeWithoutMastheadDrawsBandRulesAndMargin) {
    StartKit(emptyArt_.path());
    HWND home = Window(1280, 800);
    PixelCanvas canvas(1280, 800);
    PaintHomeBackground(home, canvas.dc());
    EXPECT_PIXEL(canvas, 1200, 10, kBand);
    EXPECT_PIXEL(canvas, 5, 100, kBand);
    EXPECT_PIXEL(canvas, 600, 116, kBand);
    EXPECT_PIXEL(canvas, 600, 117, kRule);  // header rule, 42..1236
    EXPECT_PIXEL(canvas, 42, 117, kRule);
    EXPECT_PIXEL(canvas, 1235, 117, kRule);
    EXPECT_PIXEL(canvas, 41, 117, kBand);
    EXPECT_PIXEL(canvas, 1236, 117, kBand);
    EXPECT_PIXEL(canvas, 600, 118, kMargin);
    EXPECT_PIXEL(canvas, 924, 400, kRule);  // column rule, 240..750
    EXPECT_PIXEL(canvas, 925, 400, kMargin);
    EXPECT_PIXEL(canvas, 924, 749, kRule);
    EXPECT_PIXEL(canvas, 924, 750, kMargin);
    EXPECT_PIXEL(canvas, 600, 400, kMargin);
    EXPECT_PIXEL(canvas, 1279, 799, kMargin);
}

TEST_F(HomePaint, WideClientKeepsScaleOneBetween640PixelMargins) {
    StartKit(emptyArt_.path());
    HWND home = Window(2560, 800);
    PixelCanvas canvas(2560, 800);
    PaintHomeBackground(home, canvas.dc());
    for (int y : {0, 10, 117, 400, 799}) {
        EXPECT_PIXEL(canvas, 0, y, kMargin);
        EXPECT_PIXEL(canvas, 639, y, kMargin);
        EXPECT_PIXEL(canvas, 1920, y, kMargin);
        EXPECT_PIXEL(canvas, 2559, y, kMargin);
    }
    EXPECT_PIXEL(canvas, 640, 10, kBand);
    EXPECT_PIXEL(canvas, 1919, 10, kBand);
    EXPECT_PIXEL(canvas, 640 + 600, 117, kRule);
    EXPECT_PIXEL(canvas, 640 + 924, 400, kRule);
}

TEST_F(HomePaint, MastheadCoversTheBandDownTo175AndTheRuleStaysOnTop) {
    const fs::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    StartKit(art);
    HWND home = Window(1280, 800);
    PixelCanvas canvas(1280, 800);
    PaintHomeBackground(home, canvas.dc());
    for (const POINT p : {POINT{1200, 10}, POINT{700, 150}, POINT{10, 170}}) {
        const ARGB expected = MastheadPixel(art, p.x, p.y);
        EXPECT_LE(ChannelDistance(canvas.Rgb(p.x, p.y), expected), 12)
            << "at (" << p.x << ", " << p.y << ") " << HexColour(canvas.Rgb(p.x, p.y)) << " vs masthead "
            << HexColour(expected);
    }
    EXPECT_PIXEL(canvas, 600, 117, kRule);
    EXPECT_PIXEL(canvas, 600, 176, kMargin);
}

TEST_F(HomePaint, RepaintFollowsInstallationAndSelectionAtOnce) {
    // The cached picture must never be stale: each repaint must equal a picture composed afresh.
    const fs::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    StartKit(art);
    HWND home = Window(1280, 800);
    PixelCanvas before(1280, 800), after(1280, 800), fresh(1280, 800);

    PaintHomeBackground(home, before.dc());
    Install(0);  // game 1 becomes installed while the window is open
    PaintHomeBackground(home, after.dc());
    ForgetHomeCanvas();
    PaintHomeBackground(home, fresh.dc());
    EXPECT_FALSE(before.SameAs(after)) << "the status line did not change after installing";
    EXPECT_TRUE(after.SameAs(fresh)) << "cached repaint differs from a fresh composition";
    // Only the status band changed: the header is untouched.
    for (int x = 0; x < 1280; x += 97) EXPECT_EQ(before.Rgb(x, 60), after.Rgb(x, 60));

    g_launcher.settings.selectedGame = 1;
    PaintHomeBackground(home, after.dc());
    ForgetHomeCanvas();
    PaintHomeBackground(home, fresh.dc());
    EXPECT_TRUE(after.SameAs(fresh)) << "selection change left a stale picture";
    EXPECT_FALSE(after.SameAs(before));

    // The texts are drawn again over the art kept from before: each picture must be the one
    // composed from nothing, with none of the old texts left under it.
    const struct {
        const char* what;
        void (*change)();
    } changes[] = {
        {"a language change", [] { SetTextLanguage("de"); ForgetHomeTexts(); }},
        {"a pad's prompts", [] { NoteControllerInput(PadFamily::PlayStation); }},
        {"back to English and the keyboard", [] { SetTextLanguage("en"); ForgetHomeTexts(); ForgetLastInput(); }},
    };
    PixelCanvas previous(1280, 800);
    for (const auto& step : changes) {
        SCOPED_TRACE(step.what);
        PaintHomeBackground(home, previous.dc());
        step.change();
        PaintHomeBackground(home, after.dc());
        ForgetHomeCanvas();
        PaintHomeBackground(home, fresh.dc());
        EXPECT_TRUE(after.SameAs(fresh)) << Difference(after, fresh);
        EXPECT_FALSE(after.SameAs(previous)) << "the texts were not drawn again";
    }
    SetTextLanguage("en");
    ForgetLastInput();
}

TEST_F(HomePaint, CachedPictureMatchesOneComposedAfresh) {
    // Static elements are kept on a layer at whole-pixel positions and reused across sizes of
    // the same scale; the picture must stay the one composed directly (to within rounding of the
    // masthead's resampling phase, at most 2 of 255 per channel).
    const fs::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    StartKit(art);
    Install(0);
    for (const SIZE size : {SIZE{1280, 800}, SIZE{1000, 700}, SIZE{1733, 911}, SIZE{2560, 800}}) {
        HWND home = Window(size.cx, size.cy);
        PixelCanvas cached(size.cx, size.cy), direct(size.cx, size.cy);
        PaintHomeBackground(home, cached.dc());
        PaintHomeBackgroundUncached(home, direct.dc());
        int differing = 0, worst = 0;
        for (int y = 0; y < size.cy; ++y) {
            for (int x = 0; x < size.cx; ++x) {
                const int d = ChannelDistance(cached.Rgb(x, y), direct.Rgb(x, y));
                differing += d != 0;
                worst = std::max(worst, d);
            }
        }
        EXPECT_LE(worst, 2) << size.cx << "x" << size.cy << ": " << differing << " pixels differ";
        EXPECT_LT(differing, size.cx * size.cy / 100) << size.cx << "x" << size.cy;
    }
}

TEST_F(HomePaint, ResizedWindowGetsAPictureOfItsNewSize) {
    StartKit(emptyArt_.path());
    HWND home = Window(1280, 800);
    PixelCanvas small(1280, 800);
    PaintHomeBackground(home, small.dc());
    SetWindowPos(home, nullptr, 0, 0, 2560, 800, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PixelCanvas wide(2560, 800);
    PaintHomeBackground(home, wide.dc());
    EXPECT_PIXEL(wide, 100, 10, kMargin);
    EXPECT_PIXEL(wide, 640 + 600, 117, kRule);
}

TEST(CardFaceKeys, AFaceIsReusedOnlyWhenEveryPartAgrees) {
    Bitmap first(4, 4, PixelFormat32bppPARGB), second(4, 4, PixelFormat32bppPARGB);
    const CardFaceKey key{426, 414, &first, 1.0f, kPanel};
    CardFaceKey same = key;
    EXPECT_TRUE(same == key);
    CardFaceKey other = key;
    other.width = 425;
    EXPECT_FALSE(other == key) << "width";
    other = key;
    other.height = 415;
    EXPECT_FALSE(other == key) << "height";
    other = key;
    other.art = &second;
    EXPECT_FALSE(other == key) << "artwork";
    other.art = nullptr;
    EXPECT_FALSE(other == key) << "artwork gone";
    other = key;
    other.scale = 1.25f;
    EXPECT_FALSE(other == key) << "scale";
    other = key;
    other.face = kSelectedPanel;
    EXPECT_FALSE(other == key) << "face colour";
}

class GameCardPaint : public HomePaint {
protected:
    std::unique_ptr<PixelCanvas> PaintCard(int id, UINT state) {
        auto canvas = std::make_unique<PixelCanvas>(426, 414);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(id);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hDC = canvas->dc();
        item.rcItem = RECT{0, 0, 426, 414};
        DrawHomeItem(item);
        return canvas;
    }
    // The card at a client size's layout, through the cached painter or drawn afresh.
    std::unique_ptr<PixelCanvas> PaintCardAt(int id, SIZE client, bool cached) {
        const CanvasFit fit = FitHomeCanvas(client.cx, client.cy);
        SetHomeCanvasFit(fit);
        const RECT r = PlaceOnCanvas(HomeControlDesignRect(id), fit);
        auto canvas = std::make_unique<PixelCanvas>(r.right - r.left, r.bottom - r.top);
        canvas->Fill(0xFF00FF00);  // whatever was there must not show through
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(id);
        item.itemAction = ODA_DRAWENTIRE;
        item.hDC = canvas->dc();
        item.rcItem = RECT{0, 0, r.right - r.left, r.bottom - r.top};
        if (cached) {
            PaintGameCard(item);
        } else {
            PaintGameCardUncached(item);
        }
        return canvas;
    }
};

TEST_F(GameCardPaint, CachedFaceGivesTheCardDrawnAfresh) {
    const fs::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    StartKit(art);
    SetHotControl(-1);
    g_launcher.settings.selectedGame = 0;
    for (const SIZE client : {SIZE{1280, 800}, SIZE{1280, 800}, SIZE{1733, 911}, SIZE{1000, 700}}) {
        for (int id : {kCardGame1Id, kCardGame2Id}) {
            const auto cached = PaintCardAt(id, client, true);
            const auto direct = PaintCardAt(id, client, false);
            EXPECT_TRUE(cached->SameAs(*direct)) << "card " << id << " at " << client.cx << "x"
                                                 << client.cy << ": " << Difference(*cached, *direct);
        }
    }
    // Selection changes the face colour: the cached face follows.
    g_launcher.settings.selectedGame = 1;
    for (int id : {kCardGame1Id, kCardGame2Id}) {
        const auto cached = PaintCardAt(id, SIZE{1000, 700}, true);
        const auto direct = PaintCardAt(id, SIZE{1000, 700}, false);
        EXPECT_TRUE(cached->SameAs(*direct))
            << "card " << id << " after the selection changed: " << Difference(*cached, *direct);
    }
}

TEST_F(GameCardPaint, SelectedCardHasItsFaceAccentLineAndBorder) {
    StartKit(emptyArt_.path());
    SetHomeCanvasFit(FitHomeCanvas(1280, 800));
    SetHotControl(-1);
    g_launcher.settings.selectedGame = 0;
    const auto painted = PaintCard(kCardGame1Id, 0);
    const PixelCanvas& card = *painted;
    EXPECT_PIXEL(card, 200, 200, kSelectedPanel);
    // Caption line at h - 61 = 353, three units high.
    EXPECT_PIXEL(card, 200, 354, kAccentColour);
    EXPECT_PIXEL(card, 200, 350, kSelectedPanel);
    EXPECT_PIXEL(card, 200, 358, kSelectedPanel);
    EXPECT_PIXEL(card, 5, 354, kSelectedPanel);  // the line starts at x = 10
    EXPECT_PIXEL(card, 1, 200, kAccentColour);  // 1-unit border without focus
    EXPECT_PIXEL(card, 3, 200, kSelectedPanel);
}

TEST_F(GameCardPaint, UnselectedCardHasThePanelFaceAThinLineAndNoBorder) {
    StartKit(emptyArt_.path());
    SetHomeCanvasFit(FitHomeCanvas(1280, 800));
    SetHotControl(-1);
    g_launcher.settings.selectedGame = 0;
    const auto painted = PaintCard(kCardGame2Id, 0);
    const PixelCanvas& card = *painted;
    EXPECT_PIXEL(card, 200, 200, kPanel);
    EXPECT_PIXEL(card, 1, 200, kPanel);
    // The 1-unit line covers y 353..354: whatever the edge smoothing, the rows there are
    // drawn toward FF484D4C and nothing else is.
    const ARGB line0 = card.Rgb(200, 353), line1 = card.Rgb(200, 354);
    EXPECT_TRUE(line0 == kCardLine || line1 == kCardLine ||
                (ChannelDistance(line0, kCardLine) < ChannelDistance(kPanel, kCardLine) &&
                 ChannelDistance(line1, kCardLine) < ChannelDistance(kPanel, kCardLine)))
        << HexColour(line0) << " " << HexColour(line1);
    EXPECT_PIXEL(card, 200, 351, kPanel);
    EXPECT_PIXEL(card, 200, 356, kPanel);

    // Hot: a 1-unit light border; focused: a 2-unit one.
    SetHotControl(kCardGame2Id);
    const auto hotCard = PaintCard(kCardGame2Id, 0);
    EXPECT_PIXEL(*hotCard, 1, 200, kCardBorder);
    EXPECT_PIXEL(*hotCard, 3, 200, kPanel);
    SetHotControl(-1);
    const auto focusedCard = PaintCard(kCardGame2Id, ODS_FOCUS);
    EXPECT_PIXEL(*focusedCard, 1, 200, kCardBorder);
    EXPECT_NE(HexColour(focusedCard->Rgb(0, 200)), HexColour(kPanel)) << "2-unit border reaches x = 0";
}

TEST_F(GameCardPaint, CardArtworkHangsFromTenUnitsCentred) {
    const fs::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    StartKit(art);
    SetHomeCanvasFit(FitHomeCanvas(1280, 800));
    g_launcher.settings.selectedGame = 1;
    const auto painted = PaintCard(kCardGame1Id, 0);
    const PixelCanvas& card = *painted;
    // k = min(337 / 300, 406 / 400): the art is 406 wide from x = 10, 304.5 high from y = 10.
    EXPECT_PIXEL(card, 200, 5, kPanel);
    EXPECT_PIXEL(card, 5, 100, kPanel);
    EXPECT_PIXEL(card, 420, 100, kPanel);
    EXPECT_PIXEL(card, 200, 320, kPanel);
    EXPECT_NE(HexColour(card.Rgb(200, 150)), HexColour(kPanel));
    EXPECT_NE(HexColour(card.Rgb(12, 12)), HexColour(kPanel));
}

TEST_F(GameCardPaint, CommandButtonFacesAndFocusRectangles) {
    const fs::path art = PackageArtFolder();
    ASSERT_FALSE(art.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    StartKit(art);
    SetHomeCanvasFit(FitHomeCanvas(1280, 800));
    SetHotControl(-1);
    HWND parent = Window(400, 200);
    HWND play = CreateWindowExW(0, L"BUTTON", L"PLAY", WS_CHILD | BS_OWNERDRAW, 0, 0, 284, 58, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPlayId)), nullptr, nullptr);
    HWND video = CreateWindowExW(0, L"BUTTON", L"Video & CRT", WS_CHILD | BS_OWNERDRAW, 0, 0, 284, 48,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kVideoId)), nullptr,
                                 nullptr);
    auto paint = [](HWND button, int id, int w, int h, UINT state) {
        auto canvas = std::make_unique<PixelCanvas>(w, h);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(id);
        item.itemState = state;
        item.hwndItem = button;
        item.hDC = canvas->dc();
        item.rcItem = RECT{0, 0, w, h};
        DrawHomeItem(item);
        return canvas;
    };
    auto rest = paint(play, kPlayId, 284, 58, 0);
    EXPECT_PIXEL(*rest, 1, 1, kAccentColour);
    EXPECT_GT(rest->CountOtherThan(kAccentColour), 100) << "the PLAY label was not drawn";
    auto pressed = paint(play, kPlayId, 284, 58, ODS_SELECTED | ODS_FOCUS);
    EXPECT_PIXEL(*pressed, 1, 1, kPressedAccent);
    EXPECT_PIXEL(*pressed, 4, 29, kCanvasMargin);  // PLAY's focus rectangle

    auto plain = paint(video, kVideoId, 284, 48, 0);
    EXPECT_PIXEL(*plain, 1, 1, kButtonFace);
    EXPECT_PIXEL(*plain, 4, 24, kButtonFace);
    auto focused = paint(video, kVideoId, 284, 48, ODS_FOCUS);
    EXPECT_PIXEL(*focused, 1, 1, kButtonFaceHot);
    EXPECT_PIXEL(*focused, 4, 24, kAccentColour);
    SetHotControl(kVideoId);
    auto hot = paint(video, kVideoId, 284, 48, 0);
    EXPECT_PIXEL(*hot, 1, 1, kButtonFaceHot);
    SetHotControl(-1);

    // The header's Updates button after a check found a release: one line, nothing cut off.
    HWND updates = CreateWindowExW(0, L"BUTTON", L"Update available", WS_CHILD | BS_OWNERDRAW, 0, 0, 166, 40,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUpdatesId)), nullptr,
                                   nullptr);
    auto available = paint(updates, kUpdatesId, 166, 40, 0);
    auto inkIn = [&](int left, int top, int right, int bottom) {
        int ink = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) ink += available->Rgb(x, y) != (kButtonFace | 0xFF000000u);
        }
        return ink;
    };
    EXPECT_GT(inkIn(100, 6, 148, 34), 20) << "the second word is not on the first line";
    EXPECT_EQ(inkIn(0, 35, 166, 40), 0) << "a second line shows at the bottom edge";
}
