// The face each language is drawn in, and a language change reaching the fonts of open windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "launcher_windows_fixture.h"
#include "texts/texts.h"
#include "ui/drawing_kit.h"
#include "ui/language_change.h"
#include "ui/language_faces.h"
#include "ui/options_window.h"
#include "ui/video_window.h"

TEST(LanguageFaces, BarlowForTheLatinLanguagesFiraSansCondensedForRussian) {
    struct Case {
        const char* tag;
        const wchar_t* regular;
        const wchar_t* condensed;
    };
    const Case cases[] = {
        {"en", L"Barlow", L"Barlow Condensed"},
        {"de", L"Barlow", L"Barlow Condensed"},
        {"pt-BR", L"Barlow", L"Barlow Condensed"},
        {"pl", L"Barlow", L"Barlow Condensed"},
        {"qps-ploc", L"Barlow", L"Barlow Condensed"},  // its accents are Barlow's
        {"ru", L"Fira Sans Condensed", L"Fira Sans Condensed"},
        {"ru-RU", L"Fira Sans Condensed", L"Fira Sans Condensed"},
        {"rup", L"Barlow", L"Barlow Condensed"},  // a prefix of another language is not Russian
    };
    for (const Case& c : cases) {
        const LanguageFaces faces = FacesForLanguage(c.tag);
        EXPECT_STREQ(faces.regular, c.regular) << c.tag;
        EXPECT_STREQ(faces.condensed, c.condensed) << c.tag;
    }
}

namespace {
std::wstring FaceOf(HFONT font) {
    LOGFONTW face = {};
    if (!font || GetObjectW(font, sizeof(face), &face) != sizeof(face)) return L"(no font)";
    return face.lfFaceName;
}

// The face names of the visible controls' fonts of a window.
std::vector<std::wstring> ControlFaces(HWND top) {
    const std::vector<HWND> children = ChildWindows(top);
    std::vector<std::wstring> faces;
    for (HWND child : children) {
        if (IsWindowVisible(child)) faces.push_back(FaceOf(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0))));
    }
    return faces;
}

using LanguageChangeFaces = LauncherWindows;
}  // namespace

TEST_F(LanguageChangeFaces, OpenWindowsTakeTheNewLanguagesFaceAndTheOldUiFontStaysValid) {
    Home();
    OpenVideoWindow();
    HWND video = g_launcher.videoWindow;
    ASSERT_NE(video, nullptr);
    const HFONT englishUi = UiFont();
    EXPECT_EQ(FaceOf(englishUi), L"Barlow");
    for (const std::wstring& face : ControlFaces(video)) EXPECT_EQ(face, L"Barlow");

    SetTextLanguage("ru");
    EXPECT_GE(AnnounceLanguageChange(), 2) << "the home and video windows are told";
    Pump();
    const std::vector<std::wstring> faces = ControlFaces(video);
    ASSERT_FALSE(faces.empty());
    for (const std::wstring& face : faces) EXPECT_EQ(face, L"Fira Sans Condensed") << "a video control kept its face";
    EXPECT_EQ(FaceOf(UiFont()), L"Fira Sans Condensed");
    // A control given the English UI font before the change may still hold it.
    EXPECT_EQ(FaceOf(englishUi), L"Barlow");
    // A window opened after the change starts in the new face.
    OpenOptionsWindow();
    ASSERT_NE(OptionsWindow(), nullptr);
    for (const std::wstring& face : ControlFaces(OptionsWindow())) EXPECT_EQ(face, L"Fira Sans Condensed");
    // The families the home window paints with follow the language too.
    ASSERT_NE(CondensedFamily(), nullptr);
    WCHAR family[LF_FACESIZE] = {};
    CondensedFamily()->GetFamilyName(family);
    EXPECT_STREQ(family, L"Fira Sans Condensed");
    ASSERT_NE(RegularFamily(), nullptr);
    EXPECT_TRUE(RegularFamily()->IsAvailable()) << "Fira Sans Condensed did not load from the package";

    SetTextLanguage("en");
    AnnounceLanguageChange();
    Pump();
    for (const std::wstring& face : ControlFaces(video)) EXPECT_EQ(face, L"Barlow") << "back to English";
    EXPECT_EQ(UiFont(), englishUi) << "the English UI font is made once per session";
}
