#pragma once
// The installer window's geometry, fixed when it opens.
#include <windows.h>

#include "app/window_size.h"

// The smaller of (work-area height / 738) and (DPI of the owner's monitor / 96): the window always fits.
float InstallerScale(int workAreaHeight, UINT ownerDpi);
// 782 x 732 design units, centred on the owner, inside the work area.
WindowPlacement PlaceInstaller(const RECT& owner, const RECT& workArea, float scale);
