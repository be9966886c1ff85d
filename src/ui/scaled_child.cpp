// The scaled standard controls of the video window.
#include <windows.h>

#include <cwchar>

#include "app/system_library.h"
#include "ui/command_buttons.h"

HWND CreateScaledChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                       int x, int y, int width, int height, int id, float scale, HFONT font) {
    HWND child = CreateWindowExW(0, className, text, style | WS_CHILD | WS_VISIBLE,
                                 static_cast<int>(x * scale), static_cast<int>(y * scale),
                                 static_cast<int>(width * scale), static_cast<int>(height * scale),
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                 nullptr);
    if (!child) return nullptr;
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // An unthemed check box takes its text colour from WM_CTLCOLORSTATIC: light on dark.
    if (_wcsicmp(className, L"BUTTON") == 0 && (style & 0xF) == BS_AUTOCHECKBOX) {
        // UxTheme from the system folder only; without it the box is unthemed already.
        using SetThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
        if (auto setTheme = SystemFunction<SetThemeFunction>(L"uxtheme.dll", "SetWindowTheme")) {
            setTheme(child, L"", L"");
        }
    }
    return child;
}
