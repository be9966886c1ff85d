#pragma once
// Windows ending the session (sign-out, restart, shut-down) while the Launcher runs. A run that
// must not be cut short (an installation, an update download, the update-apply run) holds the
// session: the query is answered "no" and Windows shows the player why. If the session ends
// anyway the held runs are stopped as their Stop buttons stop them, and each log says so.
// The decisions are pure; the rest keeps the process's holds.
#include <windows.h>

#include <filesystem>
#include <string>

enum class HeldRun { Installation, Update };
inline constexpr int kHeldRunCount = 2;

struct SessionHolds {
    bool held[kHeldRunCount] = {};
    bool any() const { return held[0] || held[1]; }
};

// The reason Windows shows on its "programs need to close" screen, empty when nothing holds.
// An installation is named before an update: it is the longer of the two to lose.
std::wstring SessionBlockReason(const SessionHolds& holds);

// What a window does with WM_QUERYENDSESSION and WM_ENDSESSION.
struct SessionEndAnswer {
    LRESULT result = 0;
    bool stopHeldRuns = false;  // the session ends although runs hold it
    bool finishWork = false;    // the session ends: save what waits, record what runs
};
// `handled` is false for any other message.
SessionEndAnswer DecideSessionEnd(UINT message, WPARAM wParam, const SessionHolds& holds, bool* handled);

using StopHeldRun = void (*)();
// Holds the session for `run` on `window`'s top-level owner (Windows names that window on its
// screen) until ReleaseSession; `stop` is called once if the session ends anyway.
void HoldSession(HWND window, HeldRun run, StopHeldRun stop);
void ReleaseSession(HeldRun run);
bool SessionHeldBy(HeldRun run);

// Any top-level window of the process offers WM_QUERYENDSESSION and WM_ENDSESSION here first:
// true when it was one of them, with the answer in `result`. `finishWork` (may be null) tells
// the home window to save and record what it holds.
bool AnswerSessionEnd(UINT message, WPARAM wParam, LRESULT* result, bool* finishWork);
// True once Windows ended the session: the runs' end handlers then start nothing new (no
// recovery, no clean-up), as after a kill.
bool SessionHasEnded();

// The line a held run's log gets when the session ends anyway.
std::wstring SessionEndLogLine(HeldRun run);
// Appends one line (UTF-8, CRLF) to a log file; a failure is ignored, the box has the line.
void AppendLineToLogFile(const std::filesystem::path& file, const std::wstring& line);

// ShutdownBlockReasonCreate / Destroy; tests record them here (Wine has only stubs), null puts
// back the system's own.
using BlockReasonCreate = BOOL(WINAPI*)(HWND window, LPCWSTR reason);
using BlockReasonDestroy = BOOL(WINAPI*)(HWND window);
void SetBlockReasonCallsForTesting(BlockReasonCreate create, BlockReasonDestroy destroy);
// Forgets every hold and the session's end (tests only).
void ResetSessionEndForTesting();
