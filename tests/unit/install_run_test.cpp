// The installation run in this process, with posts from the reader that fail for a while as they
// do on Windows when the window's message queue is full.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <string>

#include "app/helper_process.h"
#include "install/installer_entry.h"
#include "standin_powershell.h"
#include "temp_folder.h"

namespace {
std::atomic<int> g_postCalls{0};
std::atomic<int> g_refusedPosts{0};
std::atomic<int> g_refusedFinished{0};

// Refuses every other post from the 200th call on for 3,000 calls, and the first 20 attempts to
// post the finished message, the way a full queue refuses until the window catches up.
BOOL WINAPI FlakyPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int call = ++g_postCalls;
    if (message == WM_APP + 0x3E && g_refusedFinished < 20) {
        ++g_refusedFinished;
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    if (call >= 200 && call < 3200 && call % 2 == 0) {
        ++g_refusedPosts;
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return PostMessageW(window, message, wParam, lParam);
}

std::wstring Text(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Runs this thread's messages (the installer's window lives here) until `done` or the time-out.
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

std::wstring ExpectedLine(int n) {
    // The stand-in's numbered lines: seven digits, a blank, then letters up to the length.
    wchar_t head[16];
    swprintf(head, 16, L"%07d ", n);
    std::wstring line = head;
    while (line.size() < 60) line += static_cast<wchar_t>(L'a' + line.size() % 26);
    return line;
}
}  // namespace

TEST(InstallRunInProcess, RefusedPostsLoseNoLineAndNoFinishedMessage) {
    if (!PlaceStandInPowerShell()) GTEST_SKIP() << "needs the PowerShell stand-in, placed in a Wine prefix only";
    TempFolder root(L"tlvr-run");
    const int lineCount = 4000;
    WriteStandInScript(root.path(), "out [STAGE 2/8] Reading\nlines " + std::to_string(lineCount) +
                                        " 60\nout [STAGE 4/8] Halfway\nexit 0\n");
    CreateDirectoryW((root.path() / L".local").c_str(), nullptr);
    RegisterInstallerWindowClass(GetModuleHandleW(nullptr), nullptr, root.path());
    OpenInstallerWindow(nullptr);
    HWND installer = InstallerWindow();
    ASSERT_NE(installer, nullptr);
    SetWindowTextW(GetDlgItem(installer, 10), (root.path() / L"roms").c_str());
    SetWindowTextW(GetDlgItem(installer, 13), (root.path() / L"installed").c_str());

    SetHelperPostFunctionForTesting(FlakyPost);
    SendMessageW(installer, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
    EXPECT_TRUE(IsInstallationRunActive()) << Text(GetDlgItem(installer, 30));
    const bool ended = PumpUntil([] { return !IsInstallationRunActive(); }, std::chrono::seconds(120));
    SetHelperPostFunctionForTesting(nullptr);
    ASSERT_TRUE(ended) << "the finished message never arrived";
    EXPECT_GT(g_refusedPosts.load(), 1000) << "the seam refused too few posts to prove anything";
    EXPECT_EQ(g_refusedFinished.load(), 20);

    std::wstring expected = L"[STAGE 2/8] Reading\r\n";
    for (int n = 1; n <= lineCount; ++n) expected += ExpectedLine(n) + L"\r\n";
    expected += L"[STAGE 4/8] Halfway\r\n";
    const std::wstring log = Text(GetDlgItem(installer, 30));
    EXPECT_EQ(log.size(), expected.size());
    EXPECT_TRUE(log == expected) << "lines were lost or reordered";
    // The same end as line-by-line handling: the last stage's status gave way to the end's.
    EXPECT_EQ(SendMessageW(FindWindowExW(installer, nullptr, PROGRESS_CLASSW, nullptr), PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(Text(GetDlgItem(installer, 1)), L"Open launcher");
    DestroyWindow(installer);
    EXPECT_EQ(InstallerWindow(), nullptr);
}
