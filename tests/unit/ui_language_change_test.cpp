// A language change reaches the controls editor, the installer, the folder browser and Video & CRT while they
// are open: each reads its texts again, takes the room the language needs, and English gets its
// own rectangles back exactly.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "controls/controls_editor.h"
#include "install/folder_browser.h"
#include "install/installer_entry.h"
#include "install/installer_record.h"
#include "launcher_windows_fixture.h"
#include "texts/texts.h"
#include "ui/language_change.h"
#include "ui/video_window.h"

namespace {
struct Placed {
    HWND child;
    RECT rect;
};

std::vector<Placed> ChildRects(HWND window) {
    std::vector<Placed> placed;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = {};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        placed.push_back({child, r});
    }
    return placed;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int WidthOf(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    return r.right - r.left;
}

std::wstring ComboItem(HWND combo, int index) {
    wchar_t text[128] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 128) return L"";
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

void ChangeLanguage(const char* tag) {
    SetTextLanguage(tag);
    AnnounceLanguageChange();
}

class LanguageChange : public LauncherWindows {
protected:
    void TearDown() override {
        Close(FolderBrowserWindow());
        LauncherWindows::TearDown();
    }
};
}  // namespace

TEST_F(LanguageChange, OpenWindowsReadTheirTextsAgainAndEnglishKeepsItsRectangles) {
    OpenControlsEditor(Home(), root_.path() / L"controls.ini");
    OpenInstallerWindow(Home());
    FolderBrowserRequest browse;
    browse.owner = InstallerWindow();
    browse.titleKey = "install.picker.rom";
    browse.unattended = true;
    OpenFolderBrowser(std::move(browse));
    OpenVideoWindow();
    HWND video = g_launcher.videoWindow;
    HWND editor = ControlsEditorWindow();
    HWND installer = InstallerWindow();
    HWND browser = FolderBrowserWindow();
    ASSERT_TRUE(editor && installer && browser && video);
    constexpr int kVideoZoomBoxId = 4;
    constexpr int kVideoFilterListId = 3;
    SendMessageW(GetDlgItem(video, kVideoFilterListId), CB_SETCURSEL, 5, 0);
    Pump();

    struct Row {
        const char* window;
        HWND hwnd;
        int childId;  // 0: the title only
        const wchar_t* french[2];   // title, child
        const wchar_t* english[2];
        bool wider;  // the child takes more room in French
    };
    const Row rows[] = {
        {"controls editor", editor, kEditorSaveId,
         {L"Commandes \u2014 Talvaro Ovra-Remix Recomp", L"Enregistrer les commandes"},
         {L"Controls \u2014 Talvaro Ovra-Remix Recomp", L"Save controls"}, true},
        {"installer", installer, kCloseButtonId, {L"Installer Talvaro Ovra-Remix Recomp 0.60", L"Fermer"},
         {L"Install Talvaro Ovra-Remix Recomp 0.60", L"Close"}, true},
        {"folder browser", browser, 0, {L"Choisissez un dossier contenant vos ROM", nullptr},
         {L"Choose a folder containing your ROMs", nullptr}, false},
        {"video window", video, kVideoZoomBoxId, {L"Vid\u00E9o & CRT", L"Zoom continu + graphismes arcade"},
         {L"Video & CRT", L"Continuous zoom + arcade art"}, false},
    };
    std::vector<std::vector<Placed>> english;
    for (const Row& row : rows) english.push_back(ChildRects(row.hwnd));

    ChangeLanguage("fr");
    Pump();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.window);
        EXPECT_EQ(WindowText(row.hwnd), row.french[0]);
        if (!row.childId) continue;
        HWND child = GetDlgItem(row.hwnd, row.childId);
        EXPECT_EQ(WindowText(child), row.french[1]);
        if (row.wider) {
            for (const Placed& p : english[static_cast<size_t>(&row - rows)]) {
                if (p.child == child) {
                    EXPECT_GT(WidthOf(child), p.rect.right - p.rect.left);
                }
            }
        }
    }
    // The lists are filled again, the choice kept.
    HWND steering = GetDlgItem(editor, kSteeringChoiceId);
    EXPECT_EQ(ComboItem(steering, 2), L"D\u00E9sactiv\u00E9");
    EXPECT_EQ(SendMessageW(steering, CB_GETCURSEL, 0, 0), EditorWorkingProfile().steeringStick);
    EXPECT_EQ(ComboItem(GetDlgItem(editor, kControllerChoiceId), 1), L"Manette 2 \u2014 d\u00E9connect\u00E9e");
    EXPECT_EQ(WindowText(GetDlgItem(editor, kFirstClearButtonId)), L"Effacer");
    HWND filters = GetDlgItem(video, kVideoFilterListId);
    EXPECT_EQ(ComboItem(filters, 0), L"Pixels d\u2019origine");
    EXPECT_EQ(ComboItem(filters, 3), L"koko-aio \u00B7 Ambilight") << "a preset keeps its author's name";
    EXPECT_EQ(SendMessageW(filters, CB_GETCURSEL, 0, 0), 5);

    ChangeLanguage("en");
    Pump();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.window);
        EXPECT_EQ(WindowText(row.hwnd), row.english[0]);
        if (row.childId) {
            EXPECT_EQ(WindowText(GetDlgItem(row.hwnd, row.childId)), row.english[1]);
        }
        const std::vector<Placed> now = ChildRects(row.hwnd);
        const std::vector<Placed>& before = english[static_cast<size_t>(&row - rows)];
        ASSERT_EQ(now.size(), before.size());
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_TRUE(Same(now[i].rect, before[i].rect))
                << "child " << GetDlgCtrlID(now[i].child) << " \"" << ::testing::PrintToString(WindowText(now[i].child))
                << "\" is not back in its English rectangle";
        }
    }
}
