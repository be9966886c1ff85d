#pragma once
// Geometry of the controls editor: its outer size and place, and where its 820 x 770 design
// canvas lands in the client area.
#include <windows.h>

struct EditorRect {
    int x;
    int y;
    int width;
    int height;
};

struct EditorFit {
    float scale;  // the smaller axis ratio, never below 0.6
    int offsetX;  // the canvas is centred; negative when the floor wins
    int offsetY;
};
// `grownBy`: design units a language's longer texts added to the canvas's height.
EditorFit FitEditorCanvas(int clientWidth, int clientHeight, int grownBy = 0);
// x, y, width, height of a child in client coordinates.
EditorRect PlaceOnEditorCanvas(const EditorRect& design, const EditorFit& fit);
int EditorFontHeight(float scale);

// 850 x 820 at 96 DPI scaled by the owner's DPI, never larger than the work area, centred on it.
// `qaSize` ("WxH", check runs only; null otherwise) replaces the size when it reads as at least
// 800 x 650, without the work-area limit.
EditorRect PlaceEditorWindow(const RECT& workArea, UINT dpi, const wchar_t* qaSize);
