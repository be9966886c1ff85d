// The "Video & CRT" window: its geometry, its controls and what Save and the close box do.
#include <gtest/gtest.h>

#include <string>

#include "app/launcher_state.h"
#include "temp_folder.h"
#include "ui/drawing_kit.h"
#include "ui/scaled_window.h"
#include "ui/video_window.h"
#include "ui_test_support.h"

namespace fs = std::filesystem;

TEST(VideoWindowGeometry, ShortWorkAreaAtHighDpiLimitsTheScale) {
    const float scale = VideoSettingsScale(700, 1.5f);
    EXPECT_FLOAT_EQ(scale, 700.0f / 540.0f);
    EXPECT_NEAR(scale, 1.2962962f, 1e-6f);
    const WindowPlacement place = PlaceVideoWindow(RECT{0, 0, 1300, 700}, RECT{0, 0, 1920, 700}, scale);
    EXPECT_EQ(place.width, 661);
    EXPECT_EQ(place.height, 699);
    EXPECT_EQ(WindowFontHeight(scale), -20);
}

TEST(VideoWindowGeometry, TallWorkAreaAt96DpiKeepsTheDesignSize) {
    const float scale = VideoSettingsScale(1040, 1.0f);
    EXPECT_FLOAT_EQ(scale, 1.0f);
    const WindowPlacement place = PlaceVideoWindow(RECT{0, 0, 1300, 850}, RECT{0, 0, 1920, 1040}, scale);
    EXPECT_EQ(place.width, 510);
    EXPECT_EQ(place.height, 540);
    EXPECT_EQ(WindowFontHeight(scale), -16);
}

TEST(VideoWindowGeometry, CentredOnTheHomeWindowInsideTheWorkArea) {
    const RECT work{0, 40, 1920, 1080};
    const WindowPlacement centred = PlaceVideoWindow(RECT{100, 100, 1400, 950}, work, 1.0f);
    EXPECT_EQ(centred.x, 100 + (1300 - 510) / 2);
    EXPECT_EQ(centred.y, 100 + (850 - 540) / 2);
    // A home window shorter than the video window and near the top: clamped to the work area.
    const WindowPlacement clamped = PlaceVideoWindow(RECT{300, 40, 1220, 440}, work, 1.0f);
    EXPECT_EQ(clamped.y, 40);
    EXPECT_EQ(clamped.x, 300 + (920 - 510) / 2);
    const WindowPlacement above = PlaceVideoWindow(RECT{0, -300, 1300, 400}, work, 1.0f);
    EXPECT_EQ(above.y, 40);
    // A home window hanging over the right and bottom edges: the window comes back inside.
    const WindowPlacement over = PlaceVideoWindow(RECT{1700, 900, 3000, 1750}, work, 1.0f);
    EXPECT_EQ(over.x, 1920 - 510);
    EXPECT_EQ(over.y, 1080 - 540);
    // Taller than the work area: its top stays inside.
    EXPECT_EQ(PlaceVideoWindow(RECT{0, 0, 1300, 850}, RECT{0, 40, 1920, 500}, 1.0f).y, 40);
}

namespace {
// An open video window over a stand-in home window, with the settings file in a temporary root.
class VideoWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        kit_ = new DrawingKitSession(empty_->path());
        WNDCLASSEXW cls = {};
        cls.cbSize = sizeof(cls);
        cls.lpfnWndProc = VideoWindowProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.hbrBackground = DarkBackgroundBrush();
        cls.lpszClassName = kVideoSettingsClass;
        RegisterClassExW(&cls);
    }
    static void TearDownTestSuite() {
        UnregisterClassW(kVideoSettingsClass, GetModuleHandleW(nullptr));
        delete kit_;
        kit_ = nullptr;
    }
    void SetUp() override {
        home_ = CreateHomeLikeWindow(1300, 850);
        g_launcher.homeWindow = home_;
        g_launcher.instance = GetModuleHandleW(nullptr);
        g_launcher.dpiScale = 1.0f;
        g_launcher.settingsFile = folder_.path() / L"launcher.ini";
        g_launcher.settings = LauncherSettings{};
        g_launcher.settings.aspect = 2;
        g_launcher.settings.size = 1;
        g_launcher.settings.filter = 3;
        g_launcher.settings.zoom = false;
        g_launcher.settings.fullScreen = true;
    }
    void TearDown() override {
        if (g_launcher.videoWindow) DestroyWindow(g_launcher.videoWindow);
        DestroyWindow(home_);
        g_launcher.homeWindow = nullptr;
        g_launcher.settingsFile.clear();
    }
    HWND Child(int id, const wchar_t* className) {
        for (HWND child = GetWindow(g_launcher.videoWindow, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (GetDlgCtrlID(child) == id && _wcsicmp(name, className) == 0) return child;
        }
        return nullptr;
    }
    static std::wstring ListLine(HWND list, int row) {
        wchar_t text[128] = {};
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        return text;
    }
    int SavedKey(const wchar_t* key) {
        return static_cast<int>(GetPrivateProfileIntW(L"launcher", key, -1, g_launcher.settingsFile.c_str()));
    }

    static TempFolder* empty_;
    static DrawingKitSession* kit_;
    TempFolder folder_{L"tlvr-video"};
    HWND home_ = nullptr;
};
TempFolder* VideoWindow::empty_ = new TempFolder(L"tlvr-video-art");
DrawingKitSession* VideoWindow::kit_ = nullptr;

int CountVideoWindows() {
    int count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kVideoSettingsClass, nullptr)) != nullptr) ++count;
    return count;
}
}  // namespace

TEST_F(VideoWindow, OpensOnceOverADisabledHomeWindowWithTheStoredChoices) {
    OpenVideoWindow();
    HWND video = g_launcher.videoWindow;
    ASSERT_NE(video, nullptr);
    EXPECT_FALSE(IsWindowEnabled(home_));
    EXPECT_EQ(GetWindow(video, GW_OWNER), home_);
    wchar_t title[64] = {};
    GetWindowTextW(video, title, 64);
    EXPECT_STREQ(title, L"Video & CRT");

    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT homeRect = {}, videoRect = {};
    GetWindowRect(home_, &homeRect);
    GetWindowRect(video, &videoRect);
    const WindowPlacement expected =
        PlaceVideoWindow(homeRect, work, VideoSettingsScale(work.bottom - work.top, 1.0f));
    EXPECT_EQ(videoRect.right - videoRect.left, expected.width);
    EXPECT_EQ(videoRect.bottom - videoRect.top, expected.height);
    EXPECT_EQ(videoRect.left, expected.x);
    EXPECT_EQ(videoRect.top, expected.y);

    HWND aspect = Child(1, L"COMBOBOX");
    HWND resolution = Child(2, L"COMBOBOX");
    HWND filter = Child(3, L"COMBOBOX");
    ASSERT_TRUE(aspect && resolution && filter);
    EXPECT_EQ(SendMessageW(aspect, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(resolution, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(filter, CB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(ListLine(aspect, 3), L"32:9");
    EXPECT_EQ(ListLine(resolution, 1), L"1280 \u00D7 720");
    EXPECT_EQ(ListLine(resolution, 4), L"3840 \u00D7 2160");
    EXPECT_EQ(ListLine(filter, 3), L"koko-aio \u00B7 Ambilight");
    EXPECT_EQ(SendMessageW(aspect, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageW(resolution, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(filter, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(SendMessageW(Child(4, L"BUTTON"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(Child(5, L"BUTTON"), BM_GETCHECK, 0, 0), BST_CHECKED);

    HWND save = Child(1, L"BUTTON");
    ASSERT_NE(save, nullptr);
    RECT saveRect = {};
    GetWindowRect(save, &saveRect);
    MapWindowPoints(nullptr, video, reinterpret_cast<POINT*>(&saveRect), 2);
    EXPECT_EQ(saveRect.left, 332);
    EXPECT_EQ(saveRect.top, 436);
    EXPECT_EQ(saveRect.right - saveRect.left, 132);
    EXPECT_EQ(saveRect.bottom - saveRect.top, 38);

    OpenVideoWindow();  // a second request only raises the open window
    EXPECT_EQ(g_launcher.videoWindow, video);
    EXPECT_EQ(CountVideoWindows(), 1);
}

TEST_F(VideoWindow, SaveStoresTheChoicesAndClosesButAListNotificationDoesNot) {
    OpenVideoWindow();
    HWND video = g_launcher.videoWindow;
    ASSERT_NE(video, nullptr);
    HWND aspect = Child(1, L"COMBOBOX");
    SendMessageW(aspect, CB_SETCURSEL, 0, 0);
    SendMessageW(Child(3, L"COMBOBOX"), CB_SETCURSEL, 6, 0);
    SendMessageW(Child(4, L"BUTTON"), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Child(5, L"BUTTON"), BM_SETCHECK, BST_UNCHECKED, 0);

    // The aspect list shares id 1 with Save: its notifications carry a non-zero high word.
    SendMessageW(video, WM_COMMAND, MAKEWPARAM(1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(aspect));
    EXPECT_TRUE(IsWindow(video));
    EXPECT_FALSE(fs::exists(g_launcher.settingsFile));

    SendMessageW(video, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(Child(1, L"BUTTON")));
    EXPECT_FALSE(IsWindow(video));
    EXPECT_EQ(g_launcher.videoWindow, nullptr);
    EXPECT_TRUE(IsWindowEnabled(home_));
    EXPECT_EQ(g_launcher.settings.aspect, 0);
    EXPECT_EQ(g_launcher.settings.filter, 6);
    EXPECT_TRUE(g_launcher.settings.zoom);
    EXPECT_FALSE(g_launcher.settings.fullScreen);
    EXPECT_EQ(SavedKey(L"aspect"), 0);
    EXPECT_EQ(SavedKey(L"size"), 1);
    EXPECT_EQ(SavedKey(L"filter"), 6);
    EXPECT_EQ(SavedKey(L"zoom"), 1);
    EXPECT_EQ(SavedKey(L"fullscreen"), 0);
}

TEST_F(VideoWindow, CloseBoxDiscardsTheEdits) {
    OpenVideoWindow();
    HWND video = g_launcher.videoWindow;
    ASSERT_NE(video, nullptr);
    SendMessageW(Child(2, L"COMBOBOX"), CB_SETCURSEL, 4, 0);
    SendMessageW(video, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(video));
    EXPECT_EQ(g_launcher.videoWindow, nullptr);
    EXPECT_TRUE(IsWindowEnabled(home_));
    EXPECT_EQ(g_launcher.settings.size, 1);
    EXPECT_FALSE(fs::exists(g_launcher.settingsFile));
}

TEST_F(VideoWindow, ChildControlsDrawLightOnDark) {
    OpenVideoWindow();
    ASSERT_NE(g_launcher.videoWindow, nullptr);
    PixelCanvas canvas(4, 4);
    for (const UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLORLISTBOX, WM_CTLCOLOREDIT}) {
        SetTextColor(canvas.dc(), RGB(0, 0, 0));
        SetBkColor(canvas.dc(), RGB(255, 255, 255));
        const LRESULT brush = SendMessageW(g_launcher.videoWindow, message,
                                           reinterpret_cast<WPARAM>(canvas.dc()), 0);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), DarkBackgroundBrush()) << "message " << message;
        EXPECT_EQ(GetTextColor(canvas.dc()), RGB(244, 240, 226));
        EXPECT_EQ(GetBkColor(canvas.dc()), RGB(26, 29, 31));
    }
}
