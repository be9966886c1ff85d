#include "ui/scaled_window.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "app/system_library.h"
#include "ui/control_text_fit.h"
#include "ui/language_faces.h"
#include "texts/texts.h"
#include "ui/monitor_area.h"

namespace {
constexpr float kDesignFontHeight = -16.0f;

int Scaled(int value, float scale) { return static_cast<int>(static_cast<float>(value) * scale); }

ScopedFont MakeWindowFont(float scale) {
    return ScopedFont(CreateFontW(WindowFontHeight(scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH, WindowFaceName()));
}

// The layouts of the open windows (each window keeps its layout in static storage), for a
// language change that needs another face.
std::vector<ScaledWindow*> g_openLayouts;

// Gives every child the layout's new font; the old one goes once none holds it.
void SetLayoutFont(ScaledWindow& layout, ScopedFont font) {
    for (const ScaledWindow::Child& child : layout.children)
        SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    layout.font = std::move(font);
}
}  // namespace

int WindowFontHeight(float scale) { return static_cast<int>(scale * kDesignFontHeight); }

void StartScaledWindow(ScaledWindow& layout, float scale, UINT dpi) {
    layout.children.clear();
    layout.grownBy = 0;
    layout.scale = scale;
    layout.dpi = dpi == 0 ? 96 : dpi;
    layout.font = MakeWindowFont(scale);
    if (std::find(g_openLayouts.begin(), g_openLayouts.end(), &layout) == g_openLayouts.end())
        g_openLayouts.push_back(&layout);
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
    layout.children.push_back(ScaledWindow::Child{child, x, y, width, height, y, width, height, style});
    return child;
}

void MoveScaledChild(ScaledWindow& layout, HWND child, int x, int y, int width, int height) {
    for (ScaledWindow::Child& entry : layout.children) {
        if (entry.hwnd != child) continue;
        if (entry.x == x && entry.y == y && entry.width == width && entry.height == height) return;
        entry.x = x;
        entry.y = entry.baseY = y;
        entry.width = entry.baseWidth = width;
        entry.height = entry.baseHeight = height;
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
        const float s = layout.scale;
        for (const ScaledWindow::Child& child : layout.children) {
            SetWindowPos(child.hwnd, nullptr, Scaled(child.x, s), Scaled(child.y, s), Scaled(child.width, s),
                         Scaled(child.height, s), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        SetLayoutFont(layout, MakeWindowFont(layout.scale));
    }
    TakeSuggestedRect(window, lParam);
    InvalidateRect(window, nullptr, TRUE);
}

namespace {
void FitPass(ScaledWindow& layout, HWND window, bool fit, bool mayShrink) {
    const float s = layout.scale;
    RECT client = {};
    GetClientRect(window, &client);
    // Back to the layout's own rectangles: a shorter text (English again) needs no growth.
    const int grownBefore = layout.grownBy;
    std::vector<FittedControl> controls;
    controls.reserve(layout.children.size());
    int left = 1 << 30;
    for (const ScaledWindow::Child& child : layout.children) {
        controls.push_back(FittedControl{child.hwnd, child.baseStyle, child.x, child.baseY, child.baseWidth,
                                         child.baseHeight});
        left = child.x < left ? child.x : left;
    }
    // The right margin mirrors the left one.
    const int clientWidth = static_cast<int>(static_cast<float>(client.right) / s + 0.999f);
    const int grown = FitControlTexts(controls, window, s, clientWidth - left, fit);
    for (size_t i = 0; i < controls.size(); ++i) {
        ScaledWindow::Child& child = layout.children[i];
        child.y = controls[i].y;
        child.width = controls[i].width;
        child.height = controls[i].height;
    }

    for (const ScaledWindow::Child& child : layout.children) {
        SetWindowPos(child.hwnd, nullptr, Scaled(child.x, s), Scaled(child.y, s), Scaled(child.width, s),
                     Scaled(child.height, s), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    layout.grownBy = grown;
    if (grown == grownBefore) return;
    RECT frame = {};
    GetWindowRect(window, &frame);
    const int frameWidth = frame.right - frame.left;
    const int extraHeight = (frame.bottom - frame.top) - client.bottom;  // caption and borders
    const int baseClient = client.bottom - Scaled(grownBefore, s);
    const int height = extraHeight + baseClient + Scaled(grown, s);
    const RECT work = MonitorAreaOf(window).workArea;
    const int workHeight = work.bottom - work.top;
    if (height > workHeight && mayShrink) {
        // Too tall for the work area: the whole window is drawn at a smaller scale, then fitted again.
        const float factor = 0.98f * static_cast<float>(workHeight - extraHeight) /
                             static_cast<float>(baseClient + Scaled(grown, s));
        layout.scale = s * factor;
        SetLayoutFont(layout, MakeWindowFont(layout.scale));  // the old font goes once no child holds it
        const int extraWidth = frameWidth - client.right;
        layout.grownBy = 0;
        SetWindowPos(window, nullptr, 0, 0, extraWidth + static_cast<int>(static_cast<float>(client.right) * factor),
                     extraHeight + static_cast<int>(static_cast<float>(baseClient) * factor),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        FitPass(layout, window, true, false);
        return;
    }
    int top = frame.top;
    if (top + height > work.bottom) top = work.bottom - height > work.top ? work.bottom - height : work.top;
    SetWindowPos(window, nullptr, frame.left, top, frameWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

void FitChildrenToTexts(ScaledWindow& layout, HWND window) {
    // English is the language the layouts were drawn for: its rectangles stay exactly as designed
    // (after another language, they are put back).
    const bool english = g_language.tag == "en";
    FitPass(layout, window, !english, !english);
}

void ClearScaledWindow(ScaledWindow& layout) {
    layout.children.clear();
    layout.font.reset();
    g_openLayouts.erase(std::remove(g_openLayouts.begin(), g_openLayouts.end(), &layout), g_openLayouts.end());
}

int RefaceScaledWindows() {
    int changed = 0;
    for (ScaledWindow* layout : g_openLayouts) {
        LOGFONTW face = {};
        if (layout->font && GetObjectW(layout->font.get(), sizeof(face), &face) == sizeof(face) &&
            _wcsicmp(face.lfFaceName, WindowFaceName()) == 0) {
            continue;
        }
        SetLayoutFont(*layout, MakeWindowFont(layout->scale));
        ++changed;
    }
    return changed;
}

void TakeSuggestedRect(HWND window, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (!suggested) return;
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
