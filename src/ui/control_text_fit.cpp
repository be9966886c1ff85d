#include "ui/control_text_fit.h"

#include <cwchar>
#include <string>

#include "ui/text_box_fit.h"

namespace {
bool IsClass(HWND control, const wchar_t* name) {
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    return _wcsicmp(cls, name) == 0;
}

// How a control shows its text, and the pixels its frame and glyphs take from its width.
TextKind KindOf(const FittedControl& control, const TEXTMETRICW& metric, int* margin) {
    const DWORD style = control.baseStyle;
    *margin = 0;
    if (IsClass(control.hwnd, L"BUTTON")) {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_OWNERDRAW || type == BS_GROUPBOX) return TextKind::None;
        const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                         type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
        // A check box's square and gap; a push button's frame and inner space on both sides.
        *margin = box ? metric.tmHeight + metric.tmAveCharWidth : 3 * metric.tmAveCharWidth;
        return (style & BS_MULTILINE) ? TextKind::Wrapping : TextKind::OneLine;
    }
    if (IsClass(control.hwnd, L"STATIC")) {
        const DWORD type = style & SS_TYPEMASK;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) return TextKind::Wrapping;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) return TextKind::OneLine;
    }
    return TextKind::None;
}

// The control's window style with its text as laid out, or wrapping.
DWORD StyleFor(const FittedControl& control, bool wrap) {
    const DWORD now = static_cast<DWORD>(GetWindowLongW(control.hwnd, GWL_STYLE));
    if (IsClass(control.hwnd, L"BUTTON")) {
        const DWORD multiline = wrap ? BS_MULTILINE : (control.baseStyle & BS_MULTILINE);
        return (now & ~static_cast<DWORD>(BS_MULTILINE)) | multiline;
    }
    const DWORD type = wrap ? SS_LEFT : (control.baseStyle & SS_TYPEMASK);
    return (now & ~static_cast<DWORD>(SS_TYPEMASK)) | type;
}

void SetStyle(const FittedControl& control, DWORD style) {
    if (style != static_cast<DWORD>(GetWindowLongW(control.hwnd, GWL_STYLE))) {
        SetWindowLongW(control.hwnd, GWL_STYLE, static_cast<LONG>(style));
    }
}

std::wstring TextOf(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], length + 1)));
    return text;
}

HFONT FontOf(HWND control) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}
}  // namespace

int FitControlTexts(std::vector<FittedControl>& controls, HWND window, float scale, int rightEdge, bool fit) {
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    std::vector<TextBox> boxes;
    std::vector<std::wstring> texts;
    boxes.reserve(controls.size());
    texts.reserve(controls.size());
    for (const FittedControl& control : controls) {
        SelectObject(dc, FontOf(control.hwnd));
        TEXTMETRICW metric = {};
        GetTextMetricsW(dc, &metric);
        int margin = 0;
        TextKind kind = KindOf(control, metric, &margin);
        if (kind != TextKind::None) SetStyle(control, StyleFor(control, false));
        texts.push_back(kind == TextKind::None ? std::wstring() : TextOf(control.hwnd));
        if (texts.back().empty()) kind = TextKind::None;
        boxes.push_back(TextBox{control.x, control.y, control.width, control.height, kind, margin, metric.tmHeight});
    }
    int grown = 0;
    if (fit) {
        const std::vector<TextBox> before = boxes;
        grown = FitTextBoxes(boxes, rightEdge, scale, [&](size_t index, int width, bool wrap) {
            SelectObject(dc, FontOf(controls[index].hwnd));
            const std::wstring& text = texts[index];
            RECT rect = {0, 0, width > 1 ? width : 1, 0};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | (wrap ? DT_WORDBREAK : 0));
            return TextExtent{rect.right, rect.bottom};
        });
        for (size_t i = 0; i < controls.size(); ++i) {
            FittedControl& control = controls[i];
            const TextBox& box = boxes[i];
            control.x = box.x;
            control.y = box.y;
            control.width = box.width;
            control.height = box.height;
            if (box.kind != before[i].kind) SetStyle(control, StyleFor(control, true));
        }
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return grown;
}
