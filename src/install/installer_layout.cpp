#include "install/installer_layout.h"

namespace {
constexpr float kDesignWidth = 782.0f;
constexpr float kDesignHeight = 732.0f;
constexpr float kFitHeight = 738.0f;
}  // namespace

float InstallerScale(int workAreaHeight, UINT ownerDpi) {
    const float fit = static_cast<float>(workAreaHeight) / kFitHeight;
    const float dpi = static_cast<float>(ownerDpi) / 96.0f;
    return fit < dpi ? fit : dpi;
}

InstallerPlacement PlaceInstaller(const RECT& owner, const RECT& workArea, float scale) {
    InstallerPlacement place{};
    place.width = static_cast<int>(kDesignWidth * scale);
    place.height = static_cast<int>(kDesignHeight * scale);
    place.x = owner.left + ((owner.right - owner.left) - place.width) / 2;
    place.y = owner.top + ((owner.bottom - owner.top) - place.height) / 2;
    if (place.y < workArea.top) place.y = workArea.top;
    return place;
}
