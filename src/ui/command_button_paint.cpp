// Painting the home window's owner-drawn controls: the command buttons here, the game cards in
// the home painter. Kept apart from the subclass procedure so that painting needs no window
// behaviour.
#include "ui/command_buttons.h"

#include <algorithm>

#include "ui/drawing_kit.h"
#include "ui/home_layout.h"
#include "ui/home_paint.h"
#include "ui/palette.h"

using namespace Gdiplus;

namespace {
constexpr int kMaxButtonText = 127;
constexpr float kLabelEmSize = 18.0f;
constexpr float kPlayEmSize = 32.0f;
constexpr float kSmallestLabelEmSize = 12.0f;

// A label that is wider than its button (the header's "Update available") is drawn smaller until
// it fits on one line, rather than wrapping onto a second line that the button cuts off.
float FittingLabelEmSize(Graphics& graphics, const wchar_t* text, float room) {
    float em = kLabelEmSize;
    while (em > kSmallestLabelEmSize && LabelTextWidth(graphics, text, em, false) > room) em -= 1.0f;
    return em;
}

void PaintCommandButton(const DRAWITEMSTRUCT& item) {
    const int id = static_cast<int>(item.CtlID);
    const bool play = id == kPlayId;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const float scale = HomeCanvasFit().scale;

    Graphics graphics(item.hDC);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
    graphics.ScaleTransform(scale, scale);
    const float w = static_cast<float>(item.rcItem.right - item.rcItem.left) / scale;
    const float h = static_cast<float>(item.rcItem.bottom - item.rcItem.top) / scale;

    SolidBrush face{Color(CommandButtonFace(id, item.itemState, HotControl() == id))};
    graphics.FillRectangle(&face, 0.0f, 0.0f, w, h);

    wchar_t text[kMaxButtonText + 1] = {};
    GetWindowTextW(item.hwndItem, text, kMaxButtonText + 1);
    const Palette& pal = CurrentPalette();
    if (play) {
        const ARGB label = (item.itemState & ODS_SELECTED) ? pal.playPressedLabel : pal.playLabel;
        // "PLAY" in another language may be wider than the button: the outline is made smaller.
        const RectF room(18, 4, w - 36, h - 8);
        float em = kPlayEmSize;
        DisplayTextShape shape = MakeDisplayTextShape(text, em, true);
        if (shape.ink.Width > room.Width && shape.ink.Width > 0.0f) {
            em = std::max(kPlayEmSize * kSmallestLabelShare, em * room.Width / shape.ink.Width * 0.98f);
            shape = MakeDisplayTextShape(text, em, true);
        }
        ReportLabelFit(DrawnLabelFit{text, room, kPlayEmSize, em,
                                     shape.ink.Width <= room.Width + 0.5f && shape.ink.Height <= room.Height + 0.5f});
        FillDisplayText(graphics, shape, room, label, true);
    } else {
        const ARGB colour = (item.itemState & ODS_DISABLED) ? pal.disabledText : pal.buttonText;
        const float em = FittingLabelEmSize(graphics, text, w - 36);
        const float lineHeight = 25 * em / kLabelEmSize;
        DrawLabelText(graphics, text, RectF(18, (h - lineHeight) / 2, w - 36, h), em, colour, false);
    }

    if (focused) {
        // At least 2 pixels however small the canvas, heavier in high contrast.
        const float width = std::max(pal.highContrast ? 3.0f : 2.0f, kFocusOutlinePixels / scale);
        Pen pen(Color(play ? pal.playFocus : pal.focus), width);
        graphics.DrawRectangle(&pen, 4.0f, 4.0f, w - 8.0f, h - 8.0f);
    } else if (pal.highContrast) {
        // Every button keeps an edge of its own on the system's window colour.
        Pen pen(Color(pal.buttonText), 1.0f);
        graphics.DrawRectangle(&pen, 0.5f, 0.5f, w - 1.0f, h - 1.0f);
    }
}
}  // namespace

ARGB CommandButtonFace(int id, UINT itemState, bool hot) {
    const Palette& pal = CurrentPalette();
    if (id == kPlayId) return (itemState & ODS_SELECTED) ? pal.playPressedFace : pal.playFace;
    return (hot || (itemState & ODS_FOCUS)) ? pal.buttonFaceHot : pal.buttonFace;
}

void DrawHomeItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID == kCardGame1Id || item.CtlID == kCardGame2Id) {
        PaintGameCard(item);
    } else {
        PaintCommandButton(item);
    }
}
