#include "ui/monitor_area.h"

namespace {
MonitorArea AskWindows(HWND window) {
    const HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                    : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MonitorArea area = {};
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info)) {
        area.workArea = info.rcWork;
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area.workArea, 0);
    }
    // A per-monitor aware window has the DPI of the monitor it is on.
    area.dpi = window ? GetDpiForWindow(window) : 0;
    if (area.dpi == 0) area.dpi = GetDpiForSystem();
    return area;
}

MonitorQuery g_query = AskWindows;
}  // namespace

MonitorArea MonitorAreaOf(HWND window) { return g_query(window); }

void SetMonitorQuery(MonitorQuery query) { g_query = query ? query : AskWindows; }
