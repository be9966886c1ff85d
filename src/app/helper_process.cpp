#include "app/helper_process.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/output_lines.h"

namespace {
std::atomic<HelperPostFunction> g_post{nullptr};

BOOL Post(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    HelperPostFunction post = g_post.load();
    return post ? post(target, message, wParam, lParam) : PostMessageW(target, message, wParam, lParam);
}

// A line on its way to a window: what a line message's lParam points to.
std::atomic<long> g_liveLines{0};
struct HelperLine {
    explicit HelperLine(std::wstring line) : text(std::move(line)) { ++g_liveLines; }
    ~HelperLine() { --g_liveLines; }
    HelperLine(const HelperLine&) = delete;
    HelperLine& operator=(const HelperLine&) = delete;
    std::wstring text;
};

// Lines posted and not yet taken, with their window. Windows drops the posted messages of a
// window that is destroyed, so a line whose window went first would otherwise never be freed.
struct PostedLines {
    std::mutex mutex;
    std::unordered_map<HelperLine*, HWND> lines;
};
// Never destroyed: a reader may still post while the process ends.
PostedLines& Posted() {
    static PostedLines* posted = new PostedLines;
    return *posted;
}

bool PostOnce(HWND target, UINT message, WPARAM wParam, HelperLine* line) {
    if (!line) return Post(target, message, wParam, 0) != FALSE;
    // Registered before the post, under the lock the taker takes: the window never sees a line
    // the registry does not know.
    PostedLines& posted = Posted();
    std::lock_guard<std::mutex> lock(posted.mutex);
    posted.lines.emplace(line, target);
    if (Post(target, message, wParam, reinterpret_cast<LPARAM>(line))) return true;
    posted.lines.erase(line);
    return false;
}

// Windows keeps at most 10,000 posted messages in a queue and refuses more. A fast helper can
// outrun the window, so a refused post waits and tries again for as long as the window exists:
// a lost line would be missing from the log box, a lost finished message would leave the owner
// busy forever. Only a window that is gone makes the reader give up.
bool PostUntilTaken(HWND target, UINT message, WPARAM wParam, HelperLine* line = nullptr) {
    DWORD pause = 1;
    while (!PostOnce(target, message, wParam, line)) {
        if (!IsWindow(target)) return false;
        Sleep(pause);
        if (pause < 32) pause *= 2;
    }
    return true;
}

// The reader's last duty: it stays until its window has taken every line posted to it, or is
// gone, and frees what a gone window left.
void FreeLinesWhenTheWindowGoes(HWND target) {
    for (;;) {
        {
            PostedLines& posted = Posted();
            std::lock_guard<std::mutex> lock(posted.mutex);
            const bool gone = !IsWindow(target);
            bool waiting = false;
            for (auto entry = posted.lines.begin(); entry != posted.lines.end();) {
                if (entry->second == target && gone) {
                    delete entry->first;
                    entry = posted.lines.erase(entry);
                    continue;
                }
                waiting = waiting || entry->second == target;
                ++entry;
            }
            if (!waiting) return;
        }
        Sleep(50);
    }
}

struct ReaderRecord {
    UniqueHandle readEnd;
    UniqueHandle process;
    HWND target = nullptr;
    UINT lineMessage = 0;
    UINT finishedMessage = 0;
    bool stripCarriageReturn = true;
    bool postRest = true;
    std::filesystem::path logPath;
};

void PostLine(const ReaderRecord& record, const std::string& bytes) {
    auto line = std::make_unique<HelperLine>(DecodeOutputLine(bytes));
    if (PostUntilTaken(record.target, record.lineMessage, 0, line.get())) {
        line.release();  // the window takes it, or the reader frees it once the window is gone
    }
}

void ReadHelperOutput(std::unique_ptr<ReaderRecord> record) noexcept {
    // Appending, shared with anybody: earlier runs' output stays above.
    UniqueHandle log(CreateFileW(record->logPath.c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string pending;
    std::vector<std::string> lines;
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(record->readEnd.get(), buffer, sizeof(buffer), &got, nullptr) || got == 0) break;
        if (log) {
            DWORD written = 0;
            WriteFile(log.get(), buffer, got, &written, nullptr);
        }
        lines.clear();
        try {
            TakeCompleteLines(pending, buffer, got, record->stripCarriageReturn, lines);
            for (const std::string& line : lines) PostLine(*record, line);
        } catch (const std::bad_alloc&) {
            pending.clear();  // out of memory: the log keeps the bytes, the window misses them
        }
    }
    if (record->postRest && !pending.empty()) {
        try {
            PostLine(*record, pending);
        } catch (const std::bad_alloc&) {
        }
    }
    record->readEnd.reset();
    WaitForSingleObject(record->process.get(), INFINITE);
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(record->process.get(), &exitCode)) exitCode = 1;
    record->process.reset();
    PostUntilTaken(record->target, record->finishedMessage, exitCode);
    FreeLinesWhenTheWindowGoes(record->target);
}
}  // namespace

HelperStartResult StartHelperProcess(const HelperStartRequest& request, UniqueHandle& job,
                                     const std::function<void()>& enterRunning) {
    job.reset();
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) return HelperStartResult::PipeFailed;
    // Only the child's end is inherited; our end would keep the pipe open after the child ends.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    UniqueHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();

    UniqueHandle newJob(CreateJobObjectW(nullptr, nullptr));
    bool limited = false;
    if (newJob) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        limited = SetInformationJobObject(newJob.get(), JobObjectExtendedLimitInformation, &limits,
                                          sizeof(limits)) != FALSE;
    }
    PROCESS_INFORMATION info = {};
    bool created = false;
    if (limited) {
        std::wstring commandLine = request.commandLine;  // CreateProcessW may write into it
        const std::wstring folder = request.workingDirectory.wstring();
        created = CreateProcessW(request.application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                 CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                                 folder.empty() ? nullptr : folder.c_str(), &startup, &info) != FALSE;
    }
    writeEnd.reset();
    input.reset();
    if (!created) return HelperStartResult::StartFailed;  // owners close the read end and the job

    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (!AssignProcessToJobObject(newJob.get(), process.get())) {
        TerminateProcess(process.get(), 1);
        return HelperStartResult::JobFailed;
    }

    auto record = std::make_unique<ReaderRecord>();
    record->target = request.target;
    record->lineMessage = request.lineMessage;
    record->finishedMessage = request.finishedMessage;
    record->stripCarriageReturn = request.stripCarriageReturn;
    record->postRest = request.postRest;
    record->logPath = request.logPath;

    job = std::move(newJob);
    if (enterRunning) enterRunning();
    ResumeThread(thread.get());
    thread.reset();

    record->readEnd = std::move(readEnd);
    record->process = std::move(process);
    try {
        std::thread(ReadHelperOutput, std::move(record)).detach();
    } catch (const std::system_error&) {
        // No reader: end the child and tell the owner as the reader would have, so it does not
        // stay busy waiting for a finished message that never comes.
        TerminateJobObject(job.get(), 1);
        Post(request.target, request.finishedMessage, 1, 0);
    }
    return HelperStartResult::Started;
}

bool CancelHelperProcess(HANDLE job, UINT exitCode) {
    return job && TerminateJobObject(job, exitCode) != FALSE;
}

std::wstring TakeHelperLine(LPARAM lParam) {
    auto* taken = reinterpret_cast<HelperLine*>(lParam);
    std::unique_ptr<HelperLine> line;
    {
        PostedLines& posted = Posted();
        std::lock_guard<std::mutex> lock(posted.mutex);
        if (posted.lines.erase(taken) == 0) return {};  // not a line of ours, or already freed
        line.reset(taken);
    }
    return std::move(line->text);
}

long LiveHelperLinesForTesting() { return g_liveLines.load(); }

void SetHelperPostFunctionForTesting(HelperPostFunction post) { g_post.store(post); }
