#pragma once
// Fonts that draw every character of a text: the package's Barlow has no arrows, so a control
// whose text needs one is given a system face that has them, at the same size and weight.
#include <windows.h>

#include <string>

#include "app/win_owners.h"

// A copy of `font` in the first face that draws every character of `text` (`firstFace` when
// given, then the system's faces); none when `font` already draws them all or no face does (the
// control keeps `font` then).
ScopedFont CreateCoveringFont(HFONT font, const std::wstring& text, const wchar_t* firstFace = nullptr);

// Gives `control` a covering font for its current text when `font` lacks a character of it.
// The returned owner must outlive the control's use of the font (empty when none was needed).
ScopedFont CoverControlText(HWND control, HFONT font);

// The same for a combo box's items, all of them together: a list of languages named in
// themselves holds Cyrillic that Barlow lacks.
ScopedFont CoverComboItems(HWND combo, HFONT font, const wchar_t* firstFace);
