// The home window in this process: DPI changes, hover and the arrow keys on its real controls.
#include <gtest/gtest.h>

#include "app/launcher_state.h"
#include "play/home_window.h"
#include "play/launcher_settings.h"
#include "temp_folder.h"
#include "ui/command_buttons.h"
#include "ui/home_layout.h"
#include "ui_test_support.h"

namespace {
class HomeWindowInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_launcher;
        g_launcher.instance = GetModuleHandleW(nullptr);
        g_launcher.root = temp_.path();
        g_launcher.settingsFile = temp_.path() / L"launcher.ini";
        g_launcher.settings = LauncherSettings{};
        g_launcher.dpiScale = 1.0f;
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = HomeWindowProc;
        wc.hInstance = g_launcher.instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kHomeWindowClass;
        RegisterClassExW(&wc);  // already registered by an earlier test: fine
        home_ = CreateWindowExW(0, kHomeWindowClass, L"home", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                1300, 850, nullptr, nullptr, g_launcher.instance, nullptr);
        ASSERT_NE(home_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(home_)) DestroyWindow(home_);
        FinishLauncherSettingsSaves();  // the destruction's save, before the folder goes
        // The window's destruction posted a quit message for the Launcher's loop: drop it here.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        g_launcher = saved_;
    }

    DrawingKitSession kit_{PackageArtFolder()};
    TempFolder temp_;
    LauncherState saved_;
    HWND home_ = nullptr;
};

RECT ChildRect(HWND parent, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(parent, id), &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

TEST_F(HomeWindowInProcess, DpiChangeTakesTheSuggestedRectangleScaleAndMinimumSize) {
    RECT suggested = {40, 30, 40 + 1500, 30 + 1000};
    SendMessageW(home_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_FLOAT_EQ(g_launcher.dpiScale, 1.5f);
    RECT now = {};
    GetWindowRect(home_, &now);
    EXPECT_EQ(now.right - now.left, 1500);
    EXPECT_EQ(now.bottom - now.top, 1000);

    // The controls follow the new client area.
    RECT client = {};
    GetClientRect(home_, &client);
    const CanvasFit fit = FitHomeCanvas(client.right, client.bottom);
    const RECT expected = PlaceOnCanvas(HomeControlDesignRect(kPlayId), fit);
    const RECT play = ChildRect(home_, kPlayId);
    EXPECT_TRUE(EqualRect(&play, &expected)) << play.left << "," << play.top << " vs " << expected.left << ","
                                             << expected.top;

    MINMAXINFO info = {};
    SendMessageW(home_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 1380);
    EXPECT_EQ(info.ptMinTrackSize.y, 900);
}

TEST_F(HomeWindowInProcess, MovingFromOneButtonStraightOntoAnotherLeavesOneHot) {
    HWND video = GetDlgItem(home_, kVideoId);
    HWND controls = GetDlgItem(home_, kControlsId);
    ASSERT_NE(video, nullptr);
    ASSERT_NE(controls, nullptr);
    SendMessageW(video, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(HotControl(), kVideoId);
    SendMessageW(controls, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(HotControl(), kControlsId);
    // Leaving the button under the mouse leaves none hot.
    SendMessageW(controls, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(HotControl(), -1);
}

TEST_F(HomeWindowInProcess, RightArrowOnAnyControlTogglesAndRetitlesPlay) {
    ASSERT_EQ(g_launcher.settings.selectedGame, 0);
    SendMessageW(GetDlgItem(home_, kControlsId), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(g_launcher.settings.selectedGame, 1);
    wchar_t text[32] = {};
    GetDlgItemTextW(home_, kPlayId, text, 32);
    EXPECT_STREQ(text, L"INSTALL GAMES");  // nothing is installed in the temporary root
    SendMessageW(GetDlgItem(home_, kCardGame2Id), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(g_launcher.settings.selectedGame, 0);
    FinishLauncherSettingsSaves();
    EXPECT_EQ(GetPrivateProfileIntW(L"launcher", L"game", -1, g_launcher.settingsFile.c_str()), 0);
    // The arrows and Enter reach the focused control through the dialog manager.
    MSG enter = {GetDlgItem(home_, kPlayId), WM_KEYDOWN, VK_RETURN, 0};
    const LRESULT code = SendMessageW(enter.hwnd, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter));
    EXPECT_TRUE(code & DLGC_WANTARROWS);
    EXPECT_TRUE(code & DLGC_WANTALLKEYS);
}

TEST_F(HomeWindowInProcess, EveryControlSitsAtItsLayoutRectangleAfterCreationAndResizes) {
    const int ids[] = {kCardGame1Id, kCardGame2Id, kPlayId,    kVideoId,
                       kControlsId,  kInstallId,   kUpdatesId, kAboutId, kOptionsId};
    auto expectAllPlaced = [this, &ids](const char* when) {
        RECT client = {};
        GetClientRect(home_, &client);
        const CanvasFit fit = FitHomeCanvas(client.right, client.bottom);
        for (int id : ids) {
            const RECT expected = PlaceOnCanvas(HomeControlDesignRect(id), fit);
            const RECT actual = ChildRect(home_, id);
            EXPECT_TRUE(EqualRect(&actual, &expected))
                << when << ": control " << id << " at " << actual.left << "," << actual.top << " "
                << actual.right - actual.left << "x" << actual.bottom - actual.top << ", layout gives "
                << expected.left << "," << expected.top << " " << expected.right - expected.left << "x"
                << expected.bottom - expected.top;
        }
    };
    expectAllPlaced("after creation");
    SetWindowPos(home_, nullptr, 0, 0, 1900, 700, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    expectAllPlaced("wide window");
    SetWindowPos(home_, nullptr, 0, 0, 1000, 1000, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    expectAllPlaced("tall window");
    SetWindowPos(home_, nullptr, 0, 0, 1300, 850, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    expectAllPlaced("back to the first size");
}
