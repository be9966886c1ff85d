// The helper process runner, through real child processes of ours (tlvr_output_child.exe).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/helper_process.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
constexpr UINT kLine = WM_APP + 0x3D;
constexpr UINT kFinished = WM_APP + 0x3E;

// A message-only window that collects what the reader posts.
struct Collector {
    std::vector<std::wstring> lines;
    bool finished = false;
    DWORD exitCode = 0;
    bool linesAfterFinish = false;
};

LRESULT CALLBACK CollectorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* collector = reinterpret_cast<Collector*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (collector && message == kLine) {
        if (collector->finished) collector->linesAfterFinish = true;
        collector->lines.push_back(TakeHelperLine(lParam));
        return 0;
    }
    if (collector && message == kFinished) {
        collector->finished = true;
        collector->exitCode = static_cast<DWORD>(wParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class HelperRun {
public:
    HelperRun() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = CollectorProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TlvrRunnerTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, L"TlvrRunnerTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&collector_));
    }
    ~HelperRun() {
        if (window_) DestroyWindow(window_);
    }

    HelperStartResult Start(const std::wstring& steps, bool installerOptions = true,
                            const fs::path& logPath = {}) {
        const fs::path child = ChildProgram();
        HelperStartRequest request;
        request.application = child;
        request.commandLine = QuoteArgument(child.wstring()) + L" " + steps;
        request.workingDirectory = folder_.path();
        request.logPath = logPath.empty() ? log() : logPath;
        request.target = window_;
        request.lineMessage = kLine;
        request.finishedMessage = kFinished;
        request.stripCarriageReturn = installerOptions;
        request.postRest = installerOptions;
        return StartHelperProcess(request, job_, [this] { enteredRunning_ = true; });
    }
    // Pumps this thread's messages until the finished message (or the time-out).
    bool WaitForFinish(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!collector_.finished && std::chrono::steady_clock::now() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
        return collector_.finished;
    }
    static fs::path ChildProgram() {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        return fs::path(self).parent_path() / L"tlvr_output_child.exe";
    }
    fs::path log() const { return folder_.path() / L"run.log"; }
    HWND window() const { return window_; }
    void DestroyCollector() {
        DestroyWindow(window_);
        window_ = nullptr;
    }
    const Collector& seen() const { return collector_; }
    UniqueHandle& job() { return job_; }
    bool enteredRunning() const { return enteredRunning_; }

private:
    TempFolder folder_{L"tlvr-runner"};
    HWND window_ = nullptr;
    Collector collector_;
    UniqueHandle job_;
    bool enteredRunning_ = false;
};

bool ProcessEnded(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return true;
    const bool ended = WaitForSingleObject(process, 3000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}
}  // namespace

TEST(HelperProcess, LineEndsFollowEachUsersReaderOptionsAndTheLogKeepsEveryByte) {
    struct Case {
        bool installer;
        std::vector<std::wstring> lines;
    } cases[] = {{true, {L"a", L"b"}}, {false, {L"a\r"}}};
    for (const Case& c : cases) {
        HelperRun run;
        ASSERT_EQ(run.Start(L"o:a\\r\\nb exit:3", c.installer), HelperStartResult::Started);
        EXPECT_TRUE(run.enteredRunning());
        ASSERT_TRUE(run.WaitForFinish());
        EXPECT_EQ(run.seen().lines, c.lines) << "installer options: " << c.installer;
        EXPECT_EQ(run.seen().exitCode, 3u);
        EXPECT_FALSE(run.seen().linesAfterFinish);
        EXPECT_EQ(ReadFileBytes(run.log()), "a\r\nb");
    }
}

TEST(HelperProcess, ErrorOutputInterleavesInWriteOrderAndInputIsAtEndOfFile) {
    HelperRun run;
    ASSERT_EQ(run.Start(L"o:1\\n e:2\\n o:3\\n stdin e:\u00e9t\u00e9\\n"), HelperStartResult::Started);
    ASSERT_TRUE(run.WaitForFinish());
    const std::vector<std::wstring> expected = {L"1", L"2", L"3", L"eof", L"\u00e9t\u00e9"};
    EXPECT_EQ(run.seen().lines, expected);
    EXPECT_EQ(run.seen().exitCode, 0u);
}

TEST(HelperProcess, ALongLineOverSeveralReadsArrivesOnceAndWhole) {
    HelperRun run;
    ASSERT_EQ(run.Start(L"big:10000 o:end\\n"), HelperStartResult::Started);
    ASSERT_TRUE(run.WaitForFinish());
    ASSERT_EQ(run.seen().lines.size(), 2u);
    EXPECT_EQ(run.seen().lines[0], std::wstring(10000, L'x'));
    EXPECT_EQ(run.seen().lines[1], L"end");
}

TEST(HelperProcess, AGrandchildHoldingThePipeDelaysTheFinishedMessage) {
    HelperRun run;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(run.Start(L"grand:1500 exit:0"), HelperStartResult::Started);
    ASSERT_TRUE(run.WaitForFinish());
    const auto took = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(run.seen().lines.size(), 1u) << "the grandchild writes its id";
    EXPECT_GE(took, std::chrono::milliseconds(1400));
    EXPECT_TRUE(ProcessEnded(static_cast<DWORD>(std::stoul(run.seen().lines[0]))));
}

TEST(HelperProcess, CancellingOrClosingTheJobEndsChildAndGrandchild) {
    for (bool cancel : {true, false}) {
        HelperRun run;
        ASSERT_EQ(run.Start(L"grand:30000 pid sleep:30000"), HelperStartResult::Started);
        // Wait for both ids, then end the job one way or the other.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (run.seen().lines.size() < 2 && std::chrono::steady_clock::now() < end) {
            run.WaitForFinish(std::chrono::milliseconds(50));
        }
        ASSERT_EQ(run.seen().lines.size(), 2u);
        if (cancel) {
            EXPECT_TRUE(CancelHelperProcess(run.job().get(), 130));
        } else {
            run.job().reset();  // what the Launcher's end does: its handles close
        }
        ASSERT_TRUE(run.WaitForFinish(std::chrono::seconds(10))) << "cancel: " << cancel;
        if (cancel) {
            EXPECT_EQ(run.seen().exitCode, 130u);
        }
        for (const std::wstring& id : run.seen().lines) {
            EXPECT_TRUE(ProcessEnded(static_cast<DWORD>(std::stoul(id)))) << "process " << id;
        }
    }
}

TEST(HelperProcess, AStartThatCannotCreateTheProcessLeavesNothingBehind) {
    TempFolder folder(L"tlvr-runner-missing");
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    HelperStartRequest request;
    request.application = folder.path() / L"missing.exe";
    request.commandLine = L"missing.exe";
    request.workingDirectory = folder.path();
    request.logPath = folder.path() / L"run.log";
    UniqueHandle job;
    bool entered = false;
    EXPECT_EQ(StartHelperProcess(request, job, [&] { entered = true; }), HelperStartResult::StartFailed);
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_FALSE(job.valid());
    EXPECT_FALSE(entered);
    EXPECT_EQ(handlesAfter, handlesBefore);
}

TEST(HelperProcess, AnUnwritableLogStillDeliversLinesAndTheExitCode) {
    HelperRun run;
    // The log's folder does not exist: the file cannot be opened.
    ASSERT_EQ(run.Start(L"o:x\\n exit:2", true, run.log().parent_path() / L"gone" / L"run.log"),
              HelperStartResult::Started);
    ASSERT_TRUE(run.WaitForFinish());
    EXPECT_EQ(run.seen().lines, std::vector<std::wstring>{L"x"});
    EXPECT_EQ(run.seen().exitCode, 2u);
}

namespace {
// Refuses posts in bursts, as a full queue on Windows would.
std::atomic<int> g_postCalls{0};
BOOL FlakyPost(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const int call = g_postCalls++;
    // Among the first posts only every third one is taken, and a long run of them is refused.
    if (call < 1200 && (call % 3 != 0 || (call > 300 && call < 340))) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return PostMessageW(hwnd, message, wParam, lParam);
}
}  // namespace

TEST(HelperProcess, RefusedPostsLoseNoLineAndNoFinishedMessage) {
    g_postCalls = 0;
    SetHelperPostFunctionForTesting(FlakyPost);
    HelperRun run;
    ASSERT_EQ(run.Start(L"lines:600 o:last exit:5"), HelperStartResult::Started);
    const bool finished = run.WaitForFinish(std::chrono::seconds(60));
    SetHelperPostFunctionForTesting(nullptr);
    ASSERT_TRUE(finished);
    EXPECT_GT(g_postCalls.load(), 602) << "some posts must have been refused";
    ASSERT_EQ(run.seen().lines.size(), 601u);
    for (int n = 1; n <= 600; ++n) {
        ASSERT_EQ(run.seen().lines[static_cast<size_t>(n - 1)], L"line " + std::to_wstring(n));
    }
    EXPECT_EQ(run.seen().lines.back(), L"last");
    EXPECT_EQ(run.seen().exitCode, 5u);
}

TEST(HelperProcess, LinesQueuedForAWindowThatIsDestroyedAreFreed) {
    const long before = LiveHelperLinesForTesting();
    HelperRun run;
    ASSERT_EQ(run.Start(L"lines:50 exit:0"), HelperStartResult::Started);
    // Nothing is taken: every line and then the finished message wait in the queue.
    MSG finished = {};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!PeekMessageW(&finished, run.window(), kFinished, kFinished, PM_NOREMOVE) &&
           std::chrono::steady_clock::now() < end) {
        Sleep(20);
    }
    ASSERT_EQ(finished.message, kFinished) << "the run did not end";
    EXPECT_EQ(LiveHelperLinesForTesting() - before, 50);
    run.DestroyCollector();
    const auto freed = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (LiveHelperLinesForTesting() != before && std::chrono::steady_clock::now() < freed) Sleep(20);
    EXPECT_EQ(LiveHelperLinesForTesting() - before, 0) << "lines of a destroyed window were leaked";
}
