// The home window cannot be made smaller than its design floor, scaled by the system DPI.
#include <gtest/gtest.h>

#include <cstdlib>

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
    // The DPI the prefix had before (Wine's default when the value was absent).
    DWORD before() const { return had_ ? original_ : 96; }

private:
    DWORD original_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// Wine's major version, or 0 on Windows.
int WineMajorVersion() {
    using WineGetVersion = const char*(__cdecl*)();
    const auto get = reinterpret_cast<WineGetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    return get ? std::atoi(get()) : 0;
}

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
    // The window scales for its monitor's DPI. Windows gives a monitor the system DPI at sign-in;
    // Wine 9 and later fix each monitor's DPI when the prefix's wineserver starts, so the system
    // DPI this test sets afterwards reaches a new process but not its monitor there.
    if (const int wine = WineMajorVersion(); wine >= 9 && dpi != scope.before()) {
        PostMessageW(home, WM_CLOSE, 0, 0);
        launcher.WaitForExit(kLaunchTimeout);
        GTEST_SKIP() << "Wine " << wine << " keeps a monitor at the DPI its wineserver started with, so the "
                     << dpi << " DPI set here does not reach the Launcher's window (its DPI change is tested in process)";
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
