#include "ui/dark_title_bar.h"

namespace {
constexpr DWORD kImmersiveDarkMode = 20;
constexpr DWORD kImmersiveDarkModeBefore20H1 = 19;

WindowAttributeSetter g_setter = nullptr;  // a test's recorder, or null for the system's
bool g_systemSetterLoaded = false;
WindowAttributeSetter g_systemSetter = nullptr;

// dwmapi is loaded from the system folder only, once, and kept for the process: a Windows
// without it (or without the export) simply keeps its light title bars.
WindowAttributeSetter SystemSetter() {
    if (!g_systemSetterLoaded) {
        g_systemSetterLoaded = true;
        if (HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            g_systemSetter =
                reinterpret_cast<WindowAttributeSetter>(GetProcAddress(dwm, "DwmSetWindowAttribute"));
        }
    }
    return g_systemSetter;
}
}  // namespace

void AskForDarkTitleBar(HWND window) {
    WindowAttributeSetter setter = g_setter ? g_setter : SystemSetter();
    if (!setter || !window) return;
    const BOOL dark = TRUE;
    if (FAILED(setter(window, kImmersiveDarkMode, &dark, sizeof(dark)))) {
        setter(window, kImmersiveDarkModeBefore20H1, &dark, sizeof(dark));
    }
}

void SetWindowAttributeSetter(WindowAttributeSetter setter) { g_setter = setter; }
