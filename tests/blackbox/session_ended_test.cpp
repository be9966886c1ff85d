// A game that crashes: the "Game session ended" dialog says why in words, shows the game's last
// lines, and the session is recorded.
#include <gtest/gtest.h>

#include <algorithm>

#include "play_support.h"

using namespace bb;

namespace {
constexpr int kPlay = 200;
constexpr char kLastWords[] = "ROM check failed: tlvr1.bin is not the ROM this game was built from";
}  // namespace

TEST(SessionEnded, CrashedGameIsExplainedWithItsLastLinesAndRecorded) {
    Installation installation;
    installation.InstallStandInGame(1);
    Process launcher = StartLauncher(installation, L"",
                                     {{L"TLVR_STANDIN_RECORD", (installation.root() / L"record.txt").wstring()},
                                      {L"TLVR_STANDIN_EXIT", L"0xC0000005"},
                                      {L"TLVR_STANDIN_LAST_WORDS", std::wstring(kLastWords, kLastWords + sizeof(kLastWords) - 1)}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ClickButton(ChildWithId(home, kPlay));

    const auto box = WaitForMessageBox(launcher, kLaunchTimeout);
    ASSERT_TRUE(box.has_value()) << "the crashed session was not reported";
    EXPECT_EQ(box->caption, L"Game session ended");
    EXPECT_EQ(box->text,
              L"The game exited with an error. Diagnostic logs are available in the .local/logs folder.\n\n"
              L"The game stopped with an access violation (0xC0000005).");
    // The last three non-empty lines, in the order the game wrote them.
    EXPECT_EQ(box->details, L"stand-in game: line on standard output\nstand-in game: line on standard error\n" +
                                std::wstring(kLastWords, kLastWords + sizeof(kLastWords) - 1));
    for (const wchar_t* button : {L"OK", L"Open logs folder"}) {
        EXPECT_NE(std::find(box->buttons.begin(), box->buttons.end(), button), box->buttons.end())
            << "no button " << Utf8(button);
    }

    const std::string sessions = ReadFileBytes(installation.local() / L"sessions.csv");
    EXPECT_NE(sessions.find(",1,"), std::string::npos) << sessions;
    EXPECT_NE(sessions.find(",3221225477\r\n"), std::string::npos) << "the session line is missing: " << sessions;

    // Esc answers it as it answers a message box.
    PressKey(FocusedWindowOf(box->hwnd), VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return VisibleMessageBoxCount(launcher) == 0; }, 5s)) << "Esc did not close it";
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
