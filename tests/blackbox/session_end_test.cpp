// Windows ending the session, played by Wine's `wineboot -e` (it sends WM_QUERYENDSESSION to
// every window of the prefix, then WM_ENDSESSION, and ends each process that agreed): what the
// Launcher keeps when it agrees, and that it refuses while an installation or an update apply
// runs, which then go on to their end.
#include <gtest/gtest.h>

#include "install_support.h"
#include "update_support.h"

using namespace bb;

namespace {
constexpr int kPlay = 200;

fs::path WinebootProgram() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return fs::path(std::wstring(folder, length)) / L"wineboot.exe";
}

// Wine only: on Windows the test would sign the machine's user out.
bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Runs `wineboot -e` (plus `extra`) on the test prefix and gives its exit code.
std::optional<DWORD> EndTheSession(const std::wstring& extra = L"") {
    Process wineboot = Process::Start(WinebootProgram(), L"-e" + extra, WinebootProgram().parent_path());
    if (!wineboot.started()) return std::nullopt;
    return wineboot.WaitForExit(30s);
}

std::wstring Utf8ToWide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                        wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::string LastLine(const std::string& text) {
    std::string trimmed = text;
    while (!trimmed.empty() && (trimmed.back() == '\n' || trimmed.back() == '\r')) trimmed.pop_back();
    const size_t start = trimmed.rfind('\n');
    return start == std::string::npos ? trimmed : trimmed.substr(start + 1);
}

// A launcher with its installer running `script` (stand-in commands), up to its first line.
struct RunningInstallation {
    Process launcher;
    HWND home = nullptr;
    InstallerControls installer;
};
::testing::AssertionResult StartInstallation(const Installation& installation, const std::string& script,
                                             RunningInstallation* run) {
    WriteStandInScript(installation.root(), "out [STAGE 1/8] Checking\n" + script);
    run->launcher = StartLauncher(installation);
    run->home = WaitForHome(run->launcher);
    if (!run->home) return ::testing::AssertionFailure() << "no home window";
    run->installer = OpenInstallerFromHome(run->launcher, run->home);
    if (!run->installer.window) return ::testing::AssertionFailure() << "Install games opened no installer";
    SetText(run->installer.rom1, (installation.root() / L"roms").wstring());
    SetText(run->installer.destination, (installation.root() / L"installed").wstring());
    ClickButton(run->installer.install);
    if (!WaitUntil([&] { return FullText(run->installer.log).find(L"Checking") != std::wstring::npos; }, 30s)) {
        return ::testing::AssertionFailure() << "the script did not start";
    }
    return ::testing::AssertionSuccess();
}

// An update-apply run whose helper has created the pending marker and waits for `gate`.
::testing::AssertionResult StartApplyWaitingAtGate(const UpdateInstallation& installation, const fs::path& gate,
                                                   Process* run, HWND* apply) {
    installation.CopyHost();
    installation.WriteScenario("[apply]\nline=[APPLY]\npending=create\nwait_file=" + Utf8(gate.wstring()) +
                               "\npending=remove\nresult.state=applied\nexit=0\n");
    *run = StartApplyRun(installation, false, 0, 0);
    *apply = WaitForApplyWindow();
    if (!*apply) return ::testing::AssertionFailure() << "no update-apply window";
    if (!WaitUntil([&] { return fs::exists(installation.pending()); }, kJobTimeout)) {
        return ::testing::AssertionFailure() << "apply did not begin";
    }
    return ::testing::AssertionSuccess();
}

class SessionEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!UnderWine()) GTEST_SKIP() << "wineboot plays the end of a session only under Wine";
    }
};
}  // namespace

TEST_F(SessionEnd, ASelectionAScannerHeldBackIsOnTheDiskWhenTheLauncherEnds) {
    Installation installation;
    WriteLauncherIni(installation, "game=0\r\n");
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    Process scanner = HoldFile(installation.local() / L"launcher.ini", 2000);
    ASSERT_TRUE(scanner.started()) << "the scanner stand-in could not hold launcher.ini";
    PressKey(FocusedWindowOf(home), VK_RIGHT);
    Sleep(400);
    ASSERT_EQ(ReadLauncherKey(installation, L"game"), 0) << "the stand-in held nothing: the save went through";

    EXPECT_EQ(EndTheSession(), std::optional<DWORD>(0)) << "the end of the session was refused";
    EXPECT_TRUE(launcher.WaitForExit(10s).has_value()) << "the Launcher outlived the session";
    EXPECT_EQ(ReadLauncherKey(installation, L"game"), 1) << "the newest selection was lost with the session";
    EXPECT_FALSE(fs::exists(installation.local() / L"launcher.ini.tmp"));
}

TEST_F(SessionEnd, ARunningGameIsRecordedAsItStandsWithSessionEndForItsCode) {
    Installation installation;
    installation.InstallStandInGame(1);
    const fs::path journal = installation.root() / L"journal.txt";
    const fs::path release = installation.root() / L"release.txt";
    Process launcher = StartLauncher(installation, L"",
                                     {{L"TLVR_STANDIN_JOURNAL", journal.wstring()},
                                      {L"TLVR_STANDIN_WAIT_FILE", release.wstring()}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ClickButton(ChildWithId(home, kPlay));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(journal); }, kLaunchTimeout)) << "PLAY started no game";
    Sleep(2200);  // two whole seconds of play

    EXPECT_EQ(EndTheSession(), std::optional<DWORD>(0));
    EXPECT_TRUE(launcher.WaitForExit(10s).has_value()) << "the Launcher outlived the session";
    const std::string line = LastLine(ReadFileBytes(installation.local() / L"sessions.csv"));
    WriteFileBytes(release, "0");
    Sleep(400);  // the stand-in game goes before its folder does
    // start,game,seconds,code: the seconds so far, and no exit code, since the game had none.
    const size_t game = line.find(',');
    const size_t seconds = line.find(',', game + 1);
    const size_t code = line.find(',', seconds + 1);
    ASSERT_NE(code, std::string::npos) << "no session was recorded: \"" << line << "\"";
    EXPECT_EQ(line.substr(game + 1, seconds - game - 1), "1") << line;
    EXPECT_GE(std::stoi(line.substr(seconds + 1, code - seconds - 1)), 2) << line;
    EXPECT_EQ(line.substr(code + 1), "session-end") << line;
}

TEST_F(SessionEnd, IsRefusedDuringAnInstallationWhichGoesOnToItsEnd) {
    if (!PlaceStandInPowerShell()) GTEST_SKIP() << "needs the PowerShell stand-in";
    Installation installation;
    const fs::path gate = installation.root() / L"gate";
    RunningInstallation run;
    ASSERT_TRUE(StartInstallation(installation, "wait-file " + Utf8(gate.wstring()) +
                                                    "\nout [STAGE 8/8] Finishing\nexit 0\n", &run));
    Process& launcher = run.launcher;
    const InstallerControls& installer = run.installer;

    EXPECT_EQ(EndTheSession(), std::optional<DWORD>(1)) << "the end of the session was not refused";
    EXPECT_TRUE(launcher.Running()) << "the Launcher was ended during the installation";
    WriteFileBytes(gate, "");
    EXPECT_TRUE(WaitForRunEnd(installer, 60s)) << "the run did not go on to its end";
    EXPECT_EQ(WindowText(installer.status), kCompleteText);

    // Ended, the run lets the session go.
    PostMessageW(installer.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(installer.window); }, 10s));
    EXPECT_EQ(EndTheSession(), std::optional<DWORD>(0));
    EXPECT_TRUE(launcher.WaitForExit(10s).has_value());
}

TEST_F(SessionEnd, IsRefusedDuringAnUpdateApplyWhichGoesOnToRestartTheLauncher) {
    UpdateInstallation installation;
    const fs::path gate = installation.jobFolder() / L"gate";
    Process run;
    HWND apply = nullptr;
    ASSERT_TRUE(StartApplyWaitingAtGate(installation, gate, &run, &apply));

    EXPECT_EQ(EndTheSession(), std::optional<DWORD>(1)) << "the end of the session was not refused";
    EXPECT_TRUE(run.Running()) << "the update-apply run was ended half-way";
    WriteFileBytes(gate, "");
    EXPECT_TRUE(WaitForRestartedLauncher(installation)) << "the apply did not go on to restart the Launcher";
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
    EXPECT_FALSE(fs::exists(installation.pending()));
}

// Windows can end the session although a program refused (the player presses "Shut down anyway"
// on its screen); `wineboot -e -f` does not (measured: it still exits 1 and ends nothing), so the
// test sends what Windows then sends, WM_ENDSESSION with wParam TRUE, to every window of the run.
void EndAnyway(const Process& process) {
    for (const Window& window : process.TopLevelWindows()) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window.hwnd, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &result);
    }
}

constexpr char kInstallationStoppedLine[] =
    "Windows is ending the session: the installation was stopped. Your original ROMs are unchanged.";
constexpr char kUpdateStoppedLine[] =
    "Windows is ending the session: the update was stopped. The next start finishes or undoes it.";

TEST_F(SessionEnd, EndedAnywayTheInstallationStopsAsStopStopsItAndTheLogSaysSo) {
    if (!PlaceStandInPowerShell()) GTEST_SKIP() << "needs the PowerShell stand-in";
    Installation installation;
    const fs::path gate = installation.root() / L"gate";
    const fs::path after = installation.root() / L"after-the-gate.txt";
    RunningInstallation run;
    ASSERT_TRUE(StartInstallation(installation, "wait-file " + Utf8(gate.wstring()) + "\nwrite " +
                                                    Utf8(after.wstring()) + " | went on\n", &run));
    const InstallerControls& installer = run.installer;

    EndAnyway(run.launcher);
    const std::string expected = std::string("[STAGE 1/8] Checking\r\n") + kInstallationStoppedLine + "\r\n";
    EXPECT_EQ(ReadFileBytes(installation.local() / L"install-0.60.log"), expected);
    EXPECT_EQ(Utf8(FullText(installer.log)), expected);
    // Nobody ends the process here, as Windows would: the run shows the Stop button's end.
    EXPECT_TRUE(WaitForStatus(installer, kStoppedText, 10s)) << Utf8(WindowText(installer.status));
    WriteFileBytes(gate, "");
    Sleep(500);
    EXPECT_FALSE(fs::exists(after)) << "the script went on after the session ended";
}

TEST_F(SessionEnd, EndedAnywayTheUpdateApplyLeavesItsPendingMarkerForTheNextStart) {
    UpdateInstallation installation;
    const fs::path gate = installation.jobFolder() / L"gate";
    Process run;
    HWND apply = nullptr;
    ASSERT_TRUE(StartApplyWaitingAtGate(installation, gate, &run, &apply));

    EndAnyway(run);
    EXPECT_NE(LogText(apply).find(Utf8ToWide(kUpdateStoppedLine)), std::wstring::npos) << Utf8(LogText(apply));
    EXPECT_NE(ReadFileBytes(installation.jobFolder() / L"update.log").find(kUpdateStoppedLine), std::string::npos);
    WriteFileBytes(gate, "");
    Sleep(1500);
    EXPECT_TRUE(fs::exists(installation.pending())) << "the helper went on, or the marker was taken away";
    EXPECT_EQ(installation.CallCount(L"recover") + installation.CallCount(L"cleanup"), 0)
        << "a recovery began although the session had ended";
    EXPECT_FALSE(fs::exists(installation.jobFolder() / L"updated-launcher.png")) << "the Launcher was started again";
}
