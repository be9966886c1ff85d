#include "ui/prompt_glyphs.h"

#include <string>

#include "ui/drawing_kit.h"

using namespace Gdiplus;

namespace {
// Our palette for the Xbox letters (green, red, blue, yellow: south, east, west, north) and the
// PlayStation shapes (cross, circle, square, triangle).
constexpr ARGB kXboxColours[] = {0xFF5DBB4B, 0xFFE2483D, 0xFF3C8CE7, 0xFFF2C230};
constexpr ARGB kShapeColours[] = {0xFF7DA7E8, 0xFFE66B6B, 0xFFD98BC8, 0xFF5FC9A8};
constexpr ARGB kGlyphFace = 0xFF3A3F44;
constexpr ARGB kDotIdle = 0xFF5A6066;

void DrawShape(Graphics& graphics, FacePosition position, RectF box, ARGB colour) {
    Pen pen(Color(colour), box.Width * 0.12f);
    const float cx = box.X + box.Width / 2, cy = box.Y + box.Height / 2, r = box.Width * 0.24f;
    switch (position) {
    case FacePosition::South:  // cross
        graphics.DrawLine(&pen, cx - r, cy - r, cx + r, cy + r);
        graphics.DrawLine(&pen, cx - r, cy + r, cx + r, cy - r);
        break;
    case FacePosition::East:  // circle
        graphics.DrawEllipse(&pen, cx - r, cy - r, 2 * r, 2 * r);
        break;
    case FacePosition::West:  // square
        graphics.DrawRectangle(&pen, cx - r, cy - r, 2 * r, 2 * r);
        break;
    case FacePosition::North: {  // triangle
        const PointF corners[] = {{cx, cy - r * 1.1f}, {cx + r * 1.1f, cy + r * 0.8f}, {cx - r * 1.1f, cy + r * 0.8f}};
        graphics.DrawPolygon(&pen, corners, 3);
        break;
    }
    }
}

// Four dots in a diamond; the one at `position` lit.
void DrawDots(Graphics& graphics, FacePosition position, RectF box, ARGB lit) {
    const float d = box.Width * 0.34f;
    const float cx = box.X + box.Width / 2, cy = box.Y + box.Height / 2, o = box.Width * 0.32f;
    const PointF centres[] = {{cx, cy + o}, {cx + o, cy}, {cx - o, cy}, {cx, cy - o}};  // FacePosition order
    for (int i = 0; i < 4; ++i) {
        SolidBrush brush{Color(i == static_cast<int>(position) ? lit : kDotIdle)};
        graphics.FillEllipse(&brush, centres[i].X - d / 2, centres[i].Y - d / 2, d, d);
    }
}

void DrawCross(Graphics& graphics, RectF box, ARGB colour) {
    SolidBrush brush{Color(colour)};
    const float arm = box.Width * 0.32f;
    graphics.FillRectangle(&brush, box.X + arm, box.Y, box.Width - 2 * arm, box.Height);
    graphics.FillRectangle(&brush, box.X, box.Y + arm, box.Width, box.Height - 2 * arm);
}
}  // namespace

void DrawPromptGlyph(Graphics& graphics, const PromptGlyph& glyph, PromptStyle style, float x, float y, float size) {
    const RectF box(x, y, size, size);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    switch (glyph.kind) {
    case PromptGlyph::Kind::KeyName:
        break;  // key names are text
    case PromptGlyph::Kind::DPad:
        DrawCross(graphics, box, kTextColour);
        break;
    case PromptGlyph::Kind::Face: {
        const int at = static_cast<int>(glyph.position);
        if (style == PromptStyle::Other) {
            DrawDots(graphics, glyph.position, box, kTextColour);
            break;
        }
        const ARGB face = style == PromptStyle::Xbox ? kXboxColours[at] : kGlyphFace;
        SolidBrush brush{Color(face)};
        graphics.FillEllipse(&brush, box);
        if (style == PromptStyle::PlayStation) {
            DrawShape(graphics, glyph.position, box, kShapeColours[at]);
        } else if (glyph.letter) {
            const wchar_t letter[2] = {glyph.letter, 0};
            const ARGB ink = style == PromptStyle::Xbox ? 0xFF101214 : kTextColour;
            DrawLabelText(graphics, letter, RectF(x + size * 0.27f, y - size * 0.05f, size, size), size * 0.72f, ink,
                          true);
        }
        break;
    }
    }
    graphics.SetSmoothingMode(SmoothingModeDefault);
}

void DrawHint(Graphics& graphics, const std::vector<HintPart>& parts, PromptStyle style, float x, float y,
              float textSize, ARGB colour, float partWidth) {
    const float glyphSize = textSize * 1.3f;
    for (const HintPart& part : parts) {
        if (part.glyph.kind == PromptGlyph::Kind::KeyName) {
            const std::wstring text = part.glyph.keyName + L": " + part.action;
            DrawLabelText(graphics, text.c_str(), RectF(x, y, partWidth, textSize * 1.45f), textSize, colour, false);
        } else {
            DrawPromptGlyph(graphics, part.glyph, style, x, y, glyphSize);
            DrawLabelText(graphics, part.action.c_str(), RectF(x + glyphSize + 6, y, partWidth, textSize * 1.45f), textSize,
                          colour, false);
        }
        x += partWidth;
    }
}
