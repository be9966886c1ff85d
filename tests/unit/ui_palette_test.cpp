// The palette: contrast of every text of the dark palette, the system's pairs in high contrast,
// and the switch that stands in for the system's setting under Wine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "ui/dark_title_bar.h"
#include "ui/palette.h"

namespace {
std::string Narrow(const wchar_t* text) { return std::string(text, text + wcslen(text)); }

std::string Hex(COLORREF c) {
    char buffer[16];
    snprintf(buffer, sizeof(buffer), "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return buffer;
}

// Two of Windows' own high-contrast themes, by their system colours.
struct Theme {
    const char* name;
    COLORREF window, windowText, face, faceText, highlight, highlightText, grey;
};
const Theme kThemes[] = {
    {"High Contrast Black", RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(26, 235, 255),
     RGB(0, 0, 0), RGB(63, 242, 63)},
    {"High Contrast White", RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(55, 0, 110),
     RGB(255, 255, 255), RGB(96, 0, 0)},
};
const Theme* g_theme = nullptr;

COLORREF ThemeColour(int index) {
    switch (index) {
    case COLOR_WINDOW: return g_theme->window;
    case COLOR_WINDOWTEXT: return g_theme->windowText;
    case COLOR_BTNFACE: return g_theme->face;
    case COLOR_BTNTEXT: return g_theme->faceText;
    case COLOR_HIGHLIGHT: return g_theme->highlight;
    case COLOR_HIGHLIGHTTEXT: return g_theme->highlightText;
    case COLOR_GRAYTEXT: return g_theme->grey;
    default: return RGB(255, 0, 255);  // a colour no role may take
    }
}

void ExpectEveryTextReadable(const Palette& palette, const char* which) {
    for (const PaletteText& t : PaletteTexts(palette)) {
        const double ratio = ContrastRatio(t.text, t.background);
        EXPECT_GE(ratio, RequiredContrast(t.pixels))
            << which << ": " << Narrow(t.what) << " " << Hex(t.text) << " on " << Hex(t.background) << " is "
            << ratio << ":1 at " << t.pixels << " px";
    }
}

std::vector<DWORD> g_titleBarValues;
HRESULT WINAPI RecordTitleBar(HWND, DWORD, LPCVOID value, DWORD) {
    g_titleBarValues.push_back(static_cast<DWORD>(*static_cast<const BOOL*>(value)));
    return S_OK;
}
}  // namespace

TEST(PaletteContrast, RatiosAsWcagDefinesThem) {
    struct Case {
        COLORREF a, b;
        double ratio;
    };
    const Case cases[] = {
        {RGB(0, 0, 0), RGB(255, 255, 255), 21.0},
        {RGB(255, 255, 255), RGB(0, 0, 0), 21.0},  // the order does not matter
        {RGB(26, 29, 31), RGB(26, 29, 31), 1.0},
        {RGB(118, 118, 118), RGB(255, 255, 255), 4.54},  // the lightest grey that passes on white
        {RGB(119, 119, 119), RGB(255, 255, 255), 4.48},
        {RGB(255, 0, 0), RGB(255, 255, 255), 4.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01) << Hex(c.a) << " on " << Hex(c.b);
    }
    EXPECT_DOUBLE_EQ(RequiredContrast(23.9f), 4.5);
    EXPECT_DOUBLE_EQ(RequiredContrast(24.0f), 3.0);
}

TEST(PaletteContrast, EveryTextOfTheDarkPaletteIsReadable) { ExpectEveryTextReadable(DarkPalette(), "dark"); }

TEST(PaletteHighContrast, EveryRoleTakesTheSystemsPairAndStaysReadable) {
    for (const Theme& theme : kThemes) {
        g_theme = &theme;
        const Palette p = HighContrastPalette(ThemeColour);
        SCOPED_TRACE(theme.name);
        EXPECT_TRUE(p.highContrast);
        struct Role {
            const char* name;
            COLORREF seen;
            COLORREF system;
        };
        const Role roles[] = {
            {"canvas", ColourRefOf(p.canvas), theme.window},
            {"panel", ColourRefOf(p.panel), theme.window},
            {"text", ColourRefOf(p.text), theme.windowText},
            {"muted", ColourRefOf(p.muted), theme.windowText},
            {"accent", ColourRefOf(p.accent), theme.windowText},
            {"selected card", ColourRefOf(p.selectedPanel), theme.highlight},
            {"selected card title", ColourRefOf(p.selectedText), theme.highlightText},
            {"button face", ColourRefOf(p.buttonFace), theme.face},
            {"button face, hot", ColourRefOf(p.buttonFaceHot), theme.face},
            {"button text", ColourRefOf(p.buttonText), theme.faceText},
            {"disabled text", ColourRefOf(p.disabledText), theme.grey},
            {"PLAY", ColourRefOf(p.playFace), theme.face},
            {"PLAY label", ColourRefOf(p.playLabel), theme.faceText},
            {"PLAY pressed", ColourRefOf(p.playPressedFace), theme.highlight},
            {"focus", ColourRefOf(p.focus), theme.highlight},
            {"window background", p.windowBackground, theme.window},
            {"window text", p.windowText, theme.windowText},
            {"log text", p.logText, theme.windowText},
        };
        for (const Role& role : roles) EXPECT_EQ(Hex(role.seen), Hex(role.system)) << role.name;
        ExpectEveryTextReadable(p, theme.name);
    }
}

// Wine always answers that high contrast is off: the variable stands in for the setting.
TEST(PaletteHighContrast, TheQaVariableSwitchesEveryWindowsColoursAndTitleBar) {
    struct Case {
        const wchar_t* value;  // null: unset
        bool on;
    };
    const Case cases[] = {{L"1", true}, {L"0", false}, {nullptr, false}, {L"10", false}};
    SetWindowAttributeSetter(RecordTitleBar);
    WNDCLASSW cls = {};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"TlvrPaletteProbe";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  cls.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? Narrow(c.value) : std::string("unset"));
        SetEnvironmentVariableW(L"TLVR_QA_HIGH_CONTRAST", c.value);
        RefreshPalette();
        EXPECT_EQ(HighContrastOn(), c.on);
        const COLORREF background = c.on ? GetSysColor(COLOR_WINDOW) : RGB(26, 29, 31);
        const COLORREF text = c.on ? GetSysColor(COLOR_WINDOWTEXT) : RGB(244, 240, 226);
        LOGBRUSH brush = {};
        const LRESULT answered = AnswerControlColours(dc);
        ASSERT_NE(GetObjectW(reinterpret_cast<HBRUSH>(answered), sizeof(brush), &brush), 0);
        EXPECT_EQ(Hex(brush.lbColor), Hex(background)) << "brush answered to WM_CTLCOLOR*";
        EXPECT_EQ(Hex(GetBkColor(dc)), Hex(background));
        EXPECT_EQ(Hex(GetTextColor(dc)), Hex(text));
        g_titleBarValues.clear();
        ApplyWindowColours(window);
        ASSERT_FALSE(g_titleBarValues.empty());
        EXPECT_EQ(g_titleBarValues.front(), c.on ? 0u : 1u) << "dark title bar asked for";
        EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), reinterpret_cast<ULONG_PTR>(WindowBackgroundBrush()));
    }
    DeleteDC(dc);
    DestroyWindow(window);
    SetWindowAttributeSetter(nullptr);
    SetEnvironmentVariableW(L"TLVR_QA_HIGH_CONTRAST", nullptr);
    RefreshPalette();
}
