#include "controls/controls_editor_layout.h"

#include <cwchar>

#include "ui/drawing_kit.h"

namespace {
constexpr float kDesignWidth = 820.0f;
constexpr float kDesignHeight = 770.0f;
constexpr float kSmallestScale = 0.6f;
constexpr float kFontHeight = -17.0f;
constexpr float kWindowWidth = 850.0f;
constexpr float kWindowHeight = 820.0f;
constexpr int kQaMinWidth = 800;
constexpr int kQaMinHeight = 650;
}  // namespace

EditorFit FitEditorCanvas(int clientWidth, int clientHeight, int grownBy) {
    const CanvasFit fit = FitCanvas(clientWidth, clientHeight, kDesignWidth, kDesignHeight + static_cast<float>(grownBy),
                                    kSmallestScale);
    return EditorFit{fit.scale, static_cast<int>(fit.offsetX), static_cast<int>(fit.offsetY)};
}

EditorRect PlaceOnEditorCanvas(const EditorRect& design, const EditorFit& fit) {
    return EditorRect{static_cast<int>(static_cast<float>(design.x) * fit.scale) + fit.offsetX,
                      static_cast<int>(static_cast<float>(design.y) * fit.scale) + fit.offsetY,
                      static_cast<int>(static_cast<float>(design.width) * fit.scale),
                      static_cast<int>(static_cast<float>(design.height) * fit.scale)};
}

int EditorFontHeight(float scale) { return static_cast<int>(kFontHeight * scale); }

EditorRect PlaceEditorWindow(const RECT& workArea, UINT dpi, const wchar_t* qaSize) {
    const int areaWidth = workArea.right - workArea.left;
    const int areaHeight = workArea.bottom - workArea.top;
    const float dpiScale = static_cast<float>(dpi) / 96.0f;
    int width = static_cast<int>(dpiScale * kWindowWidth);
    int height = static_cast<int>(dpiScale * kWindowHeight);
    if (width > areaWidth) width = areaWidth;
    if (height > areaHeight) height = areaHeight;
    int w = 0, h = 0;
    if (qaSize && swscanf(qaSize, L"%dx%d", &w, &h) == 2 && w >= kQaMinWidth && h >= kQaMinHeight) {
        width = w;
        height = h;
    }
    return EditorRect{workArea.left + (areaWidth - width) / 2, workArea.top + (areaHeight - height) / 2, width,
                      height};
}
