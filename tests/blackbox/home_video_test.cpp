// "Video & CRT" opened from the home window: Save writes the five video settings that the next
// game start receives, the close box writes nothing, and a second request raises the open window.
#include <gtest/gtest.h>

#include "play_support.h"

using namespace bb;

namespace {
constexpr wchar_t kVideoClass[] = L"TLVRSettings";
constexpr int kVideoCommand = 201;
constexpr int kAspectList = 1;
constexpr int kResolutionList = 2;
constexpr int kFilterList = 3;
constexpr int kZoomBox = 4;
constexpr int kFullScreenBox = 5;

std::vector<HWND> VideoWindows(const Process& launcher) {
    std::vector<HWND> windows;
    for (const Window& w : launcher.TopLevelWindows()) {
        if (w.className == kVideoClass && IsWindowVisible(w.hwnd)) windows.push_back(w.hwnd);
    }
    return windows;
}

HWND OpenVideo(const Process& launcher, HWND home) {
    ClickButton(ChildWithId(home, kVideoCommand));
    const auto video = launcher.FindWindowOfClass(kVideoClass, 10s);
    return video ? video->hwnd : nullptr;
}

HWND SaveButton(HWND video) {
    for (HWND child = GetWindow(video, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"Button" && WindowText(child) == L"Save") return child;
    }
    return nullptr;
}

// Changes every control of the window away from the defaults.
void ChooseAmbilightAndMore(HWND video) {
    SendMessageW(ChildWithId(video, kAspectList), CB_SETCURSEL, 3, 0);  // 32:9
    SendMessageW(ChildWithId(video, kResolutionList), CB_SETCURSEL, 4, 0);  // 3840 x 2160
    SendMessageW(ChildWithId(video, kFilterList), CB_SETCURSEL, 3, 0);  // koko-aio · Ambilight
    SendMessageW(ChildWithId(video, kZoomBox), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(ChildWithId(video, kFullScreenBox), BM_SETCHECK, BST_CHECKED, 0);
}
}  // namespace

TEST(HomeVideo, SaveWritesTheFiveSettingsAndTheNextStartUsesThem) {
    Installation installation;
    installation.InstallStandInGame(1);
    WriteLauncherIni(installation, "game=0\r\n");
    const fs::path record = installation.root() / L"record.txt";
    Process launcher = StartLauncher(installation, L"",
                                     {{L"TLVR_STANDIN_RECORD", record.wstring()}, {L"TLVR_STANDIN_WAIT_MS", L"600"}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);

    HWND video = OpenVideo(launcher, home);
    ASSERT_NE(video, nullptr) << "Video & CRT opened no window";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(home); }, 5s)) << "the home window stayed enabled";
    ChooseAmbilightAndMore(video);
    HWND save = SaveButton(video);
    ASSERT_NE(save, nullptr);
    ClickButton(save);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(video); }, 10s)) << "Save did not close the window";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(home) != FALSE; }, 5s));

    // Saved off the GUI thread: the file is replaced whole, a moment later.
    EXPECT_TRUE(WaitUntil([&] { return ReadLauncherKey(installation, L"aspect") == 3; }, 5s));
    EXPECT_EQ(ReadLauncherKey(installation, L"game"), 0);
    EXPECT_EQ(ReadLauncherKey(installation, L"size"), 4);
    EXPECT_EQ(ReadLauncherKey(installation, L"filter"), 3);
    EXPECT_EQ(ReadLauncherKey(installation, L"zoom"), 0);
    EXPECT_EQ(ReadLauncherKey(installation, L"fullscreen"), 1);

    ClickButton(ChildWithId(home, 200));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(record); }, kLaunchTimeout)) << "PLAY started no game";
    std::map<std::string, std::string> seen = ReadRecord(record);
    EXPECT_EQ(seen["env.TLVR_ASPECT"], "32:9");
    EXPECT_EQ(seen["env.TLVR_ORIGINAL"], "1");
    EXPECT_EQ(seen["env.QUENDAL_SCREEN"], "raw");
    EXPECT_EQ(seen["env.RR_OUTPUT_WIDTH"], "3840");
    const std::string shader = seen["env.RR_SHADER_PATH"];
    const std::string preset = "Monitor-Ambilight-immersive.slangp";
    EXPECT_TRUE(shader.size() > preset.size() && shader.compare(shader.size() - preset.size(), preset.size(), preset) == 0)
        << shader;
    EXPECT_EQ(seen["ini.video.fullscreen"], "1");

    // The stand-in ends with 0 soon after: the launcher comes back and closes.
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(home) != FALSE; }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(home); }, 10s));
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(HomeVideo, CloseBoxWritesNothing) {
    Installation installation;
    const std::string original = "[launcher]\r\ngame=0\r\naspect=1\r\nsize=1\r\nfilter=0\r\nzoom=1\r\nfullscreen=0\r\n";
    WriteFileBytes(installation.local() / L"launcher.ini", original);
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND video = OpenVideo(launcher, home);
    ASSERT_NE(video, nullptr);
    ChooseAmbilightAndMore(video);
    PostMessageW(video, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(video); }, 10s)) << "the close box did not close the window";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(home) != FALSE; }, 5s));
    EXPECT_EQ(ReadFileBytes(installation.local() / L"launcher.ini"), original);

    // Opened again, it shows the unchanged settings.
    video = OpenVideo(launcher, home);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(SendMessageW(ChildWithId(video, kFilterList), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(ChildWithId(video, kZoomBox), BM_GETCHECK, 0, 0), BST_CHECKED);
    PostMessageW(video, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(video); }, 10s));
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(HomeVideo, SecondRequestRaisesTheOpenWindow) {
    Installation installation;
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND video = OpenVideo(launcher, home);
    ASSERT_NE(video, nullptr);
    // The home window is disabled under the video window, so the command arrives as the button
    // would send it.
    PostMessageW(home, WM_COMMAND, MAKEWPARAM(kVideoCommand, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ChildWithId(home, kVideoCommand)));
    PostMessageW(home, WM_COMMAND, MAKEWPARAM(kVideoCommand, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ChildWithId(home, kVideoCommand)));
    Sleep(1000);
    const std::vector<HWND> windows = VideoWindows(launcher);
    ASSERT_EQ(windows.size(), 1u) << "a second video window opened";
    EXPECT_EQ(windows[0], video);
    EXPECT_EQ(GetForegroundWindow(), video);
    PostMessageW(video, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(video); }, 10s));
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
