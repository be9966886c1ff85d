// Update decisions at start-up: the daily check and recovery of a half-applied update.
#include <gtest/gtest.h>

#include "update_support.h"

using namespace bb;

namespace {
const std::string kRecoveryInfoPending =
    "[recovery-info]\nresult.state=pending\nresult.job={root}\\.local\\updates\\job 0.61\n"
    "result.host={root}\\.local\\updates\\job 0.61\\TalvaroOvraRecomp.exe\n";

std::optional<unsigned long long> WriteTime(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

void SetWriteTime(const fs::path& file, long long offsetFromNow) {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long value =
        ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) + offsetFromNow;
    const FILETIME time = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(handle, nullptr, nullptr, &time);
    CloseHandle(handle);
}

constexpr long long kHour = 36000000000LL;

// Starts the launcher, waits for its home window and closes it again.
void StartAndClose(const UpdateInstallation& installation, const std::function<void(HWND)>& whileOpen = {}) {
    Process launcher = installation.Start();
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    if (whileOpen) whileOpen(home);
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
}  // namespace

TEST(StartupUpdateCheck, OnlyAnInstalledCopyChecksAndAtMostOnceADay) {
    {
        UpdateInstallation notInstalled;
        notInstalled.WriteScenario("[check]\nresult.state=available\nresult.version=0.61\n");
        StartAndClose(notInstalled);
        EXPECT_FALSE(fs::exists(notInstalled.updates() / L"check-attempt")) << "a copy that is not installed checked";
        EXPECT_EQ(notInstalled.CallCount(L"check"), 0);
    }
    UpdateInstallation installation({true, /*installedCopy=*/true});
    installation.WriteScenario("[check]\nresult.state=available\nresult.asset=a.zip\nresult.version=0.61\n");
    const fs::path attempt = installation.updates() / L"check-attempt";
    StartAndClose(installation, [&](HWND home) {
        EXPECT_TRUE(WaitUntil([&] { return UpdatesButtonText(home) == L"Update available"; }, kJobTimeout))
            << "the start-up check did not report the update on the home window";
    });
    EXPECT_EQ(installation.CallCount(L"check"), 1);
    EXPECT_EQ(ReadFileBytes(attempt), "1");
    const auto first = WriteTime(attempt);

    StartAndClose(installation, [](HWND home) { Sleep(1000); });
    EXPECT_EQ(installation.CallCount(L"check"), 1) << "a second start within 24 hours checked again";
    EXPECT_EQ(WriteTime(attempt), first);

    SetWriteTime(attempt, -25 * kHour);
    StartAndClose(installation, [&](HWND) {
        EXPECT_TRUE(WaitUntil([&] { return installation.CallCount(L"check") == 2; }, kJobTimeout))
            << "a start 25 hours after the last attempt did not check";
    });

    SetWriteTime(attempt, 2 * kHour);
    const auto future = WriteTime(attempt);
    StartAndClose(installation, [](HWND home) { Sleep(1000); });
    EXPECT_EQ(installation.CallCount(L"check"), 2) << "an attempt time in the future let a check run";
    EXPECT_EQ(WriteTime(attempt), future);
}

TEST(InterruptedUpdate, PendingFileHandsOverToARecoveryRun) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario(kRecoveryInfoPending + "[recover]\nline=[APPLY]\npending=remove\nexit=0\n");
    WriteFileBytes(installation.pending(), "{}\n");
    Process launcher = installation.Start(L"", {{L"TLVR_QA_CAPTURE", L"1"}});
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    for (const Window& w : launcher.TopLevelWindows()) EXPECT_NE(w.className, kHomeClass);

    // The recovery run restores, then starts the Launcher, which photographs itself.
    const fs::path picture = installation.jobFolder() / L"updated-launcher.png";
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(picture) && PngImage(picture).loaded(); }, 60s))
        << "the Launcher was not started again after recovery";
    const std::vector<std::wstring> calls = installation.Calls();
    ASSERT_EQ(calls.size(), 2u);
    const std::vector<std::wstring> info = SplitWords(calls[0]);
    ASSERT_EQ(info.size(), 9u);
    EXPECT_EQ(info[4], L"recovery-info");
    EXPECT_EQ(info[8], (installation.updates() / L"recovery.ini").wstring());
    const std::vector<std::wstring> recover = SplitWords(calls[1]);
    ASSERT_EQ(recover.size(), 13u);
    EXPECT_EQ(recover[3], (installation.jobFolder() / L"tools" / L"update_release.py").wstring())
        << "the recovery run used another script than its own";
    EXPECT_EQ(recover[4], L"recover");
    EXPECT_EQ(recover[10], (installation.jobFolder() / L"result.ini").wstring());
    EXPECT_EQ(recover[12], installation.jobFolder().wstring());
}

TEST(InterruptedUpdate, EveryOtherOutcomeShowsTheRecoveryMessage) {
    struct Case {
        const char* name;
        bool interpreter;
        std::string scenario;
    };
    const Case cases[] = {
        {"interpreter missing", false, ""},
        {"host cannot be started",
         true, "[recovery-info]\nresult.state=pending\nresult.job={root}\\j\nresult.host={root}\\missing\\x.exe\n"},
        {"recovery-info failed", true, kRecoveryInfoPending + "exit=3\n"},
        {"state is not pending", true, "[recovery-info]\nresult.state=clean\n"},
        {"helper hangs past 30 seconds", true, "[recovery-info]\nwait_file={root}\\.gate\n" + kRecoveryInfoPending},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateInstallation installation({c.interpreter});
        installation.CopyHost();
        if (c.interpreter) installation.WriteScenario(c.scenario);
        WriteFileBytes(installation.pending(), "{}\n");
        Process launcher = installation.Start();
        const auto box = WaitForMessageBox(launcher, 60s);
        ASSERT_TRUE(box.has_value()) << "no message";
        // The box may be found before its caption is set.
        EXPECT_TRUE(WaitUntil([&] { return WindowText(box->hwnd) == L"Update recovery"; }, 5s))
            << "caption: " << Utf8(WindowText(box->hwnd));
        EXPECT_EQ(box->text,
                  L"An interrupted update needs recovery. Open .local/updates to read the log before playing.");
        PressMessageBoxButton(*box);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
        EXPECT_EQ(installation.CallCount(L"recover"), 0);
        EXPECT_EQ(FindWindowW(kUpdatesClass, kApplyTitle), nullptr) << "a recovery run was started";
        // Let a hanging helper go before its folder is removed.
        WriteFileBytes(installation.root() / L".gate", "");
        Sleep(300);
    }
}

TEST(InterruptedUpdate, AStartWhileAnUpdateRunHoldsTheLockRunsNoRecovery) {
    UpdateInstallation installation;
    installation.CopyHost();
    installation.WriteScenario(kRecoveryInfoPending + "[recover]\npending=remove\nexit=0\n");
    WriteFileBytes(installation.pending(), "{}\n");
    // An update-apply run still waiting for the Launcher that handed over holds the lock.
    const fs::path release = installation.root() / L"release.txt";
    Process old = StartOldLauncher(installation, release);
    ASSERT_TRUE(old.started());
    Process run = StartApplyRun(installation, false, old.id(), CreationTime(old.handle()));
    HWND apply = WaitForApplyWindow();
    ASSERT_NE(apply, nullptr);
    ASSERT_TRUE(WaitForStatus(apply, L"Waiting for the launcher to close...", 5s));

    ExpectStartRefusedAsAlreadyOpen(installation);
    const std::vector<std::wstring> calls = installation.Calls();
    EXPECT_TRUE(calls.empty()) << "the refused start ran the update helper: " << Utf8(calls.front());
    EXPECT_TRUE(fs::exists(installation.pending()));

    ClickButton(ChildWithId(apply, IDCANCEL));  // leaving while waiting changes nothing
    EXPECT_EQ(run.WaitForExit(kJobTimeout), std::optional<DWORD>(0));
    WriteFileBytes(release, "0");
    EXPECT_TRUE(old.WaitForExit(kLaunchTimeout).has_value());
}
