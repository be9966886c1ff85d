#include "ui/drawing_kit.h"

#include <objbase.h>

namespace {
struct DrawingKit {
    HFONT uiFont = nullptr;
    HBRUSH darkBrush = nullptr;
};
DrawingKit g_kit;
}  // namespace

void StartDrawingKit(const std::filesystem::path&, float dpiScale) {
    g_kit.uiFont = CreateFontW(static_cast<int>(dpiScale * -18.0f), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                               FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Barlow");
    g_kit.darkBrush = CreateSolidBrush(kWindowBackground);
}

void ShutDownDrawingKit() {
    if (g_kit.uiFont) DeleteObject(g_kit.uiFont);
    if (g_kit.darkBrush) DeleteObject(g_kit.darkBrush);
    g_kit = DrawingKit{};
    CoUninitialize();
}

HFONT UiFont() { return g_kit.uiFont; }
HBRUSH DarkBackgroundBrush() { return g_kit.darkBrush; }
