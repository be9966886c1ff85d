#pragma once
// Where the home window's controls sit on its 1280 x 800 design canvas, and the layout state
// that the painters read (canvas fit and hot control).
#include <windows.h>

#include "ui/command_buttons.h"
#include "ui/drawing_kit.h"

inline constexpr float kHomeDesignWidth = 1280.0f;
inline constexpr float kHomeDesignHeight = 800.0f;
inline constexpr float kHomeScaleFloor = 0.3f;

struct DesignRect {
    float x;
    float y;
    float width;
    float height;
};

// The home window's canvas fit for a client area of that size.
CanvasFit FitHomeCanvas(int clientWidth, int clientHeight);
// The design rectangle of one of the nine controls; all zero for any other id.
DesignRect HomeControlDesignRect(int id);
// A design rectangle in client pixels: each of x, y, width and height truncated.
RECT PlaceOnCanvas(const DesignRect& rect, const CanvasFit& fit);

// The fit of the last layout (scale 1, no offset before the first one).
CanvasFit HomeCanvasFit();
void SetHomeCanvasFit(const CanvasFit& fit);
// The control id under the mouse, -1 when none.
int HotControl();
void SetHotControl(int id);
