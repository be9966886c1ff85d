// The update helper's contract: command lines, the hand-over's words, output lines, the result
// file, and the decisions taken from a job's end, the clock and the apply run's waits.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "temp_folder.h"
#include "update/update_decisions.h"
#include "update/update_protocol.h"
#include "update/update_result_file.h"

namespace fs = std::filesystem;

namespace {
std::vector<std::wstring> Split(const std::wstring& line) {
    return SplitCommandLine(line.c_str());
}

UpdateJobPaths PathsUnder(const std::wstring& root) {
    const fs::path r(root);
    return {r / L".tools\\python\\python.exe", r / L"tools\\update_release.py", r,
            r / L".local\\updates\\result.ini"};
}
}  // namespace

TEST(UpdateProtocol, EachJobsCommandLineForARootWithBlanksAndAccents) {
    const UpdateJobPaths paths = PathsUnder(L"C:\\Jeux vidéo\\Tålvaro Ovra");
    const std::wstring head =
        L"\"C:\\Jeux vidéo\\Tålvaro Ovra\\.tools\\python\\python.exe\" -X utf8 "
        L"\"C:\\Jeux vidéo\\Tålvaro Ovra\\tools\\update_release.py\" ";
    const std::wstring tail =
        L" --root \"C:\\Jeux vidéo\\Tålvaro Ovra\" --current 0.60 --result "
        L"\"C:\\Jeux vidéo\\Tålvaro Ovra\\.local\\updates\\result.ini\"";
    const std::wstring job = L"\"C:\\Jeux vidéo\\Tålvaro Ovra\\.local\\updates\\job 1\"";
    EXPECT_EQ(UpdateJobCommandLine(paths, L"check"), head + L"check" + tail);
    EXPECT_EQ(UpdateJobCommandLine(paths, L"prepare", L"release 0.61.zip"),
              head + L"prepare" + tail + L" --asset \"release 0.61.zip\"");
    for (const wchar_t* name : {L"apply", L"recover", L"cleanup"}) {
        EXPECT_EQ(UpdateJobCommandLine(paths, name, L"C:\\Jeux vidéo\\Tålvaro Ovra\\.local\\updates\\job 1"),
                  head + name + tail + L" --job " + job)
            << "job " << name;
    }
    UpdateJobPaths recovery = paths;
    recovery.resultFile = L"C:\\Jeux vidéo\\Tålvaro Ovra\\.local\\updates\\recovery.ini";
    EXPECT_EQ(RecoveryInfoCommandLine(recovery),
              head + L"recovery-info --root \"C:\\Jeux vidéo\\Tålvaro Ovra\" --result "
                     L"\"C:\\Jeux vidéo\\Tålvaro Ovra\\.local\\updates\\recovery.ini\"");
}

TEST(UpdateProtocol, ARootEndingInABackslashStaysOneWord) {
    // An installation at the root of a drive: the trailing backslash must not escape the quote.
    const UpdateJobPaths paths = PathsUnder(L"E:\\");
    const std::vector<std::wstring> check = Split(UpdateJobCommandLine(paths, L"check"));
    ASSERT_EQ(check.size(), 11u);
    EXPECT_EQ(check[0], L"E:\\.tools\\python\\python.exe");
    EXPECT_EQ(check[4], L"check");
    EXPECT_EQ(check[5], L"--root");
    EXPECT_EQ(check[6], L"E:\\");
    EXPECT_EQ(check[7], L"--current");
    EXPECT_EQ(check[10], L"E:\\.local\\updates\\result.ini");
    EXPECT_NE(UpdateJobCommandLine(paths, L"check").find(L" --root \"E:\\\\\" --current "), std::wstring::npos)
        << "the trailing backslash is doubled before the closing quote";

    const std::vector<std::wstring> apply = Split(UpdateJobCommandLine(paths, L"apply", L"E:\\"));
    ASSERT_EQ(apply.size(), 13u);
    EXPECT_EQ(apply[12], L"E:\\");
    const std::vector<std::wstring> recovery = Split(RecoveryInfoCommandLine(paths));
    ASSERT_EQ(recovery.size(), 9u);
    EXPECT_EQ(recovery[6], L"E:\\");
    EXPECT_EQ(recovery[7], L"--result");
}

TEST(UpdateProtocol, HandOverWordsSplitBackIntoTheApplyRunsArguments) {
    struct Case {
        bool recover;
        const wchar_t* root;
        const wchar_t* job;
    };
    for (const Case& c : {Case{false, L"C:\\Jeux vidéo\\Tålvaro", L"C:\\Jeux vidéo\\Tålvaro\\.local\\updates\\j"},
                          Case{true, L"E:\\", L"E:\\.local\\updates\\job\\"}}) {
        const std::wstring parameters = HandOverParameters(c.recover, c.root, c.job, 4242, 133000000000000001ULL);
        const std::vector<std::wstring> words = Split(L"TalvaroOvraRecomp.exe " + parameters);
        ASSERT_EQ(words.size(), 6u) << "parameters: " << parameters;
        const auto parsed = ParseApplyRunArguments(words);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->recover, c.recover);
        EXPECT_EQ(parsed->root, fs::path(c.root));
        EXPECT_EQ(parsed->jobFolder, fs::path(c.job));
        EXPECT_EQ(parsed->processId, 4242u);
        EXPECT_EQ(parsed->creationTime, 133000000000000001ULL);
    }
    EXPECT_EQ(HandOverParameters(false, L"C:\\a b", L"C:\\a b\\j", 7, 9), L"--apply-update \"C:\\a b\" \"C:\\a b\\j\" 7 9");
}

TEST(UpdateProtocol, ApplyRunArgumentsRejectAWrongCountAndReadBadNumbersAsZero) {
    EXPECT_FALSE(ParseApplyRunArguments({L"x", L"--apply-update", L"C:\\r", L"C:\\j", L"1"}).has_value());
    EXPECT_FALSE(ParseApplyRunArguments({L"x", L"--apply-update", L"", L"C:\\j", L"1", L"2"}).has_value());
    const auto parsed = ParseApplyRunArguments({L"x", L"--apply-update", L"C:\\r", L"C:\\j", L"-5", L"12ab"});
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->processId, 0u);
    EXPECT_EQ(parsed->creationTime, 0u);
    EXPECT_FALSE(parsed->recover);
}

TEST(UpdateProtocol, OnlyAnExeInsideTheInstallationIsStartedAsTheHost) {
    const std::filesystem::path root = L"C:\\Games\\Talvaro Ovra";
    struct Case {
        const wchar_t* host;
        bool started;
    } cases[] = {
        {L"C:\\Games\\Talvaro Ovra\\.local\\updates\\job 0.61\\TalvaroOvraRecomp.exe", true},
        {L"c:/games/TALVARO OVRA/job/Launcher.EXE", true},
        {L"C:\\Games\\Talvaro Ovra\\job\\notes.txt", false},
        {L"C:\\Games\\Talvaro Ovra\\job\\setup.exe.lnk", false},
        {L"C:\\Games\\Talvaro Ovra Other\\TalvaroOvraRecomp.exe", false},
        {L"C:\\Games\\Talvaro Ovra\\..\\evil.exe", false},
        {L"C:\\Games\\Talvaro Ovra.exe", false},
        {L"TalvaroOvraRecomp.exe", false},
        {L"https://example.com/TalvaroOvraRecomp.exe", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsHostInsideInstallation(root, c.host), c.started) << std::filesystem::path(c.host).string();
    }
    EXPECT_TRUE(IsHostInsideInstallation(L"T:\\", L"T:\\.local\\job\\TalvaroOvraRecomp.exe")) << "a drive's root";
    EXPECT_FALSE(IsHostInsideInstallation(L"T:\\", L"U:\\TalvaroOvraRecomp.exe"));
}

TEST(UpdateProtocol, OutputLinesThatChangeTheWindow) {
    EXPECT_TRUE(IsApplyLine(L"[APPLY]"));
    EXPECT_TRUE(IsApplyLine(L"[APPLY] replacing files\r"));
    EXPECT_FALSE(IsApplyLine(L" [APPLY]"));
    EXPECT_FALSE(IsApplyLine(L"[apply]"));
    EXPECT_EQ(ProgressText(L"[PROGRESS] 40% downloaded"), std::optional<std::wstring>(L"40% downloaded"));
    EXPECT_EQ(ProgressText(L"[PROGRESS] "), std::optional<std::wstring>(L""));
    EXPECT_FALSE(ProgressText(L"[PROGRESS]40%").has_value());
    EXPECT_FALSE(ProgressText(L"downloading").has_value());
}

TEST(UpdateProtocol, ResultFileKeysReadAsTextAndMissingOnesAsEmpty) {
    TempFolder folder;
    const fs::path file = folder.path() / L"result.ini";
    // UTF-16 with a byte-order mark, as the profile functions read it on every code page.
    const std::wstring text = L"\xFEFF[other]\r\nstate=wrong\r\n[update]\r\nstate=available\r\nversion=0.61 β\r\n";
    WriteFileBytes(file, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    EXPECT_EQ(ReadUpdateResult(file, L"state"), L"available");
    EXPECT_EQ(ReadUpdateResult(file, L"version"), L"0.61 β");
    EXPECT_EQ(ReadUpdateResult(file, L"asset"), L"");
    EXPECT_EQ(ReadUpdateResult(folder.path() / L"missing.ini", L"state"), L"");
}

TEST(UpdateDecisions, NormalRunJobEnds) {
    struct Case {
        const wchar_t* job;
        DWORD code;
        const wchar_t* state;
        NormalJobOutcome expected;
    };
    const Case cases[] = {
        {L"check", 0, L"available", NormalJobOutcome::UpdateAvailable},
        {L"check", 0, L"current", NormalJobOutcome::UpToDate},
        {L"check", 0, L"", NormalJobOutcome::UpToDate},
        {L"check", 3, L"available", NormalJobOutcome::Unreachable},
        {L"prepare", 0, L"prepared", NormalJobOutcome::HandOver},
        {L"prepare", 1, L"prepared", NormalJobOutcome::NotFinished},
        {L"prepare", 0, L"available", NormalJobOutcome::NotFinished},
        {L"apply", 0, L"prepared", NormalJobOutcome::NotFinished},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideNormalJobEnd(c.job, c.code, c.state), c.expected) << c.job << " " << c.code << " " << c.state;
    }
}

TEST(UpdateDecisions, ApplyRunJobEndsNeverLeaveAFailedApplyHalfDone) {
    struct Case {
        const wchar_t* job;
        DWORD code;
        bool pending;
        bool recoverMode;
        ApplyJobOutcome expected;
    };
    const Case cases[] = {
        {L"apply", 0, false, false, ApplyJobOutcome::Completed},
        {L"recover", 0, true, true, ApplyJobOutcome::Completed},
        {L"apply", 1, true, false, ApplyJobOutcome::StartRecover},
        {L"recover", 1, true, true, ApplyJobOutcome::RecoveryUnfinished},
        {L"apply", 1, false, false, ApplyJobOutcome::StartCleanup},
        {L"recover", 2, false, true, ApplyJobOutcome::StartCleanup},
        {L"cleanup", 0, false, false, ApplyJobOutcome::CleanedUp},
        {L"cleanup", 9, true, true, ApplyJobOutcome::CleanedUp},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideApplyJobEnd(c.job, c.code, c.pending, c.recoverMode), c.expected)
            << c.job << " " << c.code << " pending " << c.pending << " recover " << c.recoverMode;
    }
}

TEST(UpdateDecisions, DailyCheckIsDueAfterTwentyFourHoursAndNotForAFutureAttempt) {
    const unsigned long long now = 133500000000000000ULL;
    EXPECT_TRUE(IsUpdateCheckDue(std::nullopt, now));
    EXPECT_TRUE(IsUpdateCheckDue(now - kUpdateCheckInterval, now));
    EXPECT_FALSE(IsUpdateCheckDue(now - kUpdateCheckInterval + 1, now));
    EXPECT_FALSE(IsUpdateCheckDue(now, now));
    EXPECT_FALSE(IsUpdateCheckDue(now + 36000000000ULL, now)) << "an attempt an hour ahead";
    EXPECT_TRUE(IsUpdateCheckDue(0, now));
}

TEST(UpdateDecisions, ApplyRunWaitsShareOneLimitAndKeepWatchingTheOldLauncher) {
    unsigned ticks = 0;
    for (unsigned i = 0; i < kApplyWaitTickLimit; ++i) {
        ASSERT_EQ(NextWaitStepForOldLauncher(true, ticks), ApplyWaitStep::KeepWaiting) << "tick " << i;
    }
    EXPECT_EQ(NextWaitStepForOldLauncher(true, ticks), ApplyWaitStep::OldLauncherStillOpen);
    EXPECT_EQ(NextWaitStepForOldLauncher(true, ticks), ApplyWaitStep::OldLauncherStillOpen);
    EXPECT_EQ(NextWaitStepForOldLauncher(false, ticks), ApplyWaitStep::TryLock) << "the old one closed late";

    unsigned shared = 0;
    for (int i = 0; i < 200; ++i) NextWaitStepForOldLauncher(true, shared);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(NextWaitStepForLock(shared), ApplyWaitStep::KeepWaiting);
    EXPECT_EQ(NextWaitStepForLock(shared), ApplyWaitStep::LockStillHeld) << "the limit is one count for both waits";
}
