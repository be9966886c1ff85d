// The Launcher's own crash: "--qa-crash" leaves a minidump that names the access violation, the
// crashes folder keeps the newest five, and the next start says so once.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "play_support.h"

using namespace bb;

namespace {
constexpr uint32_t kExceptionStream = 6;  // MINIDUMP_STREAM_TYPE ExceptionStream
constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr wchar_t kNotice[] =
    L"The launcher closed unexpectedly last time. A crash dump was saved in .local/crashes; "
    L"Save a report includes it.";

uint32_t U32At(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

// The exception code of a minidump's exception stream, read through its stream directory; nothing
// when the file is no minidump or holds no such stream.
std::optional<uint32_t> DumpExceptionCode(const std::string& dump) {
    if (dump.compare(0, 4, "MDMP") != 0) return std::nullopt;
    const uint32_t streams = U32At(dump, 8);
    const uint32_t directory = U32At(dump, 12);
    for (uint32_t i = 0; i < streams; ++i) {
        const size_t entry = directory + static_cast<size_t>(i) * 12;
        if (entry + 12 > dump.size()) return std::nullopt;
        if (U32At(dump, entry) != kExceptionStream) continue;
        // MINIDUMP_EXCEPTION_STREAM: thread id, alignment, then MINIDUMP_EXCEPTION's code.
        const uint32_t rva = U32At(dump, entry + 8);
        if (U32At(dump, entry + 4) < 12 || rva + 12 > dump.size()) return std::nullopt;
        return U32At(dump, rva + 8);
    }
    return std::nullopt;
}

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
    const auto exceptionCode = DumpExceptionCode(dump);
    ASSERT_TRUE(exceptionCode.has_value()) << "the dump holds no exception stream";
    EXPECT_EQ(*exceptionCode, kAccessViolation);

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
