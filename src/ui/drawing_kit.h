#pragma once
// The drawing resources every Launcher window shares.
#include <windows.h>
#include <filesystem>

// Registers the package fonts, loads the artwork and makes the UI font and dark brush.
// Nothing is reported: a resource that fails stays absent and drawing falls back.
void StartDrawingKit(const std::filesystem::path& artFolder, float dpiScale);
// Releases everything in the fixed order, ends GDI+ and uninitialises COM.
void ShutDownDrawingKit();

HFONT UiFont();
HBRUSH DarkBackgroundBrush();

inline constexpr COLORREF kWindowBackground = RGB(26, 29, 31);
