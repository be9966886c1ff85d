// A language change reaches the controls editor, the installer, the folder browser and Video & CRT while they
// are open: each reads its texts again, takes the room the language needs, and English gets its
// own rectangles back exactly.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "controls/controls_editor.h"
#include "install/folder_browser.h"
#include "install/installer_entry.h"
#include "install/installer_record.h"
#include "launcher_windows_fixture.h"
#include "texts/texts.h"
#include "ui/command_buttons.h"
#include "ui/language_change.h"
#include "ui/monitor_area.h"
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

// The home window's owner-drawn children, as they are painted: how often, and with what text.
struct DrawnItem {
    int times = 0;
    std::wstring text;
};
std::map<int, DrawnItem> g_drawnItems;
WNDPROC g_homeProc = nullptr;

LRESULT CALLBACK CountingHomeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        DrawnItem& drawn = g_drawnItems[static_cast<int>(item->CtlID)];
        ++drawn.times;
        drawn.text = WindowText(item->hwndItem);
    }
    return CallWindowProcW(g_homeProc, hwnd, message, wParam, lParam);
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

TEST_F(LanguageChange, EveryHomeButtonAndCardIsPaintedOnceInTheNewLanguage) {
    HWND home = Home();
    RedrawWindow(home, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    g_drawnItems.clear();
    g_homeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(home, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingHomeProc)));
    ChangeLanguage("pl");
    RedrawWindow(home, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    SetWindowLongPtrW(home, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_homeProc));

    EXPECT_EQ(WindowText(GetDlgItem(home, kOptionsId)), Text("home.button.options"));
    for (int id : {kCardGame1Id, kCardGame2Id, kPlayId, kVideoId, kControlsId, kInstallId, kAboutId, kUpdatesId,
                   kOptionsId}) {
        const DrawnItem& drawn = g_drawnItems[id];
        EXPECT_EQ(drawn.times, 1) << "control " << id << " was painted " << drawn.times << " times";
        EXPECT_EQ(drawn.text, WindowText(GetDlgItem(home, id))) << "control " << id << " painted an old text";
    }
}

namespace {
MonitorArea TallMonitor(HWND) { return MonitorArea{RECT{0, 0, 1280, 1200}, 96}; }
struct MonitorSeam {
    explicit MonitorSeam(MonitorQuery query) { SetMonitorQuery(query); }
    ~MonitorSeam() { SetMonitorQuery(nullptr); }
    MonitorSeam(const MonitorSeam&) = delete;
    MonitorSeam& operator=(const MonitorSeam&) = delete;
};

int FontHeightOf(HWND control) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}
}  // namespace

// Where the work area has room, the editor grows for a language's wrapped texts instead of
// drawing its canvas smaller, and English takes its own height and rectangles back.
TEST_F(LanguageChange, TheControlsEditorGrowsForLongerTextsWithinTheWorkAreaAndEnglishShrinksItBack) {
    const MonitorSeam tall(TallMonitor);
    OpenControlsEditor(Home(), root_.path() / L"controls.ini");
    HWND editor = ControlsEditorWindow();
    ASSERT_NE(editor, nullptr);
    Pump();
    RECT english = {};
    GetWindowRect(editor, &english);
    const std::vector<Placed> englishChildren = ChildRects(editor);
    HWND save = GetDlgItem(editor, kEditorSaveId);
    const int englishFont = FontHeightOf(save);

    ChangeLanguage("qps-ploc");
    Pump();
    RECT grown = {};
    GetWindowRect(editor, &grown);
    EXPECT_GT(grown.bottom - grown.top, english.bottom - english.top);
    EXPECT_GE(grown.top, 0);
    EXPECT_LE(grown.bottom, 1200);
    EXPECT_EQ(FontHeightOf(save), englishFont) << "the canvas was drawn smaller although the window could grow";
    RECT client = {};
    GetClientRect(editor, &client);
    for (const Placed& p : ChildRects(editor)) {
        EXPECT_LE(p.rect.bottom, client.bottom) << "child " << GetDlgCtrlID(p.child) << " below the window's edge";
    }

    ChangeLanguage("en");
    Pump();
    RECT back = {};
    GetWindowRect(editor, &back);
    EXPECT_EQ(back.bottom - back.top, english.bottom - english.top);
    const std::vector<Placed> now = ChildRects(editor);
    ASSERT_EQ(now.size(), englishChildren.size());
    for (size_t i = 0; i < now.size(); ++i) {
        EXPECT_TRUE(Same(now[i].rect, englishChildren[i].rect)) << "child " << GetDlgCtrlID(now[i].child);
    }
}
