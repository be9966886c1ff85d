#include "ui/scaled_window.h"

#include <cwchar>
#include <utility>

#include "app/system_library.h"

namespace {
constexpr float kDesignFontHeight = -16.0f;

int Scaled(int value, float scale) { return static_cast<int>(static_cast<float>(value) * scale); }

ScopedFont MakeWindowFont(float scale) {
    return ScopedFont(CreateFontW(WindowFontHeight(scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH, L"Barlow"));
}
}  // namespace

int WindowFontHeight(float scale) { return static_cast<int>(scale * kDesignFontHeight); }

void StartScaledWindow(ScaledWindow& layout, float scale, UINT dpi) {
    layout.children.clear();
    layout.scale = scale;
    layout.dpi = dpi == 0 ? 96 : dpi;
    layout.font = MakeWindowFont(scale);
}

HWND AddScaledChild(ScaledWindow& layout, HWND parent, const wchar_t* className, const wchar_t* text,
                    DWORD style, int x, int y, int width, int height, int id) {
    const float s = layout.scale;
    HWND child = CreateWindowExW(0, className, text, style | WS_CHILD | WS_VISIBLE, Scaled(x, s), Scaled(y, s),
                                 Scaled(width, s), Scaled(height, s), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!child) return nullptr;
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(layout.font.get()), TRUE);
    // An unthemed check box takes its text colour from WM_CTLCOLORSTATIC: light on dark.
    if (_wcsicmp(className, L"BUTTON") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        // UxTheme from the system folder only; without it the box is unthemed already.
        using SetThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
        if (auto setTheme = SystemFunction<SetThemeFunction>(L"uxtheme.dll", "SetWindowTheme")) {
            setTheme(child, L"", L"");
        }
    }
    layout.children.push_back(ScaledWindow::Child{child, x, y, width, height});
    return child;
}

void MoveScaledChild(ScaledWindow& layout, HWND child, int x, int y, int width, int height) {
    for (ScaledWindow::Child& entry : layout.children) {
        if (entry.hwnd != child) continue;
        if (entry.x == x && entry.y == y && entry.width == width && entry.height == height) return;
        entry = ScaledWindow::Child{child, x, y, width, height};
        const float s = layout.scale;
        SetWindowPos(child, nullptr, Scaled(x, s), Scaled(y, s), Scaled(width, s), Scaled(height, s),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
}

void RescaleForDpi(ScaledWindow& layout, HWND window, WPARAM wParam, LPARAM lParam) {
    const UINT dpi = HIWORD(wParam);
    if (dpi != 0 && dpi != layout.dpi) {
        // The window keeps its size in design units: what fitted the old monitor fits as well.
        layout.scale = layout.scale * static_cast<float>(dpi) / static_cast<float>(layout.dpi);
        layout.dpi = dpi;
        ScopedFont font = MakeWindowFont(layout.scale);
        const float s = layout.scale;
        for (const ScaledWindow::Child& child : layout.children) {
            SetWindowPos(child.hwnd, nullptr, Scaled(child.x, s), Scaled(child.y, s), Scaled(child.width, s),
                         Scaled(child.height, s), SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        }
        layout.font = std::move(font);  // the old font goes only now that no child uses it
    }
    TakeSuggestedRect(window, lParam);
    InvalidateRect(window, nullptr, TRUE);
}

void ClearScaledWindow(ScaledWindow& layout) {
    layout.children.clear();
    layout.font.reset();
}

void TakeSuggestedRect(HWND window, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (!suggested) return;
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
