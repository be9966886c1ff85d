#include "ui/home_layout.h"

namespace {
struct ControlPlace {
    int id;
    DesignRect rect;
};
constexpr ControlPlace kControlPlaces[] = {
    {kCardGame1Id, {42, 240, 426, 414}}, {kCardGame2Id, {496, 240, 426, 414}},
    {kPlayId, {952, 692, 284, 58}},      {kVideoId, {952, 267, 284, 48}},
    {kControlsId, {952, 329, 284, 48}},  {kInstallId, {952, 545, 284, 42}},
    {kUpdatesId, {884, 44, 166, 40}},    {kAboutId, {1070, 44, 166, 40}},
    {kOptionsId, {698, 44, 166, 40}},
};

CanvasFit g_fit{1.0f, 0.0f, 0.0f};
int g_hotControl = -1;
}  // namespace

CanvasFit FitHomeCanvas(int clientWidth, int clientHeight) {
    return FitCanvas(clientWidth, clientHeight, kHomeDesignWidth, kHomeDesignHeight, kHomeScaleFloor);
}

DesignRect HomeControlDesignRect(int id) {
    for (const ControlPlace& place : kControlPlaces) {
        if (place.id == id) return place.rect;
    }
    return DesignRect{0, 0, 0, 0};
}

RECT PlaceOnCanvas(const DesignRect& rect, const CanvasFit& fit) {
    const int x = static_cast<int>(rect.x * fit.scale + fit.offsetX);
    const int y = static_cast<int>(rect.y * fit.scale + fit.offsetY);
    const int width = static_cast<int>(rect.width * fit.scale);
    const int height = static_cast<int>(rect.height * fit.scale);
    return RECT{x, y, x + width, y + height};
}

CanvasFit HomeCanvasFit() { return g_fit; }
void SetHomeCanvasFit(const CanvasFit& fit) { g_fit = fit; }
int HotControl() { return g_hotControl; }
void SetHotControl(int id) { g_hotControl = id; }
