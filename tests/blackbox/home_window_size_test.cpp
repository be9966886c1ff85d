// The home window cannot be made smaller than its design floor, scaled by the system DPI.
#include <gtest/gtest.h>

#include "play_support.h"

using namespace bb;

namespace {
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Sets the system DPI that processes started from now on see, and puts the old value back.
class SystemDpiScope {
public:
    explicit SystemDpiScope(DWORD dpi) {
        DWORD size = sizeof(original_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &original_,
                            &size) == ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi)) ==
               ERROR_SUCCESS;
    }
    ~SystemDpiScope() {
        if (had_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &original_, sizeof(original_));
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
        }
    }
    bool set() const { return set_; }

private:
    DWORD original_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// Asks for a far smaller window, as dragging the frame would, and returns what the window took.
SIZE ShrinkAsFarAsAllowed(HWND home) {
    // Physical pixels on both sides, so that Windows does not scale the numbers for us.
    const DPI_AWARENESS_CONTEXT previous = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    SetWindowPos(home, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT rect = WindowRect(home);
    if (previous) SetThreadDpiAwarenessContext(previous);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void ExpectMinimumSize(DWORD dpi, LONG width, LONG height) {
    SystemDpiScope scope(dpi);
    ASSERT_TRUE(scope.set()) << "could not set the system DPI";
    Installation installation;
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    // The window scales for its monitor's DPI. Windows gives the monitor the system DPI at sign-in;
    // Wine 10 fixes each monitor's DPI when the prefix's wineserver starts, so a system DPI set by
    // this test afterwards reaches new processes but not their monitors there.
    const UINT windowDpi = GetDpiForWindow(home);
    if (windowDpi != 0 && windowDpi != dpi) {
        PostMessageW(home, WM_CLOSE, 0, 0);
        launcher.WaitForExit(kLaunchTimeout);
        GTEST_SKIP() << "the Launcher's window is at " << windowDpi << " DPI, its monitor's, not the system DPI "
                     << dpi << " the test set: this Wine fixes a monitor's DPI when its wineserver starts";
    }
    const SIZE size = ShrinkAsFarAsAllowed(home);
    EXPECT_EQ(size.cx, width) << "at " << dpi << " DPI";
    EXPECT_EQ(size.cy, height) << "at " << dpi << " DPI";
    // Larger sizes are not limited.
    SetWindowPos(home, nullptr, 0, 0, width + 37, height + 21, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT larger = WindowRect(home);
    EXPECT_EQ(larger.right - larger.left, width + 37);
    EXPECT_EQ(larger.bottom - larger.top, height + 21);
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
}  // namespace

TEST(HomeWindowSize, MinimumIs920By600At96Dpi) { ExpectMinimumSize(96, 920, 600); }

TEST(HomeWindowSize, MinimumIs1380By900At144Dpi) { ExpectMinimumSize(144, 1380, 900); }
