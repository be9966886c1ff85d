#pragma once
// Runs a helper program (the installation script, an update job) hidden, with no input, under a
// kill-on-close job object. Everything it writes to standard output and error goes through one
// pipe into a log file and, line by line, into a window of ours as posted messages.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/win_owners.h"

struct HelperStartRequest {
    std::filesystem::path application;  // absolute
    std::wstring commandLine;           // program first, each argument already quoted
    std::filesystem::path workingDirectory;
    std::filesystem::path logPath;      // appended to; created when missing
    HWND target = nullptr;              // receives the line and finished messages
    UINT lineMessage = 0;               // wParam 0, lParam = HelperLine* (see TakeHelperLine)
    UINT finishedMessage = 0;           // wParam = exit code, lParam 0; always the last message
    bool stripCarriageReturn = true;    // drop one CR before each LF
    bool postRest = true;               // post unterminated trailing bytes as a last line
};

enum class HelperStartResult { Started, PipeFailed, StartFailed, JobFailed };

// Starts the child suspended, assigns it to a new job, calls `enterRunning` (the caller's
// bookkeeping: busy flag, controls, status) and only then lets the child run. On Started, `job`
// holds the job object: the caller keeps it for Cancel and closes it when the finished message
// arrives. Every failure leaves no handle open and no thread running.
HelperStartResult StartHelperProcess(const HelperStartRequest& request, UniqueHandle& job,
                                     const std::function<void()>& enterRunning);

// Ends the child and everything it started; the finished message then carries `exitCode`.
bool CancelHelperProcess(HANDLE job, UINT exitCode);

// A line message's text. The receiver owns it once the message arrives: take it exactly once.
// Lines a window never took because it was destroyed first are freed by their reader.
std::wstring TakeHelperLine(LPARAM lParam);

// How the reader posts to the window. Tests replace it to make posting fail for a while, as a full
// message queue does on Windows; null restores PostMessageW.
using HelperPostFunction = BOOL (*)(HWND, UINT, WPARAM, LPARAM);
void SetHelperPostFunctionForTesting(HelperPostFunction post);
// Lines allocated by readers and not yet taken or freed.
long LiveHelperLinesForTesting();
