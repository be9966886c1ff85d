// Start-up as a user meets it: the installation lock, missing files, run modes, window size.
#include <gtest/gtest.h>

#include "play_support.h"

using namespace bb;

namespace {
constexpr auto kStartTimeout = kLaunchTimeout;

// Closes the home window like the close box does and returns the exit code.
std::optional<DWORD> CloseHome(Process& process, HWND home) {
    PostMessageW(home, WM_CLOSE, 0, 0);
    return process.WaitForExit(kStartTimeout);
}
}  // namespace

TEST(StartUp, NormalStartShowsTheTitledHomeWindowAndEndsWithZero) {
    Installation installation;
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr) << "no home window appeared";
    EXPECT_EQ(WindowText(home), L"Talvaro Ovra-Remix Recomp - 0.60");
    EXPECT_TRUE(IsWindowVisible(home));
    EXPECT_TRUE(fs::is_directory(installation.local())) << "the .local folder was not created";
    EXPECT_EQ(CloseHome(launcher, home), std::optional<DWORD>(0));
}

TEST(StartUp, SecondStartIsRefusedWhileTheFirstRuns) {
    Installation installation;
    Process first = StartLauncher(installation);
    HWND home = WaitForHome(first);
    ASSERT_NE(home, nullptr);

    Process second = StartLauncher(installation);
    const auto box = WaitForMessageBox(second, kStartTimeout);
    ASSERT_TRUE(box.has_value()) << "the second start showed no message";
    EXPECT_EQ(box->text, L"The launcher or updater is already open for this installation.");
    EXPECT_EQ(box->caption, L"Talvaro Ovra-Remix Recomp");
    for (const Window& w : second.TopLevelWindows()) {
        EXPECT_NE(w.className, kHomeClass) << "the refused start opened a home window";
    }
    PressMessageBoxButton(*box);
    EXPECT_EQ(second.WaitForExit(kStartTimeout), std::optional<DWORD>(0));

    EXPECT_TRUE(first.Running()) << "the first launcher ended when the second was refused";
    EXPECT_EQ(CloseHome(first, home), std::optional<DWORD>(0));

    // Once the first has ended, the lock is free again.
    Process third = StartLauncher(installation);
    HWND thirdHome = WaitForHome(third);
    ASSERT_NE(thirdHome, nullptr) << "the lock was not released at exit";
    EXPECT_EQ(CloseHome(third, thirdHome), std::optional<DWORD>(0));
}

TEST(StartUp, TwoCopiesInDifferentFoldersRunSideBySide) {
    Installation one;
    Installation two;
    Process a = StartLauncher(one);
    HWND homeA = WaitForHome(a);
    Process b = StartLauncher(two);
    HWND homeB = WaitForHome(b);
    ASSERT_NE(homeA, nullptr);
    ASSERT_NE(homeB, nullptr) << "the second copy was refused";
    EXPECT_EQ(CloseHome(a, homeA), std::optional<DWORD>(0));
    EXPECT_EQ(CloseHome(b, homeB), std::optional<DWORD>(0));
}

TEST(StartUp, AutomationRunStartsBesideARunningLauncher) {
    Installation installation;
    Process user = StartLauncher(installation);
    HWND home = WaitForHome(user);
    ASSERT_NE(home, nullptr);
    // A launch run of a game that is not installed ends by itself with code 5; a run refused
    // by the lock would have shown the "already open" box and ended with 0.
    Process automation = StartLauncher(installation, L"--qa-launch 2");
    EXPECT_EQ(automation.WaitForExit(kStartTimeout), std::optional<DWORD>(5))
        << "the automation run was refused by the lock or did not reach its launch";
    EXPECT_TRUE(user.Running());
    EXPECT_EQ(CloseHome(user, home), std::optional<DWORD>(0));
}

TEST(StartUp, MissingCardArtworkSaysMissingFilesAndExitsOne) {
    Installation installation;
    fs::remove(installation.root() / L"assets" / L"launcher" / L"tlvr1.png");
    Process launcher = StartLauncher(installation);
    const auto box = WaitForMessageBox(launcher, kStartTimeout);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Missing files");
    EXPECT_EQ(box->text,
              L"Launcher artwork is missing. Extract the complete release package before opening the app.");
    PressMessageBoxButton(*box);
    EXPECT_EQ(launcher.WaitForExit(kStartTimeout), std::optional<DWORD>(1));
}

TEST(StartUp, RootIsFoundUpToFourLevelsAboveTheLauncher) {
    Installation::Options deep;
    deep.subfolder = L"a\\b\\c\\d";
    Installation installation(deep);
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr) << "the root four levels up was not found";
    EXPECT_TRUE(fs::is_directory(installation.local()));
    EXPECT_EQ(CloseHome(launcher, home), std::optional<DWORD>(0));

    // The Launcher alone five levels below the only "assets".
    Installation::Options deeper;
    deeper.subfolder = L"a\\b\\c\\d\\e";
    Installation tooDeep(deeper);
    Process lost = StartLauncher(tooDeep);
    const auto box = WaitForMessageBox(lost, kStartTimeout);
    ASSERT_TRUE(box.has_value()) << "five levels down should miss the artwork";
    EXPECT_EQ(box->caption, L"Missing files");
    PressMessageBoxButton(*box);
    EXPECT_EQ(lost.WaitForExit(kStartTimeout), std::optional<DWORD>(1));
    // Outside an installation nothing is created: no ".local" in the fourth ancestor (the root it
    // settled on) nor anywhere else.
    for (const auto& entry : fs::recursive_directory_iterator(tooDeep.root())) {
        EXPECT_NE(entry.path().filename().wstring(), L".local") << "created " << Utf8(entry.path().wstring());
    }
}

TEST(StartUp, LaunchRunOfAGameOtherThanOneOrTwoExitsTwoAtOnce) {
    Installation installation;
    for (const wchar_t* number : {L"3", L"0", L"-1", L"x"}) {
        Process launcher = StartLauncher(installation, std::wstring(L"--qa-launch ") + number);
        EXPECT_EQ(launcher.WaitForExit(kStartTimeout), std::optional<DWORD>(2)) << "game " << number;
        EXPECT_TRUE(launcher.TopLevelWindows().empty());
    }
    // Nothing was set up: not even the data folder.
    EXPECT_FALSE(fs::exists(installation.local()));
}

TEST(StartUp, DataFolderThatCannotBeCreatedIsReported) {
    Installation installation;
    WriteFileBytes(installation.root() / L".local", "a file where the data folder belongs");
    Process launcher = StartLauncher(installation);
    const auto box = WaitForMessageBox(launcher, kStartTimeout);
    ASSERT_TRUE(box.has_value()) << "the launcher ended without a word";
    EXPECT_NE(box->text.find(L".local"), std::wstring::npos) << std::string(box->text.begin(), box->text.end());
    PressMessageBoxButton(*box);
    EXPECT_EQ(launcher.WaitForExit(kStartTimeout), std::optional<DWORD>(3));
}

TEST(StartUp, AutomationRunsNeverWriteTheLauncherSettings) {
    Installation installation;
    const fs::path ini = installation.local() / L"launcher.ini";
    const std::string original = "[launcher]\r\ngame=1\r\nzoom=5\r\n";
    WriteFileBytes(ini, original);
    // A launch run of an uninstalled game and a capture run.
    for (const std::wstring& arguments :
         {std::wstring(L"--qa-launch 1"), L"--qa-capture " + Quote(installation.root() / L"never.png") +
                                              L" --qa-page nothing --qa-size 1000 700"}) {
        Process launcher = StartLauncher(installation, arguments);
        // The launch run ends by itself (its game is not installed); the capture run is closed.
        if (arguments.find(L"--qa-capture") != std::wstring::npos) {
            HWND home = WaitForHome(launcher);
            ASSERT_NE(home, nullptr);
            PostMessageW(home, WM_CLOSE, 0, 0);
        }
        ASSERT_TRUE(launcher.WaitForExit(kStartTimeout).has_value());
        EXPECT_EQ(ReadFileBytes(ini), original) << "settings file changed by an automation run";
    }
}

TEST(StartUp, NormalCloseWritesTheSettingsWithClampedValues) {
    Installation installation;
    const fs::path ini = installation.local() / L"launcher.ini";
    WriteFileBytes(ini, "[launcher]\r\ngame=7\r\naspect=9\r\nsize=-2\r\nfilter=12\r\nzoom=5\r\n");
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ASSERT_EQ(CloseHome(launcher, home), std::optional<DWORD>(0));
    auto read = [&](const wchar_t* key) {
        return static_cast<int>(GetPrivateProfileIntW(L"launcher", key, -100, ini.c_str()));
    };
    EXPECT_EQ(read(L"game"), 1);
    EXPECT_EQ(read(L"aspect"), 3);
    EXPECT_EQ(read(L"size"), 0);
    EXPECT_EQ(read(L"filter"), 7);
    EXPECT_EQ(read(L"zoom"), 1);
    EXPECT_EQ(read(L"fullscreen"), 0);
}

namespace {
struct SizeCase {
    const wchar_t* arguments;
    const wchar_t* variable;  // TLVR_QA_LAUNCHER_SIZE, or null
    int width;                // 0: the default size on this work area
    int height;
};
}  // namespace

TEST(StartUp, HomeWindowTakesTheSizeTheRulesGive) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const float scale = static_cast<float>(GetDpiForSystem()) / 96.0f;
    const int defaultWidth = std::min<int>(work.right - work.left, static_cast<int>(1300 * scale));
    const int defaultHeight = std::min<int>(work.bottom - work.top, static_cast<int>(850 * scale));
    const SizeCase cases[] = {
        {L"", nullptr, 0, 0},
        {L"--qa-size 1000 700", nullptr, 1000, 700},
        {L"--qa-size 800 600", nullptr, 0, 0},           // below 920 wide: ignored
        {L"--qa-size 1920 1080", nullptr, 1920, 1080},   // not limited to the work area
        {L"--qa-size 1920 1080", L"1000x700", 1000, 700},  // the variable wins
        {L"--qa-size 1100 720", L"1000x500", 1100, 720},   // too low: ignored
        {L"", L"1000", 0, 0},                               // a single number: ignored
    };
    for (const SizeCase& c : cases) {
        Installation installation;
        std::map<std::wstring, std::wstring> env;
        if (c.variable) env[L"TLVR_QA_LAUNCHER_SIZE"] = c.variable;
        Process launcher = StartLauncher(installation, c.arguments, env);
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);
        const RECT rect = WindowRect(home);
        const int width = c.width ? c.width : defaultWidth;
        const int height = c.height ? c.height : defaultHeight;
        const std::string label = std::string(c.arguments, c.arguments + wcslen(c.arguments)) + " / " +
                                  (c.variable ? std::string(c.variable, c.variable + wcslen(c.variable)) : "-");
        EXPECT_EQ(rect.right - rect.left, width) << label;
        EXPECT_EQ(rect.bottom - rect.top, height) << label;
        EXPECT_EQ(rect.left, work.left + (work.right - work.left - width) / 2) << label;
        EXPECT_EQ(rect.top, work.top + (work.bottom - work.top - height) / 2) << label;
        CloseHome(launcher, home);
    }
}

