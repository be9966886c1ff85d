#include "app/window_size.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr float kDefaultWidth = 1300.0f;
constexpr float kDefaultHeight = 850.0f;
constexpr int kRequestedMinWidth = 920;
constexpr int kRequestedMinHeight = 600;
constexpr int kVariableMinWidth = 720;
constexpr int kVariableMinHeight = 560;
}  // namespace

bool ReadSizeText(const wchar_t* text, int& width, int& height) {
    if (!text) return false;
    int w = 0;
    int h = 0;
    if (swscanf(text, L"%dx%d", &w, &h) != 2) return false;
    width = w;
    height = h;
    return true;
}

WindowPlacement HomeWindowPlacement(const RECT& workArea, float dpiScale, int requestedWidth,
                                    int requestedHeight, const wchar_t* sizeVariable) {
    const int areaWidth = workArea.right - workArea.left;
    const int areaHeight = workArea.bottom - workArea.top;
    int width = std::min(areaWidth, static_cast<int>(kDefaultWidth * dpiScale));
    int height = std::min(areaHeight, static_cast<int>(kDefaultHeight * dpiScale));
    if (requestedWidth >= kRequestedMinWidth && requestedHeight >= kRequestedMinHeight) {
        width = requestedWidth;
        height = requestedHeight;
    }
    int varWidth = 0;
    int varHeight = 0;
    if (ReadSizeText(sizeVariable, varWidth, varHeight) && varWidth >= kVariableMinWidth &&
        varHeight >= kVariableMinHeight) {
        width = varWidth;
        height = varHeight;
    }
    // Integer division truncates toward zero, also for an oversized window.
    return WindowPlacement{workArea.left + (areaWidth - width) / 2,
                           workArea.top + (areaHeight - height) / 2, width, height};
}

WindowPlacement CentreOnOwner(const RECT& owner, const RECT& workArea, int width, int height) {
    WindowPlacement place{owner.left + ((owner.right - owner.left) - width) / 2,
                          owner.top + ((owner.bottom - owner.top) - height) / 2, width, height};
    // Inside the work area of the owner's monitor, however the owner hangs over its edges; where
    // the window is too large for it, its top-left corner stays inside.
    place.x = std::min(place.x, static_cast<int>(workArea.right) - width);
    place.y = std::min(place.y, static_cast<int>(workArea.bottom) - height);
    place.x = std::max(place.x, static_cast<int>(workArea.left));
    place.y = std::max(place.y, static_cast<int>(workArea.top));
    return place;
}
