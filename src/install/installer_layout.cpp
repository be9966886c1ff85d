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

WindowPlacement PlaceInstaller(const RECT& owner, const RECT& workArea, float scale) {
    return CentreOnOwner(owner, workArea, static_cast<int>(kDesignWidth * scale),
                         static_cast<int>(kDesignHeight * scale));
}
