// Every top-level window the Launcher opens asks the window manager for the dark title bar as it
// is created. Wine has no desktop window manager (its DwmSetWindowAttribute refuses), so what is
// asked is recorded through the attribute setter's seam; the real call is made in every other test.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "controls/controls_editor.h"
#include "install/installer_entry.h"
#include "launcher_windows_fixture.h"
#include "ui/dark_title_bar.h"
#include "ui/video_window.h"
#include "update/update_entry.h"

namespace {
struct AttributeCall {
    DWORD attribute;
    BOOL value;
};
std::map<HWND, std::vector<AttributeCall>> g_calls;

// Plays a Windows 10 build before 20H1 for the home window (attribute 20 unknown there) and a
// current one for the others.
HRESULT WINAPI RecordAttribute(HWND window, DWORD attribute, LPCVOID value, DWORD size) {
    const BOOL on = size == sizeof(BOOL) ? *static_cast<const BOOL*>(value) : -1;
    g_calls[window].push_back(AttributeCall{attribute, on});
    if (ClassOf(window) == L"TalvaroOvra" && attribute == 20) return E_INVALIDARG;
    return S_OK;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

class DarkTitleBars : public LauncherWindows {
protected:
    void SetUp() override {
        g_calls.clear();
        SetWindowAttributeSetter(RecordAttribute);
        LauncherWindows::SetUp();
    }
    void TearDown() override {
        LauncherWindows::TearDown();
        SetWindowAttributeSetter(nullptr);
    }
};
}  // namespace

TEST_F(DarkTitleBars, EveryTopLevelWindowAsksAsItIsCreatedAndFallsBackTo19) {
    HWND home = Home();
    OpenVideoWindow();
    OpenControlsEditor(home, root_.path() / L"controls.ini");
    OpenInstallerWindow(home);
    OpenUpdatesWindow(home);
    ASSERT_TRUE(g_launcher.videoWindow && ControlsEditorWindow() && InstallerWindow() && UpdatesWindow());

    // Whatever top-level windows this thread now has (the test's own hidden ones aside), each one
    // asked: a window added later without asking fails here without being named.
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    int launcherWindows = 0;
    for (HWND window : windows) {
        if (!IsWindowVisible(window)) continue;
        ++launcherWindows;
        const std::wstring cls = ClassOf(window);
        const std::vector<AttributeCall>& calls = g_calls[window];
        const bool oldBuild = cls == L"TalvaroOvra";
        ASSERT_EQ(calls.size(), oldBuild ? 2u : 1u) << "window class " << testing::PrintToString(cls);
        EXPECT_EQ(calls[0].attribute, 20u);
        EXPECT_EQ(calls[0].value, TRUE);
        if (oldBuild) {
            EXPECT_EQ(calls[1].attribute, 19u) << "attribute 20 refused: the older number is tried";
            EXPECT_EQ(calls[1].value, TRUE);
        }
    }
    EXPECT_EQ(launcherWindows, 5);
}
