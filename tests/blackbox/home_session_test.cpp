// The home window as a person uses it: choosing a game with the arrow keys, PLAY, a running
// game session and how it ends, closing under a running game, and the About box.
#include <gtest/gtest.h>

#include <algorithm>

#include "play_support.h"

using namespace bb;

namespace {
constexpr int kCard1 = 100;
constexpr int kCard2 = 101;
constexpr int kPlay = 200;
constexpr int kAbout = 206;

// A normal run with the stand-in as game 1, which waits for `release` before it ends.
struct Session {
    Installation installation;
    fs::path record;
    fs::path journal;
    fs::path release;
    Process launcher;
    HWND home = nullptr;

    Session() {
        installation.InstallStandInGame(1);
        record = installation.root() / L"record.txt";
        journal = installation.root() / L"journal.txt";
        release = installation.root() / L"release.txt";
        launcher = StartLauncher(installation, L"",
                                 {{L"TLVR_STANDIN_RECORD", record.wstring()},
                                  {L"TLVR_STANDIN_JOURNAL", journal.wstring()},
                                  {L"TLVR_STANDIN_WAIT_FILE", release.wstring()}});
        home = WaitForHome(launcher);
    }
    ~Session() {
        // Never leave a waiting game behind; give it time to go before its folder is removed.
        WriteFileBytes(release, "0");
        if (Starts() > 0) Sleep(400);
    }
    int Starts() const {
        const std::string text = ReadFileBytes(journal);
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    void EndGame(DWORD code) { WriteFileBytes(release, std::to_string(code)); }
};

}  // namespace

TEST(HomeSelection, ArrowKeysSwitchGamesRewriteTheSettingsAndRetitlePlay) {
    Installation installation;
    installation.InstallStandInGame(1);  // game 2 stays uninstalled
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND card1 = ChildWithId(home, kCard1);
    HWND card2 = ChildWithId(home, kCard2);
    HWND play = ChildWithId(home, kPlay);
    ASSERT_TRUE(card1 && card2 && play) << "the cards and PLAY were not created with their ids";
    EXPECT_EQ(WindowText(card1), L"TALVARO GP");
    EXPECT_EQ(WindowText(card2), L"ORLEN KASTRI\u2019S TALVARO GP II");
    EXPECT_EQ(WindowText(play), L"PLAY");
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(home) == card1; }, 5s))
        << "the selected game's card does not have the focus";

    PressKey(FocusedWindowOf(home), VK_RIGHT);
    EXPECT_TRUE(WaitUntil([&] { return ReadLauncherKey(installation, L"game") == 1; }, 5s))
        << "Right did not select game 2 and save it";
    EXPECT_EQ(WindowText(play), L"INSTALL GAMES");
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(home) == card2; }, 5s));

    PressKey(FocusedWindowOf(home), VK_LEFT);
    EXPECT_TRUE(WaitUntil([&] { return ReadLauncherKey(installation, L"game") == 0; }, 5s))
        << "Left did not select game 1 again";
    EXPECT_EQ(WindowText(play), L"PLAY");

    // A click on a card selects its game too.
    ClickButton(card2);
    EXPECT_TRUE(WaitUntil([&] { return ReadLauncherKey(installation, L"game") == 1; }, 5s));
    EXPECT_EQ(WindowText(play), L"INSTALL GAMES");

    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    EXPECT_EQ(ReadLauncherKey(installation, L"game"), 1);
}

TEST(HomeSelection, ASaveAScannerRefusedReachesTheDiskSoonAfterItLetsGoWhileTheLauncherStaysOpen) {
    Installation installation;
    WriteFileBytes(installation.local() / L"launcher.ini", "[launcher]\r\ngame=0\r\n");
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    Process scanner = HoldFile(installation.local() / L"launcher.ini", 4000);
    ASSERT_TRUE(scanner.started()) << "the scanner stand-in could not hold launcher.ini";
    PressKey(FocusedWindowOf(home), VK_RIGHT);
    Sleep(2500);
    ASSERT_EQ(ReadLauncherKey(installation, L"game"), 0) << "the stand-in held nothing: the save went through";
    ASSERT_TRUE(scanner.WaitForExit(10s).has_value());
    EXPECT_TRUE(WaitUntil([&] { return ReadLauncherKey(installation, L"game") == 1; }, 10s))
        << "the refused save did not reach the disk within 10 s of the scanner letting go";
    EXPECT_TRUE(launcher.Running());
    EXPECT_FALSE(fs::exists(installation.local() / L"launcher.ini.tmp"));
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(HomeSession, PlayStartsTheGameOnceAndLeavesNoVariablesBehind) {
    Session session;
    ASSERT_NE(session.home, nullptr);
    const auto before = EnvironmentOf(session.launcher);
    ASSERT_TRUE(before.has_value()) << "the launcher's environment could not be read";
    ASSERT_EQ(before->count(L"TLVR_STANDIN_RECORD"), 1u) << "the environment reader sees nothing";

    ClickButton(ChildWithId(session.home, kPlay));
    ASSERT_TRUE(WaitUntil([&] { return session.Starts() == 1; }, kLaunchTimeout)) << "PLAY started no game";
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(session.home) != FALSE; }, 5s)) << "the launcher did not minimise";

    std::map<std::string, std::string> record = ReadRecord(session.record);
    EXPECT_EQ(record["commandline"].find("--turbo"), std::string::npos) << "launch-run parts in a normal run";
    EXPECT_EQ(record["env.TLVR_ASPECT"], "16:9") << "the game did not get its variables";
    EXPECT_EQ(record["stdin"], "eof");

    const auto after = EnvironmentOf(session.launcher);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->count(L"TLVR_STANDIN_RECORD"), 1u);
    for (const wchar_t* name : kGameVariableNames) {
        EXPECT_EQ(after->count(name), 0u) << Utf8(name) << " is still set in the launcher";
    }

    // A second PLAY and Enter on the window while the game runs start nothing.
    ClickButton(ChildWithId(session.home, kPlay));
    PressKey(session.home, VK_RETURN);
    Sleep(1500);
    EXPECT_EQ(session.Starts(), 1) << "a second game was started";
    EXPECT_EQ(VisibleMessageBoxCount(session.launcher), 0);
}

TEST(HomeSession, CloseIsRefusedWhileTheGameRunsAndTheEndIsReported) {
    Session session;
    ASSERT_NE(session.home, nullptr);
    ClickButton(ChildWithId(session.home, kPlay));
    ASSERT_TRUE(WaitUntil([&] { return session.Starts() == 1; }, kLaunchTimeout));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(session.home) != FALSE; }, 5s));

    PostMessageW(session.home, WM_CLOSE, 0, 0);
    auto box = WaitForMessageBox(session.launcher, 10s);
    ASSERT_TRUE(box.has_value()) << "closing under a running game said nothing";
    EXPECT_EQ(box->caption, L"Game running");
    EXPECT_EQ(box->text, L"Close the game window before exiting the launcher.");
    PressMessageBoxButton(*box);
    EXPECT_TRUE(WaitUntil([&] { return VisibleMessageBoxCount(session.launcher) == 0; }, 5s));
    EXPECT_TRUE(IsWindow(session.home)) << "the launcher closed under a running game";
    EXPECT_TRUE(session.launcher.Running());

    // The game ends with an error: the launcher comes back and says so.
    session.EndGame(1);
    box = WaitForMessageBox(session.launcher, 10s);
    ASSERT_TRUE(box.has_value()) << "an error exit was not reported";
    EXPECT_EQ(box->caption, L"Game session ended");
    EXPECT_EQ(box->text,
              L"The game exited with an error. Diagnostic logs are available in the .local/logs folder.\n\n"
              L"The game ended with exit code 1.");
    EXPECT_NE(box->details.find(L"stand-in game: line on standard error"), std::wstring::npos)
        << "the game's last lines are not in the details: " << Utf8(box->details);
    EXPECT_FALSE(IsIconic(session.home)) << "the launcher was not restored";
    EXPECT_TRUE(IsWindowVisible(session.home));
    PressMessageBoxButton(*box);
    ASSERT_TRUE(WaitUntil([&] { return VisibleMessageBoxCount(session.launcher) == 0; }, 5s));

    // PLAY works again after the end; this time the game ends cleanly and nothing is said.
    fs::remove(session.release);
    ClickButton(ChildWithId(session.home, kPlay));
    ASSERT_TRUE(WaitUntil([&] { return session.Starts() == 2; }, kLaunchTimeout)) << "PLAY after the end did nothing";
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(session.home) != FALSE; }, 5s));
    session.EndGame(0);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(session.home); }, 10s)) << "the launcher was not restored";
    Sleep(1500);  // a warning would be up by now
    EXPECT_EQ(VisibleMessageBoxCount(session.launcher), 0) << "a clean end was reported";

    // Without a game the same close succeeds.
    PostMessageW(session.home, WM_CLOSE, 0, 0);
    EXPECT_EQ(session.launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(HomeSession, StartThatFailsShowsLaunchFailed) {
    Installation installation;
    installation.InstallStandInGame(1);
    WriteFileBytes(installation.root() / L"games" / L"tlvr1" / L"tlvr1.exe", "not a program\n");
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    PressKey(FocusedWindowOf(home), VK_RETURN);  // Enter on the focused card launches
    const auto box = WaitForMessageBox(launcher, 10s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Launch failed");
    EXPECT_EQ(box->text, L"Could not start the game. Check the installation files and the log in .local/logs.");
    PressMessageBoxButton(*box);
    ASSERT_TRUE(WaitUntil([&] { return VisibleMessageBoxCount(launcher) == 0; }, 5s));
    EXPECT_FALSE(IsIconic(home));
    // No game is held: the launcher closes at once.
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(HomeSession, AboutBoxNamesTheVersionAndTheDonationPage) {
    Installation installation;
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ClickButton(ChildWithId(home, kAbout));
    const auto box = WaitForMessageBox(launcher, 10s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"About");
    EXPECT_EQ(box->text.rfind(L"Talvaro Ovra-Remix Recomp - version 0.60", 0), 0u);
    EXPECT_NE(box->text.find(L"Support the project: https://ko-fi.com/talvaroovra"), std::wstring::npos);
    PressMessageBoxButton(*box);
    ASSERT_TRUE(WaitUntil([&] { return VisibleMessageBoxCount(launcher) == 0; }, 5s));
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(HomeSession, LaunchRequestMessageClampsTheGameIndex) {
    Installation installation;
    installation.InstallStandInGame(1);
    installation.InstallStandInGame(2);
    const fs::path record = installation.root() / L"record.txt";
    // Each game lives long enough for the launcher to be seen minimised under it.
    Process launcher = StartLauncher(installation, L"",
                                     {{L"TLVR_STANDIN_RECORD", record.wstring()}, {L"TLVR_STANDIN_WAIT_MS", L"600"}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    const std::pair<WPARAM, const wchar_t*> requests[] = {
        {7, L"tlvr2"}, {static_cast<WPARAM>(0xFFFFFFFBu), L"tlvr1"}, {1, L"tlvr2"}, {0, L"tlvr1"}};
    for (const auto& [wParam, folder] : requests) {
        fs::remove(record);
        PostMessageW(home, WM_APP + 31, wParam, 0);
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(record); }, kLaunchTimeout)) << "no game for " << wParam;
        std::map<std::string, std::string> seen = ReadRecord(record);
        EXPECT_EQ(fs::path(seen["cwd"]).filename().wstring(), folder) << "request " << wParam;
        // The next request counts only once the launcher has seen this game end.
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(home) != FALSE; }, 5s));
        ASSERT_TRUE(WaitUntil([&] { return !IsIconic(home); }, 10s));
    }
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
