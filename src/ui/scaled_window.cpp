#include "ui/scaled_window.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "app/system_library.h"
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
enum class TextKind { None, OneLine, Wrapping };

// How a child shows its text, and the pixels its frame and glyphs take from its width.
TextKind KindOf(const ScaledWindow::Child& child, const TEXTMETRICW& metric, int* margin) {
    wchar_t cls[16] = {};
    GetClassNameW(child.hwnd, cls, 16);
    const DWORD style = child.baseStyle;
    if (_wcsicmp(cls, L"BUTTON") == 0) {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_OWNERDRAW || type == BS_GROUPBOX) return TextKind::None;
        const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                         type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
        // A check box's square and gap; a push button's frame and inner space on both sides.
        *margin = box ? metric.tmHeight + metric.tmAveCharWidth : 3 * metric.tmAveCharWidth;
        return (style & BS_MULTILINE) ? TextKind::Wrapping : TextKind::OneLine;
    }
    if (_wcsicmp(cls, L"STATIC") == 0) {
        const DWORD type = style & SS_TYPEMASK;
        *margin = 0;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) return TextKind::Wrapping;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) return TextKind::OneLine;
    }
    return TextKind::None;
}

SIZE TextExtent(HDC dc, const std::wstring& text, int width, bool wrap) {
    RECT rect = {0, 0, width > 1 ? width : 1, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | (wrap ? DT_WORDBREAK : 0));
    return SIZE{rect.right, rect.bottom};
}

bool IsButton(HWND control) {
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    return _wcsicmp(cls, L"BUTTON") == 0;
}

// The child's window style with its text on one line (as laid out) or wrapping.
DWORD OneLineStyle(const ScaledWindow::Child& child) {
    const DWORD now = static_cast<DWORD>(GetWindowLongW(child.hwnd, GWL_STYLE));
    if (IsButton(child.hwnd)) return (now & ~static_cast<DWORD>(BS_MULTILINE)) | (child.baseStyle & BS_MULTILINE);
    return (now & ~static_cast<DWORD>(SS_TYPEMASK)) | (child.baseStyle & SS_TYPEMASK);
}
DWORD WrappingStyle(const ScaledWindow::Child& child) {
    const DWORD now = static_cast<DWORD>(GetWindowLongW(child.hwnd, GWL_STYLE));
    if (IsButton(child.hwnd)) return now | BS_MULTILINE;
    return now & ~static_cast<DWORD>(SS_TYPEMASK);  // SS_LEFT
}

int DesignUnits(int pixels, float scale) { return static_cast<int>(static_cast<float>(pixels) / scale + 0.999f); }
}  // namespace

namespace {
void FitPass(ScaledWindow& layout, HWND window, bool fit, bool mayShrink) {
    const float s = layout.scale;
    RECT client = {};
    GetClientRect(window, &client);
    // Back to the layout's own rectangles: a shorter text (English again) needs no growth.
    const int grownBefore = layout.grownBy;
    for (ScaledWindow::Child& child : layout.children) {
        child.y = child.baseY;
        child.width = child.baseWidth;
        child.height = child.baseHeight;
        const DWORD style = OneLineStyle(child);
        if (style != static_cast<DWORD>(GetWindowLongW(child.hwnd, GWL_STYLE))) {
            SetWindowLongW(child.hwnd, GWL_STYLE, static_cast<LONG>(style));
        }
    }
    int left = 1 << 30;
    for (const ScaledWindow::Child& child : layout.children) left = child.x < left ? child.x : left;
    const int clientWidth = DesignUnits(client.right, s);

    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, layout.font.get());
    TEXTMETRICW metric = {};
    GetTextMetricsW(dc, &metric);
    int grown = 0;
    for (size_t i = 0; fit && i < layout.children.size(); ++i) {
        ScaledWindow::Child& child = layout.children[i];
        int margin = 0;
        TextKind kind = KindOf(child, metric, &margin);
        const int length = GetWindowTextLengthW(child.hwnd);
        if (kind == TextKind::None || length == 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(child.hwnd, &text[0], length + 1)));
        // The widest it may become: the window's right margin, or the next control on its row.
        int limit = clientWidth - left;
        for (const ScaledWindow::Child& other : layout.children) {
            const bool sameRow = other.y < child.y + child.height && child.y < other.y + other.height;
            if (&other != &child && sameRow && other.x >= child.x + child.width) {
                limit = other.x - 8 < limit ? other.x - 8 : limit;
            }
        }
        const int roomPixels = Scaled(child.width, s) - margin;
        SIZE needed = TextExtent(dc, text, roomPixels, kind == TextKind::Wrapping);
        if (needed.cx > roomPixels) {
            const int wider = DesignUnits(needed.cx + margin, s);
            child.width = wider <= limit - child.x ? wider : limit - child.x;
            if (kind == TextKind::OneLine && wider > limit - child.x) {
                // Too long for one line even widened: it wraps.
                kind = TextKind::Wrapping;
                SetWindowLongW(child.hwnd, GWL_STYLE, static_cast<LONG>(WrappingStyle(child)));
            }
            needed = TextExtent(dc, text, Scaled(child.width, s) - margin, kind == TextKind::Wrapping);
        }
        const int padding = kind == TextKind::Wrapping && margin > 0 ? metric.tmHeight / 2 : 0;
        int tall = DesignUnits(needed.cy + padding, s);
        if (kind == TextKind::Wrapping && tall > child.height && child.width < limit - child.x) {
            // Wider before taller: fewer lines move less of the window.
            child.width = limit - child.x;
            needed = TextExtent(dc, text, Scaled(child.width, s) - margin, true);
            tall = DesignUnits(needed.cy + padding, s);
        }
        if (kind == TextKind::Wrapping && tall > child.height) {
            const int extra = tall - child.height;
            const int bottom = child.y + child.height;
            child.height = tall;
            for (ScaledWindow::Child& below : layout.children) {
                if (&below != &child && below.y >= bottom) below.y += extra;
            }
            grown += extra;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);

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
