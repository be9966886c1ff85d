#pragma once
// Painting the home window's design canvas and its two game cards.
#include <windows.h>

// WM_PAINT (between BeginPaint and EndPaint) and WM_PRINTCLIENT.
void PaintHomeBackground(HWND hwnd, HDC hdc);
// WM_DRAWITEM for ids 100 and 101.
void PaintGameCard(const DRAWITEMSTRUCT& item);
