// Every fixed text the Launcher shows has a glyph for each of its characters in the font that
// draws it. The texts are read from the windows as they are shown, in this process: each child
// control's text (and list items) with the font the control was given, and everything painted
// through the drawing kit with the family and style it was painted in. A text added later is
// checked without being listed here.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controls/controls_editor.h"
#include "controls/controls_editor_layout.h"
#include "install/installer_entry.h"
#include "install/installer_record.h"
#include "launcher_windows_fixture.h"
#include "play/home_window.h"
#include "texts/texts.h"
#include "ui/drawing_kit.h"
#include "ui/glyph_gaps.h"
#include "ui/options_window.h"
#include "ui/video_window.h"
#include "update/update_entry.h"
#include "test_text.h"

namespace fs = std::filesystem;

TEST(GlyphGaps, EachMissingCharacterOnceInOrderButNeverALineBreak) {
    const WORD none = kMissingGlyph;
    struct Case {
        const wchar_t* text;
        std::vector<WORD> glyphs;
        const wchar_t* missing;
    };
    const Case cases[] = {
        {L"Save", {54, 68, 89, 72}, L""},
        {L"a\u2191b\u2193\u2191", {68, none, 69, none, none}, L"\u2191\u2193"},
        {L"one\r\ntwo\t", {82, 81, 72, none, none, 87, 90, 82, none}, L""},
        {L"\u2190x", {none}, L"\u2190"},  // fewer indices than characters: the rest is not judged
        {L"", {}, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CharactersWithoutGlyph(c.text, c.glyphs), c.missing) << "text of " << wcslen(c.text) << " chars";
    }
}

namespace {
// A text as the user sees it, with the GDI font that draws it.
struct ShownText {
    std::string screen;
    std::wstring text;
    HFONT font;       // a control's font, or one made for a drawing-kit family
    std::wstring face;  // the face the font was asked for
    bool painted;       // drawn through the kit: the GDI font must be that very face
};

std::vector<ShownText> g_painted;  // filled by the drawing kit's observer
std::string g_screen;
std::vector<HFONT> g_madeFonts;

// The GDI font of a GDI+ family and style: the kit registers the same Barlow files with GDI.
HFONT GdiFontFor(const wchar_t* family, INT style) {
    LOGFONTW face = {};
    face.lfHeight = -20;
    face.lfWeight = (style & Gdiplus::FontStyleBold) ? FW_BOLD : FW_NORMAL;
    face.lfItalic = (style & Gdiplus::FontStyleItalic) ? TRUE : FALSE;
    face.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(face.lfFaceName, LF_FACESIZE, family, _TRUNCATE);
    HFONT font = CreateFontIndirectW(&face);
    g_madeFonts.push_back(font);
    return font;
}

void ObservePainted(const wchar_t* text, const Gdiplus::FontFamily& family, INT style) {
    WCHAR name[LF_FACESIZE] = {};
    family.GetFamilyName(name);
    g_painted.push_back(ShownText{g_screen, text, GdiFontFor(name, style), name, true});
}

// The visible child controls' texts: statics, buttons (owner-drawn ones paint through the kit)
// and list items, each with its control's font. Edit boxes hold what the user or a script wrote.
std::vector<ShownText> ControlTexts(HWND top) {
    std::vector<ShownText> found;
    const std::vector<HWND> children = ChildWindows(top);
    for (HWND child : children) {
        if (!IsWindowVisible(child)) continue;
        const std::wstring cls = ClassOf(child);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
        LOGFONTW face = {};
        GetObjectW(font, sizeof(face), &face);
        const bool ownerDrawn = (GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
        if (_wcsicmp(cls.c_str(), L"STATIC") == 0 || (_wcsicmp(cls.c_str(), L"BUTTON") == 0 && !ownerDrawn)) {
            const std::wstring text = WindowText(child);
            if (!text.empty()) found.push_back(ShownText{g_screen, text, font, face.lfFaceName, false});
        } else if (_wcsicmp(cls.c_str(), L"COMBOBOX") == 0) {
            const int count = static_cast<int>(SendMessageW(child, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                std::wstring item(static_cast<size_t>(SendMessageW(child, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
                item.resize(static_cast<size_t>(
                    SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]))));
                found.push_back(ShownText{g_screen, item, font, face.lfFaceName, false});
            }
        }
    }
    return found;
}

// What GetGlyphIndicesW says the font lacks, asked here rather than through the code under test
// (only the pure reading of the indices is shared, checked above); also the face GDI really gave.
std::wstring Lacking(HFONT font, const std::wstring& text, std::wstring* realFace) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    if (!old || old == HGDI_ERROR) {
        DeleteDC(dc);
        *realFace = L"(no font)";
        return L"(the font could not be selected)";
    }
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    *realFace = face;
    std::vector<WORD> glyphs(text.size());
    const bool read = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                                       GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR;
    const std::wstring lacking = read ? CharactersWithoutGlyph(text, glyphs) : L"(GetGlyphIndicesW failed)";
    SelectObject(dc, old);
    DeleteDC(dc);
    return lacking;
}

// The fixture's windows in a language, with the drawing kit's texts observed and the bold italic
// faces given to GDI too (the kit gives it the faces its controls select).
class FixedTexts : public LauncherWindows, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        SetTextLanguage(GetParam());
        LauncherWindows::SetUp();
        if (HasFatalFailure()) return;
        for (const fs::path& face : BoldItalics()) AddFontResourceExW(face.c_str(), FR_PRIVATE, nullptr);
        // Game 1 installed, game 2 not: both cards' and both status lines' texts show.
        WriteFileBytes(root_.path() / L"games" / L"tlvr1" / L"tlvr1.exe", "");
        WriteFileBytes(root_.path() / L"roms" / L"tlvr1.bin", "");
        ObserveDrawnTexts(ObservePainted);
    }
    void TearDown() override {
        ObserveDrawnTexts(nullptr);
        LauncherWindows::TearDown();
        for (HFONT font : g_madeFonts) DeleteObject(font);
        g_madeFonts.clear();
        g_painted.clear();
        for (const fs::path& face : BoldItalics()) RemoveFontResourceExW(face.c_str(), FR_PRIVATE, nullptr);
    }
    std::vector<fs::path> BoldItalics() const {
        return {art_ / L"BarlowCondensed-BoldItalic.ttf", art_ / L"FiraSansCondensed-BoldItalic.ttf"};
    }
};
}  // namespace

TEST_P(FixedTexts, EveryCharacterShownHasAGlyphInTheFontThatDrawsIt) {
    const bool russian = std::string(GetParam()) == "ru";
    struct Screen {
        const char* name;
        std::function<HWND()> open;  // shows the screen; returns its top-level window
        bool closeAfter;
    };
    const fs::path profile = root_.path() / L"controls.ini";
    auto editor = [] { return ControlsEditorWindow(); };
    const Screen screens[] = {
        {"home, first game (installed) chosen", [&] { return Home(); }, false},
        {"home, second game (not installed) chosen", [&] { SelectGame(1); return Home(); }, false},
        {"video window", [&] { OpenVideoWindow(); return g_launcher.videoWindow; }, true},
        {"options window", [&] { OpenOptionsWindow(); return OptionsWindow(); }, true},
        {"controls editor", [&] { OpenControlsEditor(Home(), profile); return editor(); }, false},
        {"controls editor capturing a key", [&] { Command(editor(), kFirstKeyButtonId + 1); return editor(); }, false},
        {"controls editor refusing a reserved key",
         [&] {
             MSG key = {editor(), WM_KEYDOWN, VK_F1, static_cast<LPARAM>(MapVirtualKeyW(VK_F1, MAPVK_VK_TO_VSC)) << 16};
             ControlsKeyFilter(&key);
             return editor();
         },
         false},
        {"controls editor capturing a controller input",
         [&] { Command(editor(), kFirstControllerButtonId + 1); return editor(); }, true},
        {"installer", [&] { OpenInstallerWindow(Home()); return InstallerWindow(); }, false},
        {"installer refusing to start without a ROM folder",
         [&] { Command(InstallerWindow(), kInstallButtonId); return InstallerWindow(); }, true},
        {"updates window of a copy without update tools", [&] { OpenUpdatesWindow(Home()); return UpdatesWindow(); },
         true},
    };

    // Checked while the screen is open: its controls' fonts go with it.
    std::set<std::pair<std::wstring, std::wstring>> checked;
    std::set<std::wstring> realFaces;
    auto check = [&checked, &realFaces, russian](const std::vector<ShownText>& items) {
        for (const ShownText& item : items) {
            if (!checked.insert({item.text, item.face}).second) continue;
            std::wstring realFace;
            const std::wstring lacking = Lacking(item.font, item.text, &realFace);
            realFaces.insert(realFace);
            EXPECT_TRUE(lacking.empty()) << item.screen << ": \"" << Utf8(item.text) << "\" in " << Utf8(realFace)
                                         << " has no glyph for \"" << Utf8(lacking) << "\"";
            // Russian is drawn in its Cyrillic face everywhere, the windows' controls included.
            if (russian) {
                EXPECT_EQ(_wcsicmp(realFace.c_str(), L"Fira Sans Condensed"), 0)
                    << item.screen << ": \"" << Utf8(item.text) << "\" drawn in " << Utf8(realFace);
            }
            if (!item.painted) continue;  // a control draws with whatever face GDI gave it
            EXPECT_EQ(_wcsicmp(realFace.c_str(), item.face.c_str()), 0)
                << item.screen << ": \"" << Utf8(item.text) << "\" asked for " << Utf8(item.face)
                << " but GDI gave " << Utf8(realFace);
        }
    };
    for (const Screen& screen : screens) {
        g_screen = screen.name;
        const size_t paintedBefore = g_painted.size();
        HWND top = screen.open();
        ASSERT_NE(top, nullptr) << screen.name << " did not open";
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        const std::vector<ShownText> controls = ControlTexts(top);
        EXPECT_GT(controls.size() + (g_painted.size() - paintedBefore), 0u) << screen.name << " showed no text";
        check(controls);
        if (screen.closeAfter) Close(top);
    }
    check(g_painted);
    // The check met the faces it is about, as GDI really gave them: a check of stand-in faces
    // would prove nothing about Barlow.
    if (russian) {
        EXPECT_TRUE(realFaces.count(L"Fira Sans Condensed")) << "no text was checked in Fira Sans Condensed";
    } else {
        EXPECT_TRUE(realFaces.count(L"Barlow")) << "no text was checked in Barlow";
        EXPECT_TRUE(realFaces.count(L"Barlow Condensed")) << "no text was checked in Barlow Condensed";
        // "Русский" in the Language list: Barlow lacks it, Russian's face draws it.
        EXPECT_TRUE(realFaces.count(L"Fira Sans Condensed")) << "the Language list kept Barlow for its Cyrillic";
    }
    EXPECT_GT(checked.size(), 60u) << "too few texts were found to be every text";
}

INSTANTIATE_TEST_SUITE_P(Languages, FixedTexts, ::testing::Values("en", "ru"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "ru" ? std::string("Russian") : std::string("English");
                         });
