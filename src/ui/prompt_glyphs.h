#pragma once
// Our own drawings of a controller's buttons for the hints: coloured letters in circles for Xbox
// pads, the four shapes for PlayStation pads, letters for Nintendo pads, position dots for the
// rest, and a cross for the d-pad. Nothing of a console maker's art.
#include "controls/pad_prompts.h"
#include "ui/gdiplus_api.h"

// Draws one glyph of `style` into the square at (x, y) of side `size`, in the Graphics' units.
void DrawPromptGlyph(Gdiplus::Graphics& graphics, const PromptGlyph& glyph, PromptStyle style, float x, float y,
                     float size);
// Draws a hint at (x, y): each glyph, then its action in the label font of `textSize`; key
// names read "Name: action". Parts are `partWidth` apart.
void DrawHint(Gdiplus::Graphics& graphics, const std::vector<HintPart>& parts, PromptStyle style, float x, float y,
              float textSize, Gdiplus::ARGB colour, float partWidth);
