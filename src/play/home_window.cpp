#include "play/home_window.h"

#include <algorithm>

#include "app/launcher_state.h"
#include "install/installer_entry.h"
#include "play/launcher_settings.h"

namespace {
constexpr int kMinTrackWidth = 920;
constexpr int kMinTrackHeight = 600;

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH margin = CreateSolidBrush(RGB(16, 19, 21));
    FillRect(hdc, &client, margin);
    DeleteObject(margin);
    EndPaint(hwnd, &ps);
}
}  // namespace

bool IsLauncherIdle() { return g_launcher.gameProcess == nullptr && !IsInstallationRunActive(); }

LRESULT CALLBACK HomeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CREATE:
        g_launcher.homeWindow = hwnd;
        return 0;
    case WM_DESTROY:
        SaveLauncherSettings();
        PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = static_cast<LONG>(kMinTrackWidth * g_launcher.dpiScale);
        info->ptMinTrackSize.y = static_cast<LONG>(kMinTrackHeight * g_launcher.dpiScale);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
