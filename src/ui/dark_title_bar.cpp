#include "ui/dark_title_bar.h"

#include "ui/palette.h"

#include "app/system_library.h"

namespace {
constexpr DWORD kImmersiveDarkMode = 20;
constexpr DWORD kImmersiveDarkModeBefore20H1 = 19;

WindowAttributeSetter g_setter = nullptr;  // a test's recorder, or null for the system's

// dwmapi from the system folder only: a Windows without it (or without the export) simply keeps
// its light title bars.
WindowAttributeSetter SystemSetter() {
    static const WindowAttributeSetter setter =
        SystemFunction<WindowAttributeSetter>(L"dwmapi.dll", "DwmSetWindowAttribute");
    return setter;
}
}  // namespace

void AskForDarkTitleBar(HWND window) { AskForTitleBarColours(window, !HighContrastOn()); }

void AskForTitleBarColours(HWND window, bool darkBar) {
    WindowAttributeSetter setter = g_setter ? g_setter : SystemSetter();
    if (!setter || !window) return;
    const BOOL dark = darkBar ? TRUE : FALSE;
    if (FAILED(setter(window, kImmersiveDarkMode, &dark, sizeof(dark)))) {
        setter(window, kImmersiveDarkModeBefore20H1, &dark, sizeof(dark));
    }
}

void SetWindowAttributeSetter(WindowAttributeSetter setter) { g_setter = setter; }
