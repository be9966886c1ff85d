#pragma once
// Size and place of the home window: pure arithmetic over the work area and the overrides.
#include <windows.h>

struct WindowPlacement {
    int x;
    int y;
    int width;
    int height;
};

// Reads "%dx%d"; false unless both numbers were read.
bool ReadSizeText(const wchar_t* text, int& width, int& height);

// The work area caps the default size (1300 x 850 scaled); "--qa-size" (at least 920 x 600)
// and then TLVR_QA_LAUNCHER_SIZE (at least 720 x 560) replace it, uncapped. Centred on the
// work area. sizeVariable may be null.
WindowPlacement HomeWindowPlacement(const RECT& workArea, float dpiScale, int requestedWidth,
                                    int requestedHeight, const wchar_t* sizeVariable);

// A secondary window of that size centred on its owner, moved inside the work area (that of the
// monitor holding the owner); a window larger than the work area keeps its top-left inside.
WindowPlacement CentreOnOwner(const RECT& owner, const RECT& workArea, int width, int height);
