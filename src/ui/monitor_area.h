#pragma once
// The monitor a window is on, as far as placing and scaling windows goes: its work area and DPI.
// Each monitor has its own of both; the primary monitor's (SPI_GETWORKAREA, the system DPI) are
// right only while the Launcher is on it. Xvfb cannot show two monitors apart, so the query is a
// seam the tests replace.
#include <windows.h>

struct MonitorArea {
    RECT workArea;
    UINT dpi;
};

// The monitor that holds most of the window; the primary monitor for a null window.
MonitorArea MonitorAreaOf(HWND window);

using MonitorQuery = MonitorArea (*)(HWND window);
// Replaces the query; null puts Windows' own back.
void SetMonitorQuery(MonitorQuery query);
