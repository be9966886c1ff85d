// The Launcher's own crash: "--qa-crash" leaves a minidump that names the access violation, the
// crashes folder keeps the newest five, and the next start says so once. A stack overflow and
// two threads crashing at once each leave exactly one whole dump.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "minidump_reader.h"
#include "play_support.h"

using namespace bb;

namespace {
constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kStackOverflow = 0xC00000FD;
constexpr wchar_t kNotice[] =
    L"The launcher closed unexpectedly last time. A crash dump was saved in .local/crashes; "
    L"Save a report includes it.";

std::set<std::wstring> FilesIn(const fs::path& folder) {
    std::set<std::wstring> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.insert(entry.path().filename().wstring());
    return names;
}
}  // namespace

TEST(LauncherCrash, QaCrashLeavesOneDumpKeepsFiveAndTheNextStartSaysItOnce) {
    Installation installation;
    const fs::path crashes = installation.local() / L"crashes";
    // Five dumps of earlier crashes: the new one pushes the oldest out.
    std::set<std::wstring> earlier;
    for (int n = 1; n <= 5; ++n) {
        const std::wstring name = L"launcher-20240101-00000" + std::to_wstring(n) + L".dmp";
        WriteFileBytes(crashes / name, "earlier dump");
        earlier.insert(name);
    }

    {
        Process launcher = StartLauncher(installation, L"--qa-crash");
        const auto code = launcher.WaitForExit(kLaunchTimeout);
        ASSERT_TRUE(code.has_value()) << "the launcher did not end after --qa-crash";
        EXPECT_EQ(*code, kAccessViolation) << "the process did not end with the access violation";
    }
    const std::set<std::wstring> after = FilesIn(crashes);
    std::vector<std::wstring> added;
    for (const std::wstring& name : after) {
        if (!earlier.count(name)) added.push_back(name);
    }
    ASSERT_EQ(added.size(), 1u) << "expected exactly one new file in .local/crashes";
    const std::wstring& dumpName = added.front();
    EXPECT_EQ(dumpName.rfind(L"launcher-", 0), 0u) << Utf8(dumpName);
    EXPECT_EQ(dumpName.size(), std::wstring(L"launcher-YYYYMMDD-HHMMSS.dmp").size()) << Utf8(dumpName);
    EXPECT_EQ(after.size(), 5u) << "the crashes folder did not keep exactly the newest five";
    EXPECT_FALSE(after.count(L"launcher-20240101-000001.dmp")) << "the oldest dump was kept";
    const std::string dump = ReadFileBytes(crashes / dumpName);
    ASSERT_EQ(dump.substr(0, 4), "MDMP") << "the dump is not a minidump";
    const auto exception = MinidumpExceptionOf(dump);
    ASSERT_TRUE(exception.has_value()) << "the dump holds no exception stream";
    EXPECT_EQ(exception->code, kAccessViolation);

    {
        // The next start says it once.
        Process launcher = StartLauncher(installation);
        const auto box = WaitForMessageBox(launcher, kLaunchTimeout);
        ASSERT_TRUE(box.has_value()) << "the start after the crash said nothing";
        EXPECT_EQ(box->text, kNotice);
        PressMessageBoxButton(*box);
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);
        PostMessageW(home, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    }
    {
        // The start after that does not repeat it.
        Process launcher = StartLauncher(installation);
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);
        Sleep(2000);  // the notice would be up by now
        EXPECT_EQ(VisibleMessageBoxCount(launcher), 0) << "the crash was announced a second time";
        PostMessageW(home, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    }
}

TEST(LauncherCrash, StackOverflowAndTwoThreadsCrashingAtOnceLeaveExactlyOneWholeDump) {
    const struct {
        const wchar_t* kind;
        uint32_t code;
    } cases[] = {
        {L"stack", kStackOverflow},
        {L"threads", kAccessViolation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.kind));
        Installation installation;
        const fs::path crashes = installation.local() / L"crashes";
        {
            Process launcher = StartLauncher(installation, std::wstring(L"--qa-crash ") + c.kind);
            const auto code = launcher.WaitForExit(kLaunchTimeout);
            ASSERT_TRUE(code.has_value()) << "the launcher did not end after the crash";
            EXPECT_EQ(*code, c.code) << "the process did not end with the crash's code";
        }
        const std::set<std::wstring> files = FilesIn(crashes);
        ASSERT_EQ(files.size(), 1u) << "expected exactly one file in .local/crashes, saw " << files.size();
        const std::string dump = ReadFileBytes(crashes / *files.begin());
        EXPECT_TRUE(MinidumpStreams(dump).has_value()) << "the dump's stream directory is broken";
        const auto exception = MinidumpExceptionOf(dump);
        ASSERT_TRUE(exception.has_value()) << "the dump holds no exception stream";
        EXPECT_EQ(exception->code, c.code);
        EXPECT_FALSE(MinidumpModuleNames(dump).empty()) << "the dump lists no modules";
    }
}
