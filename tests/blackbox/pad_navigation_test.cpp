// A player with a game controller alone, through the scripted pad ("--qa-pad"): choosing a game,
// moving the focus, secondary windows opened, changed, saved or left with b, a held start,
// presses while a game runs, a message box answered with `a`; and "--play" straight into a game.
#include <gtest/gtest.h>

#include <algorithm>

#include "play_support.h"

using namespace bb;

namespace {
constexpr int kCard2 = 101;
constexpr int kPlay = 200;
constexpr int kVideo = 201;
constexpr int kControls = 204;
constexpr auto kPadTimeout = 20s;

fs::path WriteScript(const Installation& installation, const std::string& lines) {
    const fs::path file = installation.root() / L"pad.txt";
    WriteFileBytes(file, lines);
    return file;
}

int Starts(const fs::path& journal) {
    const std::string text = ReadFileBytes(journal);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

bool HasWindowOfClass(const Process& process, const wchar_t* className) {
    for (const Window& window : process.TopLevelWindows()) {
        if (window.className == className && IsWindowVisible(window.hwnd)) return true;
    }
    return false;
}
}  // namespace

TEST(PadNavigation, ChoosesMovesTheFocusAndOpensChangesAndLeavesSecondaryWindows) {
    Installation installation;
    installation.InstallStandInGame(1);  // game 2 stays uninstalled: PLAY reads "INSTALL GAMES" there
    const fs::path script = WriteScript(installation,
                                        "wait 1500\n"
                                        "tap dpright\nwait 500\n"          // game 2
                                        "tap dpdown\nwait 300\n"           // card 2 -> PLAY
                                        "axis lefty 30000\nwait 150\naxis lefty 0\nwait 500\n"  // -> Video & CRT
                                        "tap 2:a\nwait 3000\n"             // the second pad opens it
                                        "tap dpdown\nwait 300\n"           // Save -> aspect ratio
                                        "tap dpright\nwait 300\n"          // 16:9 -> 21:9
                                        "tap dpup\nwait 300\n"             // -> Save
                                        "tap a\nwait 4000\n"               // saved and closed
                                        "tap a\nwait 3000\n"               // opened again
                                        "tap dpdown\nwait 300\n"           // Save -> aspect ratio
                                        "tap dpright\nwait 300\n"          // 21:9 -> 32:9
                                        "tap b\nwait 3000\n"               // closed, the change discarded
                                        "tap dpdown\nwait 300\n"           // Video & CRT -> Controls
                                        "tap a\nwait 3000\n"
                                        "tap b\n");                        // Esc closes the editor
    Process launcher = StartLauncher(installation, L"--qa-pad " + Quote(script));
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);

    EXPECT_TRUE(WaitUntil([&] { return ReadLauncherKey(installation, L"game") == 1; }, kPadTimeout))
        << "d-pad right did not choose game 2";
    EXPECT_EQ(WindowText(ChildWithId(home, kPlay)), L"INSTALL GAMES");
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(home) == ChildWithId(home, kPlay); }, 5s))
        << "d-pad down did not move the focus from the card to PLAY";
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(home) == ChildWithId(home, kVideo); }, 5s))
        << "the stick pushed down did not move the focus on to Video & CRT";
    EXPECT_TRUE(WaitUntil([&] { return HasWindowOfClass(launcher, L"TLVRSettings"); }, 10s))
        << "a on Video & CRT did not open the video window";
    EXPECT_TRUE(WaitUntil([&] { return ReadLauncherKey(installation, L"aspect") == 2; }, kPadTimeout))
        << "the aspect ratio chosen with d-pad right was not saved with a on Save";
    EXPECT_TRUE(WaitUntil([&] { return !HasWindowOfClass(launcher, L"TLVRSettings"); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return HasWindowOfClass(launcher, L"TLVRSettings"); }, kPadTimeout))
        << "a on Video & CRT did not open the video window again";
    EXPECT_TRUE(WaitUntil([&] { return !HasWindowOfClass(launcher, L"TLVRSettings"); }, kPadTimeout))
        << "b did not close the video window";
    EXPECT_EQ(ReadLauncherKey(installation, L"aspect"), 2) << "b saved the video window's edits";
    EXPECT_TRUE(WaitUntil([&] { return HasWindowOfClass(launcher, L"TlvrControlEditor"); }, kPadTimeout))
        << "a on Controls did not open the controls editor";
    EXPECT_TRUE(WaitUntil([&] { return !HasWindowOfClass(launcher, L"TlvrControlEditor"); }, kPadTimeout))
        << "b did not close the controls editor";
    // The owner gets the focus back once it is enabled and activated again, which can trail the
    // editor's last window by a moment on a loaded machine.
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(home) == ChildWithId(home, kControls); }, 5s))
        << "the focus did not come back to Controls when the editor closed";
    Sleep(500);
    EXPECT_TRUE(launcher.Running()) << "b closed the Launcher";
    EXPECT_EQ(Starts(installation.root() / L"journal.txt"), 0);

    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    EXPECT_EQ(ReadLauncherKey(installation, L"aspect"), 2) << "the edits b discarded came back at exit";
}

TEST(PadNavigation, HeldStartPlaysOnlyWhenLetGoAndNothingReachesTheLauncherDuringTheGame) {
    Installation installation;
    installation.InstallStandInGame(1);
    const fs::path journal = installation.root() / L"journal.txt";
    const fs::path script = WriteScript(installation,
                                        "wait 1500\n"
                                        "press start\nwait 4000\nrelease start\n"
                                        "wait 1200\n"
                                        "tap dpright\nwait 300\ntap 1:start 2:start\n"  // the game runs
                                        "wait 6000\n"
                                        "tap a\n");  // answers "Game session ended"
    Process launcher = StartLauncher(installation, L"--qa-pad " + Quote(script),
                                     {{L"TLVR_STANDIN_JOURNAL", journal.wstring()},
                                      {L"TLVR_STANDIN_RECORD", (installation.root() / L"record.txt").wstring()},
                                      {L"TLVR_STANDIN_WAIT_MS", L"3000"},
                                      {L"TLVR_STANDIN_EXIT", L"1"}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);

    Sleep(3500);  // start is pressed by now and held for a while yet
    EXPECT_EQ(Starts(journal), 0) << "the game started while start was held";
    ASSERT_TRUE(WaitUntil([&] { return Starts(journal) == 1; }, kPadTimeout)) << "letting go of start did not play";

    const auto box = WaitForMessageBox(launcher, kPadTimeout);
    ASSERT_TRUE(box.has_value()) << "the failed session was not reported";
    EXPECT_EQ(box->caption, L"Game session ended");
    EXPECT_TRUE(WaitUntil([&] { return VisibleMessageBoxCount(launcher) == 0; }, kPadTimeout))
        << "a did not answer the message box";
    Sleep(1000);
    EXPECT_EQ(Starts(journal), 1) << "a press during the game, or the a let go after the box, started a game";
    EXPECT_EQ(ReadLauncherKey(installation, L"game"), 0) << "d-pad right during the game changed the choice";

    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(PlayOption, GoesStraightIntoTheGameOrToTheInstallerAndRefusesWrongNumbers) {
    {
        Installation installation;
        installation.InstallStandInGame(1);
        const fs::path record = installation.root() / L"record.txt";
        Process launcher = StartLauncher(installation, L"--play 1",
                                         {{L"TLVR_STANDIN_RECORD", record.wstring()}, {L"TLVR_STANDIN_EXIT", L"3"}});
        const auto box = WaitForMessageBox(launcher, kLaunchTimeout);
        ASSERT_TRUE(box.has_value()) << "the failed session was not reported";
        EXPECT_EQ(box->caption, L"Game session ended");
        EXPECT_FALSE(HasWindowOfClass(launcher, kHomeClass)) << "--play showed the home window";
        const HWND owner = GetWindow(box->hwnd, GW_OWNER);
        EXPECT_TRUE(owner == nullptr || IsWindowVisible(owner))
            << "the dialog belongs to a hidden window: no taskbar button, it can open unseen";
        EXPECT_EQ(ReadRecord(record)["env.TLVR_ASPECT"], "16:9") << "the game was not started as PLAY starts it";
        PressMessageBoxButton(*box);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(3));
    }
    {
        Installation installation;
        Process launcher = StartLauncher(installation, L"--play 2");
        EXPECT_TRUE(launcher.FindWindowOfClass(L"TLVRInstaller", kLaunchTimeout).has_value())
            << "a game that is not installed did not open the installer";
        EXPECT_TRUE(HasWindowOfClass(launcher, kHomeClass)) << "the installer opened without the home window";
        launcher.Kill();
    }
    struct Refusal {
        std::wstring arguments;
        std::string script;
        std::wstring said;
        DWORD exitCode;
    };
    const Refusal refusals[] = {
        {L"--play 3", "", L"--play 2", 2},
        {L"--qa-pad PAD", "wait 10\npress q\n", L"Line 2 of", 7},
        {L"--qa-pad MISSING", "", L"cannot be read", 7},
    };
    for (const Refusal& refusal : refusals) {
        Installation installation;
        const fs::path script = WriteScript(installation, refusal.script);
        std::wstring arguments = refusal.arguments;
        if (arguments.find(L"PAD") != std::wstring::npos) arguments = L"--qa-pad " + Quote(script);
        if (arguments.find(L"MISSING") != std::wstring::npos) {
            arguments = L"--qa-pad " + Quote(installation.root() / L"none.txt");
        }
        Process launcher = StartLauncher(installation, arguments);
        const auto box = WaitForMessageBox(launcher, kLaunchTimeout);
        ASSERT_TRUE(box.has_value()) << Utf8(arguments) << " showed no message";
        EXPECT_NE(box->text.find(refusal.said), std::wstring::npos) << Utf8(box->text);
        PressMessageBoxButton(*box);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(refusal.exitCode)) << Utf8(arguments);
    }
}
