// Windows ending the session: the answers to its two messages by what holds the session, and
// the reason an installation run gives Windows while it runs. Wine's ShutdownBlockReasonCreate
// is a stub (it answers FALSE, ERROR_CALL_NOT_IMPLEMENTED) and it has no ShutdownBlockReasonQuery,
// so the calls are recorded through the seam.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/session_end.h"
#include "install/installer_entry.h"
#include "standin_powershell.h"
#include "temp_folder.h"

namespace {
SessionHolds Holds(bool installation, bool update) {
    SessionHolds holds;
    holds.held[static_cast<int>(HeldRun::Installation)] = installation;
    holds.held[static_cast<int>(HeldRun::Update)] = update;
    return holds;
}

struct ReasonCall {
    HWND window;
    std::wstring reason;  // empty: destroyed
};
std::vector<ReasonCall> g_calls;
BOOL WINAPI RecordCreate(HWND window, LPCWSTR reason) {
    g_calls.push_back({window, reason});
    return TRUE;
}
BOOL WINAPI RecordDestroy(HWND window) {
    g_calls.push_back({window, L""});
    return TRUE;
}

int g_stops = 0;
void CountStop() { ++g_stops; }

class SessionHold : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_stops = 0;
        ResetSessionEndForTesting();
        SetBlockReasonCallsForTesting(RecordCreate, RecordDestroy);
    }
    void TearDown() override {
        SetBlockReasonCallsForTesting(nullptr, nullptr);
        ResetSessionEndForTesting();
    }
};

// The texts of a window's children, to say why a run did not start.
std::string ChildTexts(HWND window) {
    std::string texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[512] = {};
        GetWindowTextA(child, text, 512);
        if (text[0]) texts += std::string("\"") + text + "\" ";
    }
    return texts;
}

template <typename Condition>
bool PumpUntil(Condition done, std::chrono::seconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}
}  // namespace

TEST(SessionEndDecision, QueryIsRefusedWhileHeldAndAnEndStopsOnlyHeldRuns) {
    struct Case {
        UINT message;
        WPARAM wParam;
        SessionHolds holds;
        LRESULT result;
        bool stop;
        bool finish;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {WM_QUERYENDSESSION, 0, Holds(false, false), TRUE, false, false, nullptr},
        {WM_QUERYENDSESSION, 0, Holds(true, false), FALSE, false, false, L"Installing the games\u2026"},
        {WM_QUERYENDSESSION, 0, Holds(false, true), FALSE, false, false, L"Updating the package\u2026"},
        {WM_QUERYENDSESSION, 0, Holds(true, true), FALSE, false, false, L"Installing the games\u2026"},
        {WM_ENDSESSION, TRUE, Holds(false, false), 0, false, true, nullptr},
        {WM_ENDSESSION, TRUE, Holds(false, true), 0, true, true, L"Updating the package\u2026"},
        {WM_ENDSESSION, FALSE, Holds(true, false), 0, false, false, L"Installing the games\u2026"},  // refused: goes on
    };
    for (const Case& c : cases) {
        bool handled = false;
        const SessionEndAnswer answer = DecideSessionEnd(c.message, c.wParam, c.holds, &handled);
        const std::string name = std::to_string(c.message) + "/" + std::to_string(c.wParam) + "/" +
                                 std::to_string(c.holds.held[0]) + std::to_string(c.holds.held[1]);
        EXPECT_TRUE(handled) << name;
        EXPECT_EQ(answer.result, c.result) << name;
        EXPECT_EQ(answer.stopHeldRuns, c.stop) << name;
        EXPECT_EQ(answer.finishWork, c.finish) << name;
        const std::wstring reason = SessionBlockReason(c.holds);
        EXPECT_EQ(reason.empty() ? std::wstring(L"(none)") : reason, c.reason ? c.reason : L"(none)") << name;
    }
    bool handled = true;
    DecideSessionEnd(WM_CLOSE, 0, Holds(true, true), &handled);
    EXPECT_FALSE(handled);
}

TEST_F(SessionHold, TwoRunsOnOneWindowShareItsReasonAndAnEndStopsEachOnceForAllWindows) {
    HWND window = CreateWindowExW(0, L"STATIC", L"home", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    HWND owned = CreateWindowExW(0, L"STATIC", L"owned", WS_POPUP, 0, 0, 50, 50, window, nullptr, nullptr, nullptr);
    HoldSession(owned, HeldRun::Update, CountStop);  // named on the owner, the window Windows lists
    HoldSession(window, HeldRun::Installation, CountStop);
    ReleaseSession(HeldRun::Installation);
    ASSERT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(g_calls[0].window, window);
    EXPECT_EQ(g_calls[0].reason, L"Updating the package\u2026");
    EXPECT_EQ(g_calls[1].reason, L"Installing the games\u2026");
    EXPECT_EQ(g_calls[2].reason, L"Updating the package\u2026") << "the update still holds";

    LRESULT result = -1;
    bool finish = false;
    EXPECT_TRUE(AnswerSessionEnd(WM_QUERYENDSESSION, 0, &result, &finish));
    EXPECT_EQ(result, FALSE);
    EXPECT_TRUE(AnswerSessionEnd(WM_ENDSESSION, TRUE, &result, &finish));
    EXPECT_TRUE(finish);
    EXPECT_TRUE(AnswerSessionEnd(WM_ENDSESSION, TRUE, &result, &finish));  // the next window hears it too
    EXPECT_FALSE(finish) << "the home window's work was asked for twice";
    EXPECT_EQ(g_stops, 1);
    EXPECT_TRUE(SessionHasEnded());
    ReleaseSession(HeldRun::Update);
    EXPECT_EQ(g_calls.back().reason, L"") << "the reason stayed after the run";
    DestroyWindow(owned);
    DestroyWindow(window);
}

TEST_F(SessionHold, AnInstallationRunGivesItsReasonFromItsStartToItsEnd) {
    if (!PlaceStandInPowerShell()) GTEST_SKIP() << "needs the PowerShell stand-in, placed in a Wine prefix only";
    TempFolder root(L"tlvr-hold");
    const std::filesystem::path gate = root.path() / L"gate";
    WriteStandInScript(root.path(), "out [STAGE 1/8] Checking\nwait-file " + gate.string() + "\nexit 0\n");
    CreateDirectoryW((root.path() / L".local").c_str(), nullptr);
    RegisterInstallerWindowClass(GetModuleHandleW(nullptr), nullptr, root.path());
    OpenInstallerWindow(nullptr);
    HWND installer = InstallerWindow();
    ASSERT_NE(installer, nullptr);
    SetWindowTextW(GetDlgItem(installer, 10), (root.path() / L"roms").c_str());
    SetWindowTextW(GetDlgItem(installer, 13), (root.path() / L"installed").c_str());
    EXPECT_EQ(SendMessageW(installer, WM_QUERYENDSESSION, 0, 0), TRUE) << "an idle installer held the session";

    SendMessageW(installer, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    ASSERT_TRUE(IsInstallationRunActive()) << "the run did not start: " << ChildTexts(installer);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].window, installer);
    EXPECT_EQ(g_calls[0].reason, L"Installing the games\u2026");
    EXPECT_EQ(SendMessageW(installer, WM_QUERYENDSESSION, 0, 0), FALSE);

    CloseHandle(CreateFileW(gate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(PumpUntil([] { return !IsInstallationRunActive(); }, std::chrono::seconds(60)));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1].window, installer);
    EXPECT_EQ(g_calls[1].reason, L"") << "the reason stayed after the run";
    EXPECT_EQ(SendMessageW(installer, WM_QUERYENDSESSION, 0, 0), TRUE);
    DestroyWindow(installer);
}
