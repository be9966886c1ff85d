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
#include "ui/drawing_kit.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"
#include "ui/video_window.h"
#include "update/update_apply_run.h"
#include "update/update_entry.h"
#include "update/updates_window.h"

namespace fs = std::filesystem;

namespace {
enum Secondary { kVideo, kEditor, kInstaller, kUpdates, kUpdateApply };
const char* const kNames[] = {"video", "controls editor", "installer", "updates", "update-apply"};

HWND OpenSecondary(Secondary which, HWND home, const fs::path& root) {
    switch (which) {
    case kVideo: OpenVideoWindow(); return g_launcher.videoWindow;
    case kEditor: OpenControlsEditor(home, root / L"controls.ini"); return ControlsEditorWindow();
    case kInstaller: OpenInstallerWindow(home); return InstallerWindow();
    case kUpdates: OpenUpdatesWindow(home); return UpdatesWindow();
    case kUpdateApply: return CreateApplyRunWindow(ApplyRunWindowScale());
    }
    return nullptr;
}

// What the hook saw of the watched window's hiding.
struct HideRecord {
    HWND watched, owner;
    bool hidden, ownerEnabledAtHide;
};
HideRecord g_hide;

LRESULT CALLBACK WatchHiding(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == g_hide.watched && !g_hide.hidden &&
        ((call->message == WM_WINDOWPOSCHANGING &&
          (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_HIDEWINDOW)) ||
         (call->message == WM_SHOWWINDOW && call->wParam == FALSE))) {
        g_hide.hidden = true;
        g_hide.ownerEnabledAtHide = IsWindowEnabled(g_hide.owner) != FALSE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void EscThrough(bool (*filter)(MSG*), HWND window) {
    MSG esc = {window, WM_KEYDOWN, VK_ESCAPE, 1};
    filter(&esc);
}

RECT RectIn(HWND child, HWND parent) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int HeightOf(HFONT font) {
    LOGFONTW face = {};
    return font && GetObjectW(font, sizeof(face), &face) ? face.lfHeight : 0;
}

int FontHeightOf(HWND control) { return HeightOf(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0))); }

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// A second monitor right of a 1920-pixel primary, at 120 DPI; the primary at 96.
constexpr RECT kSecondWork = {1920, 0, 1920 + 2560, 1400};
MonitorArea PrimaryOrSecond(HWND window) {
    return window ? MonitorArea{kSecondWork, 120} : MonitorArea{RECT{0, 0, 1920, 1040}, 96};
}
// The update-apply run has no owner: the primary monitor is the second one's twin here.
MonitorArea SecondAsPrimary(HWND) { return MonitorArea{kSecondWork, 120}; }

class OwnedWindows : public LauncherWindows {
protected:
    void TearDown() override {
        SetMonitorQuery(nullptr);
        LauncherWindows::TearDown();
    }
};
}  // namespace

TEST_F(OwnedWindows, EveryCloseEnablesTheOwnerBeforeTheWindowIsHidden) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const fs::path programThatEnds = fs::path(system) / L"hostname.exe";  // stands in for the new Launcher
    ASSERT_TRUE(fs::exists(programThatEnds));
    auto closeBox = [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); };
    const struct {
        Secondary window;
        const char* path;
        std::function<void(HWND)> close;
    } paths[] = {
        {kVideo, "Save", [](HWND w) { Command(w, 1); }},
        {kVideo, "close box (and b)", closeBox},
        {kVideo, "end of a capture",
         [this](HWND) {
             g_launcher.automation.captureFile = root_.path() / L"capture.png";
             for (int tick = 0; tick < 3; ++tick) SendMessageW(Home(), WM_TIMER, kCaptureTimerId, 0);
         }},
        {kEditor, "Save controls", [](HWND w) { Command(w, kEditorSaveId); }},
        {kEditor, "Cancel", [](HWND w) { Command(w, kEditorCancelId); }},
        {kEditor, "close box", closeBox},
        {kEditor, "Esc", [](HWND w) { EscThrough(ControlsKeyFilter, w); }},
        {kInstaller, "Close", [](HWND w) { Command(w, kCloseButtonId); }},
        {kInstaller, "close box", closeBox},
        {kInstaller, "Esc", [](HWND w) { EscThrough(InstallerDialogFilter, w); }},
        {kInstaller, "Open launcher",
         [&](HWND w) {
             const fs::path destination = root_.path() / L"installed";
             fs::create_directories(destination);
             fs::copy_file(programThatEnds, destination / L"TalvaroOvraRecomp.exe",
                           fs::copy_options::overwrite_existing);
             g_installer.destination = destination.wstring();
             g_installer.completed = true;
             Command(w, kInstallButtonId);
         }},
        {kUpdates, "Close", [](HWND w) { Command(w, IDCANCEL); }},
        {kUpdates, "close box", closeBox},
        {kUpdates, "Esc", [](HWND w) { EscThrough(UpdatesDialogFilter, w); }},
    };
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchHiding, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (const auto& path : paths) {
        const std::string name = std::string(kNames[path.window]) + ", " + path.path;
        g_launcher.automation = AutomationOptions{};
        HWND window = OpenSecondary(path.window, Home(), root_.path());
        if (!window) {
            ADD_FAILURE() << name << ": the window did not open";
            continue;
        }
        EXPECT_FALSE(IsWindowEnabled(home_)) << name << ": the owner is not disabled while the window is open";
        g_hide = HideRecord{window, home_, false, false};
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
    EXPECT_EQ(HeightOf(UiFont()), -22) << "the UI font is not at the home window's scale 1.25";

    // Outer widths at the second monitor's scale 1.25: its work area is tall enough for each.
    const int widths[] = {637, 1062, 977, 882, 882};
    for (const Secondary which : {kVideo, kEditor, kInstaller, kUpdates, kUpdateApply}) {
        if (which == kUpdateApply) SetMonitorQuery(SecondAsPrimary);
        HWND window = OpenSecondary(which, home_, root_.path());
        ASSERT_NE(window, nullptr) << kNames[which];
        RECT r = {};
        GetWindowRect(window, &r);
        EXPECT_TRUE(Inside(r, kSecondWork)) << kNames[which] << " opened at " << Describe(r);
        EXPECT_EQ(r.right - r.left, widths[which]) << kNames[which] << " is not at the second monitor's DPI";
        CloseOwnedWindow(window, true);
        Pump();
    }
}

TEST_F(OwnedWindows, ADpiChangeRescalesFontAndButtonsAndTakesTheSuggestedRectangle) {
    const struct {
        int window;  // a Secondary, or -1 for the home window
        int bottomButton;
        bool fixedScale;  // laid out at design x scale; otherwise fitted to the client area
        SIZE start;       // set first when not zero, so that 1.5 times still fits the screen
    } cases[] = {{-1, kPlayId, false, {920, 600}},
                 {kVideo, 1, true, {}},
                 {kEditor, kEditorSaveId, false, {800, 650}},
                 {kInstaller, kCloseButtonId, true, {}},
                 {kUpdates, IDCANCEL, true, {}}};
    for (const auto& c : cases) {
        const std::string name = c.window < 0 ? "home" : kNames[c.window];
        HWND window = c.window < 0 ? Home() : OpenSecondary(static_cast<Secondary>(c.window), Home(), root_.path());
        ASSERT_NE(window, nullptr) << name;
        if (c.start.cx) SetWindowPos(window, nullptr, 0, 0, c.start.cx, c.start.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        HWND button = nullptr;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            GetClassNameW(child, cls, 16);
            if (GetDlgCtrlID(child) == c.bottomButton && _wcsicmp(cls, L"BUTTON") == 0) button = child;
        }
        ASSERT_NE(button, nullptr) << name;
        const RECT before = RectIn(button, window);
        // The home window draws its texts on its canvas; the UI font is the one its scale sets.
        auto fontNow = [&] { return c.window < 0 ? HeightOf(UiFont()) : FontHeightOf(button); };
        const int fontBefore = fontNow();
        RECT outer = {};
        GetWindowRect(window, &outer);
        RECT suggested = {outer.left, outer.top, outer.left + (outer.right - outer.left) * 3 / 2,
                          outer.top + (outer.bottom - outer.top) * 3 / 2};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

        RECT now = {}, client = {};
        GetWindowRect(window, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested)) << name << " at " << Describe(now);
        const RECT after = RectIn(button, window);
        GetClientRect(window, &client);
        EXPECT_TRUE(Inside(after, client)) << name << ": button at " << Describe(after) << " in " << Describe(client);
        const int fontAfter = fontNow();
        if (c.fixedScale) {
            // Every window made at 96 DPI on this screen has scale 1: now 1.5, truncated.
            ASSERT_EQ(fontBefore, -16) << name;
            EXPECT_EQ(fontAfter, -24) << name;
            const LONG x = before.left * 3 / 2, y = before.top * 3 / 2;
            const RECT expected = {x, y, x + (before.right - before.left) * 3 / 2,
                                   y + (before.bottom - before.top) * 3 / 2};
            EXPECT_TRUE(EqualRect(&after, &expected)) << name << ": button at " << Describe(after);
        } else {
            // Fitted to a client area that grew by the DPI ratio (plus the unscaled frame's share).
            const double width = static_cast<double>(after.right - after.left) / (before.right - before.left);
            EXPECT_TRUE(width > 1.45 && width < 1.6) << name << ": button width times " << width;
            ASSERT_NE(fontBefore, 0) << name;
            const double font = static_cast<double>(fontAfter) / fontBefore;
            EXPECT_TRUE(font > 1.4 && font < 1.65) << name << ": font " << fontBefore << " -> " << fontAfter;
        }
        if (window != home_) CloseOwnedWindow(window, true);
        Pump();
    }
}

TEST_F(OwnedWindows, TheCaptureTimerRunsOnlyInCaptureRuns) {
    for (const bool capture : {false, true}) {
        g_launcher.automation.captureFile = capture ? root_.path() / L"capture.png" : fs::path();
        // KillTimer answers whether there was such a timer.
        EXPECT_EQ(KillTimer(Home(), kCaptureTimerId) != FALSE, capture) << "capture run " << capture;
        Close(home_);
        home_ = nullptr;
    }
}
