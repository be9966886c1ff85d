// The design canvas fit and where the home window's controls land on it.
#include <gtest/gtest.h>

#include "ui/command_buttons.h"
#include "ui/drawing_kit.h"
#include "ui/home_layout.h"
#include "ui/home_paint.h"

namespace {
void ExpectRect(const RECT& r, int x, int y, int width, int height) {
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}
}  // namespace

TEST(CanvasFit, DesignSizeFitsExactly) {
    const CanvasFit fit = FitHomeCanvas(1280, 800);
    EXPECT_FLOAT_EQ(fit.scale, 1.0f);
    EXPECT_FLOAT_EQ(fit.offsetX, 0.0f);
    EXPECT_FLOAT_EQ(fit.offsetY, 0.0f);
}

TEST(CanvasFit, WideClientLetterboxesLeftAndRight) {
    const CanvasFit wide = FitHomeCanvas(2560, 800);
    EXPECT_FLOAT_EQ(wide.scale, 1.0f);
    EXPECT_FLOAT_EQ(wide.offsetX, 640.0f);
    EXPECT_FLOAT_EQ(wide.offsetY, 0.0f);

    // Width more than 1.6 times the height: the canvas fills the height, centred across.
    const CanvasFit hd = FitHomeCanvas(1920, 1080);
    EXPECT_FLOAT_EQ(hd.scale, 1.35f);
    EXPECT_FLOAT_EQ(hd.offsetX, 96.0f);
    EXPECT_FLOAT_EQ(hd.offsetY, 0.0f);
}

TEST(CanvasFit, TallClientLetterboxesTopAndBottom) {
    const CanvasFit fit = FitHomeCanvas(1280, 1600);
    EXPECT_FLOAT_EQ(fit.scale, 1.0f);
    EXPECT_FLOAT_EQ(fit.offsetX, 0.0f);
    EXPECT_FLOAT_EQ(fit.offsetY, 400.0f);
}

TEST(CanvasFit, FloorKeepsTheScaleAndTheCanvasOverflows) {
    const CanvasFit atFloor = FitHomeCanvas(384, 240);
    EXPECT_FLOAT_EQ(atFloor.scale, 0.3f);
    EXPECT_NEAR(atFloor.offsetX, 0.0f, 1e-4f);
    EXPECT_NEAR(atFloor.offsetY, 0.0f, 1e-4f);

    const CanvasFit below = FitHomeCanvas(200, 100);
    EXPECT_FLOAT_EQ(below.scale, 0.3f);
    EXPECT_NEAR(below.offsetX, -92.0f, 1e-4f);  // a 384 x 240 canvas centred on 200 x 100
    EXPECT_NEAR(below.offsetY, -70.0f, 1e-4f);

    // The controls editor's canvas: 820 x 770 with floor 0.6.
    const CanvasFit editor = FitCanvas(410, 385, 820.0f, 770.0f, 0.6f);
    EXPECT_FLOAT_EQ(editor.scale, 0.6f);
    EXPECT_NEAR(editor.offsetX, -41.0f, 1e-4f);
}

TEST(HomeControlLayout, DesignSizePlacesEveryControlAtItsDesignRectangle) {
    const CanvasFit fit = FitHomeCanvas(1280, 800);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kCardGame1Id), fit), 42, 240, 426, 414);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kCardGame2Id), fit), 496, 240, 426, 414);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kPlayId), fit), 952, 692, 284, 58);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kVideoId), fit), 952, 267, 284, 48);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kControlsId), fit), 952, 329, 284, 48);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kInstallId), fit), 952, 545, 284, 42);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kUpdatesId), fit), 884, 44, 166, 40);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kAboutId), fit), 1070, 44, 166, 40);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kOptionsId), fit), 698, 44, 166, 40);
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(999), fit), 0, 0, 0, 0);
}

TEST(HomeControlLayout, OtherClientSizesScaleOffsetAndTruncate) {
    // Letterboxed: every control moves right by the 640-pixel margin.
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kCardGame1Id), FitHomeCanvas(2560, 800)), 682, 240,
               426, 414);
    // Half size.
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kPlayId), FitHomeCanvas(640, 400)), 476, 346, 142, 29);
    // 1.35 with a 96-pixel margin: 42 x 1.35 + 96 = 152.7 and 426 x 1.35 = 575.1 are truncated.
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kCardGame1Id), FitHomeCanvas(1920, 1080)), 152, 324,
               575, 558);
    // Below the floor the offsets are negative and truncation goes toward zero:
    // About's y is 44 x 0.3 - 20 = -6.8, placed at -6.
    ExpectRect(PlaceOnCanvas(HomeControlDesignRect(kAboutId), FitHomeCanvas(324, 200)), 291, -6, 49, 12);
}

TEST(CommandButtons, DialogCodeAddsArrowsAndAllKeysOnlyForEnter) {
    const LRESULT base = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    MSG enter = {};
    enter.message = WM_KEYDOWN;
    enter.wParam = VK_RETURN;
    EXPECT_EQ(ControlDialogCode(base, &enter), base | DLGC_WANTARROWS | DLGC_WANTALLKEYS);

    MSG tab = enter;
    tab.wParam = VK_TAB;
    EXPECT_EQ(ControlDialogCode(base, &tab), base | DLGC_WANTARROWS);

    MSG enterChar = enter;
    enterChar.message = WM_CHAR;
    EXPECT_EQ(ControlDialogCode(base, &enterChar), base | DLGC_WANTARROWS);
    EXPECT_EQ(ControlDialogCode(base, nullptr), base | DLGC_WANTARROWS);
}

TEST(CommandButtons, FaceFollowsPressHoverAndFocus) {
    EXPECT_EQ(CommandButtonFace(kPlayId, 0, false), 0xFFFF4B36u);
    EXPECT_EQ(CommandButtonFace(kPlayId, ODS_SELECTED, false), 0xFFD6331Eu);
    EXPECT_EQ(CommandButtonFace(kPlayId, ODS_FOCUS, true), 0xFFFF4B36u);  // PLAY has no hover face
    EXPECT_EQ(CommandButtonFace(kVideoId, 0, false), 0xFF212527u);
    EXPECT_EQ(CommandButtonFace(kVideoId, 0, true), 0xFF313535u);
    EXPECT_EQ(CommandButtonFace(kAboutId, ODS_FOCUS, false), 0xFF313535u);
    EXPECT_EQ(CommandButtonFace(kAboutId, ODS_SELECTED, false), 0xFF212527u);
}

TEST(GameCards, BorderAndFaceFollowSelectionFocusAndHover) {
    EXPECT_EQ(CardFaceColour(true), 0xFF222627u);
    EXPECT_EQ(CardFaceColour(false), 0xFF171A1Cu);

    const CardBorder selectedFocused = CardBorderFor(true, true, false);
    EXPECT_EQ(selectedFocused.colour, 0xFFFF4B36u);
    EXPECT_FLOAT_EQ(selectedFocused.width, 2.0f);
    EXPECT_FLOAT_EQ(CardBorderFor(true, false, true).width, 1.0f);

    const CardBorder focused = CardBorderFor(false, true, true);
    EXPECT_EQ(focused.colour, 0xFFA8ABA5u);
    EXPECT_FLOAT_EQ(focused.width, 2.0f);
    const CardBorder hot = CardBorderFor(false, false, true);
    EXPECT_EQ(hot.colour, 0xFFA8ABA5u);
    EXPECT_FLOAT_EQ(hot.width, 1.0f);
    EXPECT_FLOAT_EQ(CardBorderFor(false, false, false).width, 0.0f);
}

TEST(HomeTexts, StatusLinesFollowTheInstalledState) {
    EXPECT_EQ(GameStatusLine(true), L"Version 0.60 / locally built from your ROM");
    EXPECT_EQ(GameStatusLine(false), L"Choose Install games to prepare both titles with your own ROMs.");
    EXPECT_EQ(CardStatusLine(0, true), L"1990 / Ready");
    EXPECT_EQ(CardStatusLine(1, false), L"1992 / Not installed");
}
