#pragma once
// Standard controls (static texts, buttons, check boxes) fitted to their texts in a fixed layout:
// each text measured in its control's own font, the rule of text_box_fit.h applied to the design
// rectangles, and the controls set to wrap where their texts had to. Used by the shared layout
// and by the controls editor's canvas.
#include <windows.h>

#include <vector>

struct FittedControl {
    HWND hwnd;
    DWORD baseStyle;          // as created: one line or wrapping, as the layout drew it
    int x, y, width, height;  // design units: as laid out before, fitted after
};

// Puts every control back on its own style (a text that wrapped in another language may fit on
// one line again), then, when `fit`, fits the rectangles to the texts at `scale`. Places nothing.
// Returns the design units the texts added to the layout's height.
int FitControlTexts(std::vector<FittedControl>& controls, HWND window, float scale, int rightEdge, bool fit);
