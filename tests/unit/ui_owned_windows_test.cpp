// The four secondary windows as Windows sees them: the owner enabled before an owned window is
// hidden (Windows hands the activation on at that moment), every window on the monitor of the
// home window at that monitor's DPI, and every window rescaled when its DPI changes.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "controls/controls_editor.h"
#include "install/installer_entry.h"
#include "install/installer_record.h"
#include "launcher_windows_fixture.h"
#include "play/home_window.h"
#include "ui/command_buttons.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"
#include "ui/video_window.h"
#include "update/update_entry.h"

namespace fs = std::filesystem;

namespace {
HWND VideoWindowNow() { return g_launcher.videoWindow; }

// The secondary windows, each with how it is opened and found.
struct Secondary {
    const char* name;
    std::function<void(HWND home, const fs::path& root)> open;
    HWND (*window)();
};
const Secondary kVideo{"video", [](HWND, const fs::path&) { OpenVideoWindow(); }, VideoWindowNow};
const Secondary kEditor{"controls editor",
                        [](HWND home, const fs::path& root) { OpenControlsEditor(home, root / L"controls.ini"); },
                        ControlsEditorWindow};
const Secondary kInstaller{"installer", [](HWND home, const fs::path&) { OpenInstallerWindow(home); },
                           InstallerWindow};
const Secondary kUpdates{"updates", [](HWND home, const fs::path&) { OpenUpdatesWindow(home); }, UpdatesWindow};

// What the hook saw of the watched window's hiding.
struct HideRecord {
    HWND watched = nullptr;
    HWND owner = nullptr;
    bool hidden = false;
    bool ownerEnabledAtHide = false;
};
HideRecord g_hide;

LRESULT CALLBACK WatchHiding(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == g_hide.watched && !g_hide.hidden) {
        const bool positionHides = call->message == WM_WINDOWPOSCHANGING &&
                                   (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_HIDEWINDOW);
        const bool showHides = call->message == WM_SHOWWINDOW && call->wParam == FALSE;
        if (positionHides || showHides) {
            g_hide.hidden = true;
            g_hide.ownerEnabledAtHide = IsWindowEnabled(g_hide.owner) != FALSE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

MSG KeyDown(HWND window, UINT key) {
    MSG message = {};
    message.hwnd = window;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    return message;
}

// A program that ends by itself, standing in for the installed Launcher that "Open launcher" starts.
fs::path ProgramThatEnds() {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (const wchar_t* name : {L"hostname.exe", L"whoami.exe"}) {
        if (fs::exists(fs::path(system) / name)) return fs::path(system) / name;
    }
    return {};
}

RECT ClientRectOf(HWND child, HWND parent) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int FontHeightOf(HWND control) {
    LOGFONTW face = {};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font || !GetObjectW(font, sizeof(face), &face)) return 0;
    return face.lfHeight;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// A second monitor right of a 1920-pixel primary, at 120 DPI; the primary at 96.
constexpr RECT kPrimaryWork = {0, 0, 1920, 1040};
constexpr RECT kSecondWork = {1920, 0, 1920 + 2560, 1400};
constexpr UINT kSecondDpi = 120;
MonitorArea PrimaryOrSecond(HWND window) {
    return window ? MonitorArea{kSecondWork, kSecondDpi} : MonitorArea{kPrimaryWork, 96};
}

class OwnedWindows : public LauncherWindows {
protected:
    void TearDown() override {
        SetMonitorQuery(nullptr);
        LauncherWindows::TearDown();
    }
};
}  // namespace

TEST_F(OwnedWindows, EveryCloseEnablesTheOwnerBeforeTheWindowIsHidden) {
    struct ClosePath {
        const Secondary* window;
        const char* path;
        std::function<void(HWND window)> close;
    };
    const fs::path launcher = ProgramThatEnds();
    const ClosePath paths[] = {
        {&kVideo, "Save", [](HWND w) { Command(w, 1); }},
        {&kVideo, "close box (and b)", [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); }},
        {&kVideo, "end of a capture",
         [this](HWND) {
             g_launcher.automation.captureFile = root_.path() / L"capture.png";
             for (int tick = 0; tick < 3; ++tick) SendMessageW(Home(), WM_TIMER, kCaptureTimerId, 0);
         }},
        {&kEditor, "Save controls", [](HWND w) { Command(w, kEditorSaveId); }},
        {&kEditor, "Cancel", [](HWND w) { Command(w, kEditorCancelId); }},
        {&kEditor, "close box", [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); }},
        {&kEditor, "Esc",
         [](HWND w) {
             MSG esc = KeyDown(w, VK_ESCAPE);
             ControlsKeyFilter(&esc);
         }},
        {&kInstaller, "Close", [](HWND w) { Command(w, kCloseButtonId); }},
        {&kInstaller, "close box", [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); }},
        {&kInstaller, "Esc",
         [](HWND w) {
             MSG esc = KeyDown(w, VK_ESCAPE);
             InstallerDialogFilter(&esc);
         }},
        {&kInstaller, "Open launcher",
         [this, &launcher](HWND w) {
             const fs::path destination = root_.path() / L"installed";
             fs::create_directories(destination);
             fs::copy_file(launcher, destination / L"TalvaroOvraRecomp.exe", fs::copy_options::overwrite_existing);
             g_installer.destination = destination.wstring();
             g_installer.completed = true;
             Command(w, kInstallButtonId);
         }},
        {&kUpdates, "Close", [](HWND w) { Command(w, IDCANCEL); }},
        {&kUpdates, "close box", [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); }},
        {&kUpdates, "Esc",
         [](HWND w) {
             MSG esc = KeyDown(w, VK_ESCAPE);
             UpdatesDialogFilter(&esc);
         }},
    };
    ASSERT_FALSE(launcher.empty()) << "no program in the system folder to stand in for the installed Launcher";
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchHiding, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (const ClosePath& path : paths) {
        const std::string name = std::string(path.window->name) + ", " + path.path;
        g_launcher.automation = AutomationOptions{};
        HWND home = Home();
        path.window->open(home, root_.path());
        HWND window = path.window->window();
        if (!window) {
            ADD_FAILURE() << name << ": the window did not open";
            continue;
        }
        EXPECT_FALSE(IsWindowEnabled(home)) << name << ": the owner is not disabled while the window is open";
        g_hide = HideRecord{window, home};
        path.close(window);
        Pump();
        EXPECT_FALSE(IsWindow(window)) << name << ": the window did not close";
        EXPECT_TRUE(g_hide.hidden) << name << ": the window was never hidden";
        EXPECT_TRUE(g_hide.ownerEnabledAtHide) << name << ": hidden while the home window was still disabled";
        if (!IsWindow(home_)) home_ = nullptr;  // the capture ends with the home window
    }
    UnhookWindowsHookEx(hook);
}

TEST_F(OwnedWindows, OnASecondMonitorEveryWindowOpensInItsWorkAreaAtItsDpi) {
    SetMonitorQuery(PrimaryOrSecond);
    // The home window opens on the second monitor's DPI: sized for 120 DPI, not the system's 96.
    home_ = CreateHomeWindow(g_launcher.instance);
    ASSERT_NE(home_, nullptr);
    ShowWindow(home_, SW_SHOWNOACTIVATE);
    RECT home = {};
    GetWindowRect(home_, &home);
    EXPECT_EQ(home.right - home.left, 1625) << "1300 at 120 DPI";
    EXPECT_TRUE(Inside(home, kSecondWork)) << "home window at " << Describe(home);

    // Outer widths at the second monitor's scale 1.25: its work area is tall enough for each.
    const struct {
        const Secondary* window;
        int width;
    } expected[] = {{&kVideo, 637}, {&kEditor, 1062}, {&kInstaller, 977}, {&kUpdates, 882}};
    for (const auto& e : expected) {
        e.window->open(home_, root_.path());
        HWND window = e.window->window();
        ASSERT_NE(window, nullptr) << e.window->name;
        RECT r = {};
        GetWindowRect(window, &r);
        EXPECT_TRUE(Inside(r, kSecondWork)) << e.window->name << " opened at " << Describe(r);
        EXPECT_EQ(r.right - r.left, e.width) << e.window->name << " is not at the second monitor's DPI";
        CloseOwnedWindow(window, true);
        Pump();
    }
}

TEST_F(OwnedWindows, ADpiChangeRescalesFontAndButtonsAndTakesTheSuggestedRectangle) {
    struct Case {
        const char* name;
        std::function<HWND()> open;
        int bottomButton;  // the id of a button of the bottom row
        bool fixedScale;   // laid out at design x scale; otherwise fitted to the client area
        SIZE start;        // set before the change when not zero, so that 1.5 times fits the screen
    };
    auto secondary = [this](const Secondary& s) {
        return [this, &s]() {
            s.open(Home(), root_.path());
            return s.window();
        };
    };
    const Case cases[] = {
        {"home", [this]() { return Home(); }, kPlayId, false, {920, 600}},
        {"video", secondary(kVideo), 1, true, {}},
        {"controls editor", secondary(kEditor), kEditorSaveId, false, {800, 650}},
        {"installer", secondary(kInstaller), kCloseButtonId, true, {}},
        {"updates", secondary(kUpdates), IDCANCEL, true, {}},
    };
    for (const Case& c : cases) {
        HWND window = c.open();
        ASSERT_NE(window, nullptr) << c.name;
        if (c.start.cx) SetWindowPos(window, nullptr, 0, 0, c.start.cx, c.start.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        HWND button = nullptr;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            GetClassNameW(child, cls, 16);
            if (GetDlgCtrlID(child) == c.bottomButton && _wcsicmp(cls, L"BUTTON") == 0) button = child;
        }
        ASSERT_NE(button, nullptr) << c.name;
        const RECT before = ClientRectOf(button, window);
        const int fontBefore = FontHeightOf(button);
        RECT outer = {};
        GetWindowRect(window, &outer);
        RECT suggested = {outer.left, outer.top, outer.left + (outer.right - outer.left) * 3 / 2,
                          outer.top + (outer.bottom - outer.top) * 3 / 2};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

        RECT now = {};
        GetWindowRect(window, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested)) << c.name << " at " << Describe(now) << ", suggested "
                                                 << Describe(suggested);
        const RECT after = ClientRectOf(button, window);
        RECT client = {};
        GetClientRect(window, &client);
        EXPECT_TRUE(Inside(after, client)) << c.name << ": button at " << Describe(after) << " in "
                                           << Describe(client);
        const int fontAfter = FontHeightOf(button);
        if (c.fixedScale) {
            // Every window made at 96 DPI on this screen has scale 1: now 1.5, truncated.
            ASSERT_EQ(fontBefore, -16) << c.name;
            EXPECT_EQ(fontAfter, -24) << c.name;
            EXPECT_EQ(after.left, before.left * 3 / 2) << c.name;
            EXPECT_EQ(after.top, before.top * 3 / 2) << c.name;
            EXPECT_EQ(after.right - after.left, (before.right - before.left) * 3 / 2) << c.name;
            EXPECT_EQ(after.bottom - after.top, (before.bottom - before.top) * 3 / 2) << c.name;
        } else {
            // Fitted to a client area that grew by the DPI ratio (plus the unscaled frame's share).
            const double width = static_cast<double>(after.right - after.left) / (before.right - before.left);
            EXPECT_GT(width, 1.45) << c.name;
            EXPECT_LT(width, 1.6) << c.name;
            if (fontBefore != 0) {  // the home window draws its texts on its canvas, without a control font
                const double font = static_cast<double>(fontAfter) / fontBefore;
                EXPECT_GT(font, 1.4) << c.name << ": font " << fontBefore << " -> " << fontAfter;
                EXPECT_LT(font, 1.65) << c.name << ": font " << fontBefore << " -> " << fontAfter;
            }
        }
        if (window != home_) CloseOwnedWindow(window, true);
        Pump();
    }
}

TEST_F(OwnedWindows, TheCaptureTimerRunsOnlyInCaptureRuns) {
    for (const bool capture : {false, true}) {
        g_launcher.automation.captureFile = capture ? root_.path() / L"capture.png" : fs::path();
        HWND home = Home();
        // KillTimer answers whether there was such a timer.
        EXPECT_EQ(KillTimer(home, kCaptureTimerId) != FALSE, capture) << "capture run " << capture;
        Close(home);
        home_ = nullptr;
    }
}
