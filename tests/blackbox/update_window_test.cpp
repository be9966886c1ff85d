// The updates window as a user meets it, with the stand-in playing the update helper.
#include <gtest/gtest.h>

#include "update_support.h"

using namespace bb;

namespace {
constexpr int kCheck = 101;
constexpr int kDownload = 102;
constexpr int kOpenLogs = 103;
constexpr int kClose = IDCANCEL;
constexpr int kPlay = 200;

std::wstring ExpectedCheckLine(const UpdateInstallation& installation) {
    const fs::path& root = installation.root();
    return L"\"" + (root / L".tools" / L"python" / L"python.exe").wstring() + L"\" -X utf8 \"" +
           (root / L"tools" / L"update_release.py").wstring() + L"\" check --root \"" + root.wstring() +
           L"\" --current 0.60 --result \"" + (installation.updates() / L"result.ini").wstring() + L"\"";
}

void CloseLauncher(Process& launcher, HWND home) {
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
}  // namespace

TEST(UpdatesWindow, ChecksAtOnceAndOffersDownloadOnlyAfterACheckReportsAnAsset) {
    UpdateInstallation installation;
    installation.WriteScenario(
        "[check#1]\nline=looking for releases\nline=[PROGRESS] Asking the release page\n"
        "wait_file={root}\\.gate-check\nresult.state=available\nresult.asset=tlvr-0.61.zip\nresult.version=0.61\n"
        "[check#2]\nresult.state=current\n");
    Process launcher = installation.Start();
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr) << "Updates opened no window";
    EXPECT_EQ(WindowText(window), L"Updates");

    EXPECT_TRUE(WaitForStatus(window, L"Asking the release page")) << "the progress line did not reach the status";
    EXPECT_FALSE(ButtonEnabled(window, kCheck)) << "Check is enabled while a check runs";
    EXPECT_FALSE(ButtonEnabled(window, kDownload));
    EXPECT_TRUE(ButtonEnabled(window, kOpenLogs));
    EXPECT_TRUE(ButtonEnabled(window, kClose));
    EXPECT_FALSE(IsWindowEnabled(home)) << "the home window stays usable behind the updates window";

    WriteFileBytes(installation.root() / L".gate-check", "");
    EXPECT_TRUE(WaitForStatus(window, L"Version 0.61 is available. Download and install it when you are ready."));
    EXPECT_TRUE(WaitUntil([&] { return ButtonEnabled(window, kDownload); }, 5s)) << "Download stays disabled";
    EXPECT_EQ(LogText(window), L"looking for releases\r\n[PROGRESS] Asking the release page\r\n");
    const std::vector<std::wstring> calls = installation.Calls();
    ASSERT_EQ(calls.size(), 1u) << "opening the window ran no check, or more than one";
    EXPECT_EQ(calls[0], ExpectedCheckLine(installation));

    // Not an installed copy: the download is refused before the helper runs.
    ClickButton(ChildWithId(window, kDownload));
    EXPECT_TRUE(WaitForStatus(window, L"Automatic updates work for an installed copy. Use Install games first."));
    EXPECT_EQ(installation.CallCount(L"prepare"), 0);

    // A later check that finds nothing takes the asset back.
    ClickButton(ChildWithId(window, kCheck));
    EXPECT_TRUE(WaitForStatus(window, L"You are up to date. Installed launcher: 0.60."));
    EXPECT_TRUE(WaitUntil([&] { return ButtonEnabled(window, kCheck); }, 5s));
    EXPECT_FALSE(ButtonEnabled(window, kDownload)) << "Download stays enabled after a check found no update";

    // Escape acts as Close.
    PressKey(window, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s)) << "Escape did not close the window";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(home) != FALSE; }, 5s));
    CloseLauncher(launcher, home);
}

TEST(UpdatesWindow, ClosingDuringACheckLetsTheResultReachTheHomeWindow) {
    UpdateInstallation installation;
    installation.WriteScenario(
        "[check]\nwait_file={root}\\.gate-check\nresult.state=available\nresult.asset=a.zip\nresult.version=0.61\n");
    Process launcher = installation.Start();
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return installation.CallCount(L"check") == 1; }, kJobTimeout));
    ClickButton(ChildWithId(window, kClose));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s)) << "Close during a check kept the window";

    WriteFileBytes(installation.root() / L".gate-check", "");
    EXPECT_TRUE(WaitUntil([&] { return UpdatesButtonText(home) == L"Update available"; }, kJobTimeout))
        << "the home window's Updates button reads \"" << Utf8(UpdatesButtonText(home)) << "\"";
    CloseLauncher(launcher, home);
}

TEST(UpdatesWindow, DownloadWhileAGameRunsIsRefused) {
    UpdateInstallation installation;
    installation.WriteScenario("[check]\nresult.state=available\nresult.asset=a.zip\nresult.version=0.61\n");
    fs::create_directories(installation.root() / L"games" / L"tlvr1");
    fs::copy_file(BinFolder() / L"tlvr_standin_game.exe", installation.root() / L"games" / L"tlvr1" / L"tlvr1.exe");
    WriteFileBytes(installation.root() / L"roms" / L"tlvr1.bin", "stand-in ROM input\n");
    WriteFileBytes(installation.root() / L".local" / L"installation.json", "{}\n");
    const fs::path release = installation.root() / L"release.txt";
    // The installed copy's start-up check runs first; the window's own check comes after it.
    Process launcher = installation.Start(L"", {{L"TLVR_STANDIN_WAIT_FILE", release.wstring()},
                                                {L"TLVR_STANDIN_RECORD", (installation.root() / L"r.txt").wstring()}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return UpdatesButtonText(home) == L"Update available"; }, kJobTimeout));

    ClickButton(ChildWithId(home, kPlay));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(installation.root() / L"r.txt"); }, kLaunchTimeout))
        << "the game did not start";
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ButtonEnabled(window, kDownload); }, kJobTimeout));
    ClickButton(ChildWithId(window, kDownload));
    EXPECT_TRUE(WaitForStatus(window, L"Close the game or finish the installation before updating."));
    EXPECT_EQ(installation.CallCount(L"prepare"), 0) << "prepare ran while a game was running";

    WriteFileBytes(release, "0");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(home); }, kLaunchTimeout)) << "the game did not end";
    CloseLauncher(launcher, home);
}

TEST(UpdatesWindow, FailuresAreShownInTheStatusLine) {
    {
        UpdateInstallation installation({/*interpreter=*/false});
        Process launcher = installation.Start();
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);
        HWND window = OpenUpdates(launcher, home);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(WaitForStatus(window, L"Install the games first to enable automatic updates.", 5s));
        EXPECT_FALSE(ButtonEnabled(window, kCheck)) << "Check is offered without the helper";
        PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s));
        CloseLauncher(launcher, home);
    }
    UpdateInstallation installation;
    // The unterminated tail reaches the log file only.
    installation.WriteScenario(
        "[check]\nline=first\nresult.state=available\nresult.error=no route to the release page\n"
        "tail=unfinished\nexit=7\n");
    WriteFileBytes(installation.updates() / L"result.ini", "[update]\nstate=available\nasset=stale.zip\n");
    Process launcher = installation.Start();
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitForStatus(window, L"Could not reach GitHub. You can play offline and try again later."));
    EXPECT_TRUE(WaitUntil([&] { return LogText(window) == L"first\r\nno route to the release page\r\n"; }, 5s))
        << "log box: " << Utf8(LogText(window));
    EXPECT_FALSE(ButtonEnabled(window, kDownload)) << "a failed check offered a download";
    EXPECT_EQ(ReadFileBytes(installation.updates() / L"update.log"), "first\nunfinished");
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s));
    CloseLauncher(launcher, home);
}

TEST(UpdatesWindow, CancellingADownloadKeepsTheWindowAndTheGames) {
    UpdateInstallation installation({true, /*installedCopy=*/true});
    installation.WriteScenario(
        "[check]\nresult.state=available\nresult.asset=a.zip\nresult.version=0.61\n"
        "[prepare]\nline=[PROGRESS] 10% of a.zip\nwait_file={root}\\.never\nresult.state=prepared\n");
    Process launcher = installation.Start();
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return UpdatesButtonText(home) == L"Update available"; }, kJobTimeout));
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ButtonEnabled(window, kDownload); }, kJobTimeout));
    ClickButton(ChildWithId(window, kDownload));
    EXPECT_TRUE(WaitForStatus(window, L"10% of a.zip"));
    const std::vector<std::wstring> words = SplitWords(installation.Calls().back());
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[4], L"prepare");
    EXPECT_EQ(words[11], L"--asset");
    EXPECT_EQ(words[12], L"a.zip");

    ClickButton(ChildWithId(window, kClose));
    EXPECT_TRUE(WaitForStatus(window, L"The update did not finish. Your installed games were not changed."));
    EXPECT_TRUE(IsWindow(window)) << "cancelling closed the window";
    EXPECT_TRUE(ButtonEnabled(window, kDownload));
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s));
    CloseLauncher(launcher, home);
}

TEST(UpdatesWindow, CapturePageShowsTheWindowWithoutRunningACheck) {
    UpdateInstallation installation;
    installation.WriteScenario("[check]\nresult.state=available\n");
    const fs::path picture = installation.root() / L"updates.png";
    Process capture = installation.Start(L"--qa-capture " + Quote(picture) + L" --qa-page updates");
    EXPECT_EQ(capture.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    const PngImage image(picture);
    ASSERT_TRUE(image.loaded()) << "no picture was written";
    EXPECT_EQ(image.width(), 706);
    EXPECT_EQ(HexColour(image.Pixel(5, image.height() - 5)), HexColour(0xFF1A1D1F)) << "not the window's background";
    EXPECT_EQ(installation.CallCount(L"check"), 0) << "a capture run checked for updates";
}

TEST(UpdatesWindow, OpeningWhileTheStartupCheckRunsStartsNoSecondCheck) {
    UpdateInstallation installation({true, /*installedCopy=*/true});
    installation.WriteScenario(
        "[check]\nwait_file={root}\\.gate-check\nresult.state=available\nresult.asset=a.zip\nresult.version=0.61\n");
    Process launcher = installation.Start();
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return installation.CallCount(L"check") == 1; }, kJobTimeout))
        << "the installed copy did not check at start-up";
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(StatusText(window), L"Check for updates to see the latest version.");
    EXPECT_FALSE(ButtonEnabled(window, kCheck));
    EXPECT_FALSE(ButtonEnabled(window, kDownload));
    EXPECT_TRUE(ButtonEnabled(window, kOpenLogs));
    EXPECT_TRUE(ButtonEnabled(window, kClose));

    WriteFileBytes(installation.root() / L".gate-check", "");
    EXPECT_TRUE(WaitForStatus(window, L"Version 0.61 is available. Download and install it when you are ready."))
        << "the start-up check's result did not reach the open window";
    EXPECT_TRUE(WaitUntil([&] { return ButtonEnabled(window, kDownload); }, 5s));
    EXPECT_EQ(installation.CallCount(L"check"), 1) << "opening the window started a second check";
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s));
    CloseLauncher(launcher, home);
}

TEST(UpdatesWindow, ALongLogIsKeptWholeALongLineFoldedAndAnUnfinishedLastLineStaysInTheFile) {
    // Well past the 32,767 characters a plain edit box takes, with one line of 9,000 characters
    // that the box shows folded after 4,096 and 8,192.
    UpdateInstallation installation;
    std::string scenario = "[check]\n";
    std::wstring expected;
    for (int n = 1; n <= 400; ++n) {
        std::string line = "release note " + std::to_string(n) + " " + std::string(90, '.');
        if (n == 200) line += std::string(9000 - line.size(), '-') + "end";
        scenario += "line=" + line + "\n";
        const std::wstring wide(line.begin(), line.end());
        for (size_t at = 0; at < wide.size(); at += 4096) expected += wide.substr(at, 4096) + L"\r\n";
    }
    scenario += "tail=unfinished\nresult.state=current\n";
    installation.WriteScenario(scenario);
    Process launcher = installation.Start();
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitForStatus(window, L"You are up to date. Installed launcher: 0.60."));
    const std::wstring log = LogText(window);
    EXPECT_GT(log.size(), 32767u);
    EXPECT_EQ(log.size(), expected.size()) << "the log box lost lines";
    EXPECT_TRUE(log == expected) << "the log box differs from the lines printed";
    const std::string file = ReadFileBytes(installation.updates() / L"update.log");
    EXPECT_NE(file.find("unfinished"), std::string::npos) << "the unfinished line is missing from the file";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 5s));
    CloseLauncher(launcher, home);
}
