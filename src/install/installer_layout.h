#pragma once
// The installer window's geometry, fixed when it opens.
#include <windows.h>

#include "app/window_size.h"

// The smaller of (work-area height / 738) and (owner DPI / 96): the window always fits.
float InstallerScale(int workAreaHeight, UINT ownerDpi);
// 782 x 732 design units, centred on the owner; never above the work area's top, while the
// horizontal position is left as it falls.
WindowPlacement PlaceInstaller(const RECT& owner, const RECT& workArea, float scale);
