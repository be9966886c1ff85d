// The whole update through the real executables, and the update-apply run's failure paths.
#include <gtest/gtest.h>

#include "update_support.h"

using namespace bb;

namespace {
constexpr int kCheck = 101;
constexpr int kDownload = 102;
constexpr int kCancel = IDCANCEL;

std::string Path8(const fs::path& path) { return Utf8(path.wstring()); }

// A prepared update whose helper replaces the installation's "VERSION" file during apply.
std::string WholeUpdateScenario(const UpdateInstallation& installation) {
    const std::string root = Path8(installation.root());
    return "[check]\nline=[PROGRESS] Looking for releases\nresult.state=available\nresult.asset=tlvr-0.61.zip\n"
           "result.version=0.61\n"
           "[prepare]\nline=[PROGRESS] Downloading 50%\nline=[PROGRESS] Verifying\nresult.state=prepared\n"
           "result.job=" + Path8(installation.jobFolder()) + "\nresult.host=" + Path8(installation.host()) + "\n"
           "[apply]\nline=[APPLY]\npending=create\nwait_file=" + Path8(installation.jobFolder() / L"gate") + "\n"
           "copy=" + Path8(installation.jobFolder() / L"VERSION") + ">" + Path8(installation.root() / L"VERSION") +
           "\npending=remove\nresult.state=applied\nexit=0\n";
}

void ExpectRootWord(const std::wstring& call, size_t rootIndex, const UpdateInstallation& installation) {
    const std::vector<std::wstring> words = SplitWords(call);
    ASSERT_GT(words.size(), rootIndex + 1) << Utf8(call);
    EXPECT_EQ(words[rootIndex], installation.root().wstring()) << Utf8(call);
    EXPECT_EQ(words[rootIndex + 1], L"--current") << Utf8(call);
}

class WholeUpdate : public ::testing::TestWithParam<wchar_t> {};
}  // namespace

TEST_P(WholeUpdate, CheckDownloadHandOverApplyAndRestart) {
    if (GetParam() && !DriveAvailable(GetParam())) GTEST_SKIP() << "drive T: is not mapped (scripts/test.sh maps it)";
    UpdateInstallation installation({true, /*installedCopy=*/true, /*drive=*/GetParam()});
    installation.WriteScenario(WholeUpdateScenario(installation));
    installation.CopyHost();  // what the helper's download left in the job folder
    WriteFileBytes(installation.root() / L"VERSION", "0.60\n");
    WriteFileBytes(installation.jobFolder() / L"VERSION", "0.61\n");

    Process launcher = installation.Start(L"", {{L"TLVR_QA_CAPTURE", L"1"}});
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return UpdatesButtonText(home) == L"Update available"; }, kJobTimeout))
        << "the start-up check did not find the update";
    HWND window = OpenUpdates(launcher, home);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForStatus(window, L"Version 0.61 is available. Download and install it when you are ready."));
    ASSERT_TRUE(WaitUntil([&] { return ButtonEnabled(window, kDownload); }, 5s));
    ClickButton(ChildWithId(window, kDownload));
    EXPECT_EQ(launcher.WaitForExit(kJobTimeout), std::optional<DWORD>(0)) << "the Launcher did not hand over and end";

    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr) << "no update-apply run appeared";
    ASSERT_TRUE(WaitUntil([&] { return installation.CallCount(L"apply") == 1; }, kJobTimeout));
    EXPECT_TRUE(WaitForStatus(apply, L"Preparing the new version..."));
    // After "[APPLY]" the run cannot be cancelled: the button is off, and neither it nor the close box acts.
    EXPECT_TRUE(WaitUntil([&] { return !ButtonEnabled(apply, kCancel); }, 5s)) << "Cancel update stays enabled";
    PostMessageW(apply, WM_COMMAND, kCancel, 0);
    PostMessageW(apply, WM_CLOSE, 0, 0);
    Sleep(500);
    EXPECT_TRUE(IsWindow(apply));
    EXPECT_EQ(WindowText(ChildWithId(apply, kCancel)), L"Cancel update");
    EXPECT_EQ(installation.CallCount(L"cleanup") + installation.CallCount(L"recover"), 0);

    WriteFileBytes(installation.jobFolder() / L"gate", "");
    EXPECT_TRUE(WaitForRestartedLauncher(installation)) << "the Launcher was not started again";
    EXPECT_TRUE(WaitForWindowProcessExit(apply, kJobTimeout));
    EXPECT_EQ(ReadFileBytes(installation.root() / L"VERSION"), "0.61\n");
    EXPECT_FALSE(fs::exists(installation.pending()));

    const std::vector<std::wstring> calls = installation.Calls();
    ASSERT_EQ(calls.size(), 4u);
    const std::wstring jobs[] = {L"check", L"check", L"prepare", L"apply"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(SplitWords(calls[i])[4], jobs[i]);
        ExpectRootWord(calls[i], 6, installation);
    }
    const std::vector<std::wstring> applyWords = SplitWords(calls[3]);
    ASSERT_EQ(applyWords.size(), 13u);
    EXPECT_EQ(applyWords[12], installation.jobFolder().wstring());
    EXPECT_EQ(applyWords[0], (installation.root() / L".tools" / L"python" / L"python.exe").wstring());
}

// A root with blanks and letters outside ASCII, and the root of a drive ("T:\").
INSTANTIATE_TEST_SUITE_P(Roots, WholeUpdate, ::testing::Values(L'\0', L'T'),
                         [](const ::testing::TestParamInfo<wchar_t>& info) {
                             return info.param ? std::string("DriveRoot") : std::string("FolderWithBlanksAndAccents");
                         });

TEST(UpdateApplyRun, FailedApplyRecoversAndEachRetryRunsRecoverAgain) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario(
        "[apply]\npending=create\nline=[APPLY]\nexit=1\n"
        "[recover#1]\nresult.error=files are in use\nexit=1\n"
        "[recover#2]\nresult.error=still in use\nexit=1\n"
        "[recover#3]\npending=remove\nexit=0\n");
    Process run = StartApplyRun(installation, false, 0, 0);
    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr);
    EXPECT_TRUE(WaitForStatus(apply, L"Recovery did not finish. Close any open games and try again."));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(ChildWithId(apply, kCancel)) == L"Retry recovery"; }, 5s));
    EXPECT_NE(LogText(apply).find(L"files are in use\r\n"), std::wstring::npos) << Utf8(LogText(apply));
    EXPECT_EQ(installation.CallCount(L"recover"), 1);
    EXPECT_FALSE(ButtonEnabled(apply, kCheck));
    EXPECT_FALSE(ButtonEnabled(apply, kDownload));

    ASSERT_TRUE(WaitUntil([&] { return ButtonEnabled(apply, kCancel); }, 5s));
    ClickButton(ChildWithId(apply, kCancel));
    EXPECT_TRUE(WaitUntil([&] { return LogText(apply).find(L"still in use") != std::wstring::npos; }, kJobTimeout))
        << "the retry did not run recover again to its end";
    EXPECT_EQ(installation.CallCount(L"recover"), 2);
    EXPECT_EQ(StatusText(apply), L"Recovery did not finish. Close any open games and try again.");
    ASSERT_TRUE(WaitUntil([&] { return ButtonEnabled(apply, kCancel); }, 5s));
    ClickButton(ChildWithId(apply, kCancel));
    EXPECT_TRUE(WaitForRestartedLauncher(installation)) << "a successful retry did not restart the Launcher";
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
    EXPECT_EQ(installation.CallCount(L"recover"), 3);
    EXPECT_EQ(installation.CallCount(L"cleanup"), 0);
}

TEST(UpdateApplyRun, FailedApplyWithoutPendingFileCleansUpAndOffersTheLauncher) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario("[apply]\nexit=1\n[cleanup]\nline=removing\nexit=0\n");
    Process run = StartApplyRun(installation, false, 0, 0);
    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr);
    EXPECT_TRUE(WaitForStatus(apply, L"The update did not finish. The previous version is ready to play."));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(ChildWithId(apply, kCancel)) == L"Open launcher"; }, 5s));
    EXPECT_EQ(installation.CallCount(L"recover"), 0);
    EXPECT_FALSE(fs::exists(installation.jobFolder() / L"updated-launcher.png")) << "the Launcher started unasked";
    ClickButton(ChildWithId(apply, kCancel));
    EXPECT_TRUE(WaitForRestartedLauncher(installation));
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
}

TEST(UpdateApplyRun, CancelBeforeApplyEndsWithThePreviousVersion) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario(
        "[apply]\nline=[PROGRESS] Unpacking\nwait_file={root}\\.never\nexit=0\n[cleanup]\nexit=0\n");
    Process run = StartApplyRun(installation, false, 0, 0);
    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr);
    ASSERT_TRUE(WaitForStatus(apply, L"Unpacking"));
    EXPECT_TRUE(ButtonEnabled(apply, kCancel));
    ClickButton(ChildWithId(apply, kCancel));
    EXPECT_TRUE(WaitForStatus(apply, L"Update cancelled. The previous version is ready to play."));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(ChildWithId(apply, kCancel)) == L"Open launcher"; }, 5s));
    EXPECT_EQ(installation.CallCount(L"cleanup"), 1);
    // The close box acts as the button: it opens the Launcher now.
    PostMessageW(apply, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForRestartedLauncher(installation));
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
}

TEST(UpdateApplyRun, WaitsForTheLauncherThatHandedOverWhileTheLockRefusesANewOne) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario("[apply]\nline=[APPLY]\nexit=0\n");
    Process old = installation.Start();
    HWND home = WaitForHome(old);
    ASSERT_NE(home, nullptr);
    Process run = StartApplyRun(installation, false, old.id(), CreationTime(old.handle()));
    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr);
    EXPECT_TRUE(WaitForStatus(apply, L"Waiting for the launcher to close...", 5s));

    ExpectStartRefusedAsAlreadyOpen(installation);
    EXPECT_EQ(installation.CallCount(L"apply"), 0) << "apply ran while the old Launcher was open";
    EXPECT_EQ(StatusText(apply), L"Waiting for the launcher to close...");

    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(old.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitForRestartedLauncher(installation)) << "the run did not go on once the old Launcher ended";
    EXPECT_EQ(installation.CallCount(L"apply"), 1);
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
}

TEST(UpdateApplyRun, OnlyTheProcessThatHandedOverIsWaitedFor) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario("[apply]\nexit=0\n");
    const fs::path release = installation.root() / L"release.txt";
    Process other = StartOldLauncher(installation, release);
    ASSERT_TRUE(other.started());
    const unsigned long long created = CreationTime(other.handle());

    // The same id with the right creation time: the run waits, and leaving then changes nothing.
    {
        Process waiting = StartApplyRun(installation, false, other.id(), created);
        HWND apply = WaitForApplyWindow();
        ASSERT_NE(apply, nullptr);
        EXPECT_TRUE(WaitForStatus(apply, L"Waiting for the launcher to close...", 5s));
        Sleep(1000);
        EXPECT_EQ(installation.CallCount(L"apply"), 0);
        ClickButton(ChildWithId(apply, kCancel));
        EXPECT_EQ(waiting.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
        EXPECT_EQ(installation.CallCount(L"apply"), 0) << "leaving while waiting ran a job";
    }
    // A reused id (another creation time) does not delay the run.
    Process reused = StartApplyRun(installation, false, other.id(), created + 1);
    EXPECT_TRUE(WaitForRestartedLauncher(installation)) << "the run waited for an unrelated process";
    EXPECT_EQ(installation.CallCount(L"apply"), 1);
    EXPECT_TRUE(other.Running());
    EXPECT_EQ(reused.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
    WriteFileBytes(release, "0");
    EXPECT_TRUE(other.WaitForExit(kLaunchTimeout).has_value());
}

TEST(UpdateApplyRun, KeepsWatchingAnOldLauncherThatStaysOpenPastThirtySeconds) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario("[apply]\nexit=0\n");
    const fs::path release = installation.root() / L"release.txt";
    Process old = StartOldLauncher(installation, release);
    ASSERT_TRUE(old.started());
    Process run = StartApplyRun(installation, false, old.id(), CreationTime(old.handle()));
    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr);
    EXPECT_TRUE(WaitForStatus(apply, L"Close the old launcher to continue the update.", 60s));
    EXPECT_EQ(installation.CallCount(L"apply"), 0);

    WriteFileBytes(release, "0");
    EXPECT_TRUE(old.WaitForExit(kLaunchTimeout).has_value());
    EXPECT_TRUE(WaitForRestartedLauncher(installation)) << "the run did not go on once the old Launcher closed";
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
}

TEST(UpdateApplyRun, ALauncherThatCannotBeStartedIsReportedWithItsPath) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario("[apply]\nline=[APPLY]\nexit=0\n");
    fs::remove(installation.launcher());  // the installation has no Launcher to start
    Process run = StartApplyRun(installation, false, 0, 0);
    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr);
    EXPECT_TRUE(WaitForStatus(apply, L"Could not start the launcher \"" + installation.launcher().wstring() + L"\"."));
    EXPECT_TRUE(run.Running()) << "the run ended without a word";
    EXPECT_EQ(WindowText(ChildWithId(apply, kCancel)), L"Open launcher");
    // With the Launcher back in place, the button starts it.
    fs::copy_file(installation.host(), installation.launcher());
    ASSERT_TRUE(WaitUntil([&] { return ButtonEnabled(apply, kCancel); }, 5s));
    ClickButton(ChildWithId(apply, kCancel));
    EXPECT_TRUE(WaitForRestartedLauncher(installation));
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
}

TEST(UpdateApplyRun, WrongArgumentsAreRefused) {
    UpdateInstallation installation;
    installation.CopyHost();
    // Five words after the program: the apply run is only chosen with exactly five.
    Process refused = Process::Start(installation.host(), L"--apply-update \"\" \"\" 1 2", installation.root());
    EXPECT_EQ(refused.WaitForExit(kLaunchTimeout), std::optional<DWORD>(2)) << "empty paths were accepted";
    EXPECT_EQ(FindWindowW(kUpdatesClass, kApplyTitle), nullptr);
}
