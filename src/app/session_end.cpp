#include "app/session_end.h"

#include "app/win_owners.h"
#include "texts/texts.h"

namespace {
constexpr wchar_t kInstallationStoppedLine[] =
    L"Windows is ending the session: the installation was stopped. Your original ROMs are unchanged.";
constexpr wchar_t kUpdateStoppedLine[] =
    L"Windows is ending the session: the update was stopped. The next start finishes or undoes it.";

struct HeldSession {
    SessionHolds holds;
    HWND windows[kHeldRunCount] = {};
    StopHeldRun stops[kHeldRunCount] = {};
    bool ended = false;
    BlockReasonCreate create = nullptr;
    BlockReasonDestroy destroy = nullptr;
};
HeldSession g_session;  // GUI thread only

int Index(HeldRun run) { return static_cast<int>(run); }

// user32 of Windows 7 and later has both; looked up rather than imported so that a system
// without them (or a Wine with stubs) simply shows no reason.
template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

BlockReasonCreate CreateCall() {
    return g_session.create ? g_session.create : User32Function<BlockReasonCreate>("ShutdownBlockReasonCreate");
}

BlockReasonDestroy DestroyCall() {
    return g_session.destroy ? g_session.destroy : User32Function<BlockReasonDestroy>("ShutdownBlockReasonDestroy");
}

// Gives `window` the reason of the runs it holds for, or takes its reason away.
void ShowReason(HWND window) {
    if (!window) return;
    SessionHolds onWindow;
    for (int i = 0; i < kHeldRunCount; ++i) onWindow.held[i] = g_session.holds.held[i] && g_session.windows[i] == window;
    if (const std::wstring reason = SessionBlockReason(onWindow); !reason.empty()) {
        if (BlockReasonCreate create = CreateCall()) create(window, reason.c_str());
    } else if (BlockReasonDestroy destroy = DestroyCall()) {
        destroy(window);
    }
}
}  // namespace

std::wstring SessionBlockReason(const SessionHolds& holds) {
    if (holds.held[Index(HeldRun::Installation)]) return Text("session_end.reason.installing");
    if (holds.held[Index(HeldRun::Update)]) return Text("session_end.reason.updating");
    return {};
}

SessionEndAnswer DecideSessionEnd(UINT message, WPARAM wParam, const SessionHolds& holds, bool* handled) {
    SessionEndAnswer answer;
    *handled = true;
    if (message == WM_QUERYENDSESSION) {
        answer.result = holds.any() ? FALSE : TRUE;
    } else if (message == WM_ENDSESSION) {
        // FALSE: someone refused and the session goes on; nothing to do.
        answer.finishWork = wParam != FALSE;
        answer.stopHeldRuns = answer.finishWork && holds.any();
    } else {
        *handled = false;
    }
    return answer;
}

void HoldSession(HWND window, HeldRun run, StopHeldRun stop) {
    HWND top = window ? GetAncestor(window, GA_ROOTOWNER) : nullptr;
    const int i = Index(run);
    HWND before = g_session.windows[i];
    g_session.holds.held[i] = true;
    g_session.windows[i] = top ? top : window;
    g_session.stops[i] = stop;
    if (before && before != g_session.windows[i]) ShowReason(before);
    ShowReason(g_session.windows[i]);
}

void ReleaseSession(HeldRun run) {
    const int i = Index(run);
    if (!g_session.holds.held[i]) return;
    g_session.holds.held[i] = false;
    g_session.stops[i] = nullptr;
    // The window may be gone already (its destruction ended the run): then so is its reason.
    if (IsWindow(g_session.windows[i])) ShowReason(g_session.windows[i]);
    g_session.windows[i] = nullptr;
}

bool SessionHeldBy(HeldRun run) { return g_session.holds.held[Index(run)]; }

bool AnswerSessionEnd(UINT message, WPARAM wParam, LRESULT* result, bool* finishWork) {
    bool handled = false;
    const SessionEndAnswer answer = DecideSessionEnd(message, wParam, g_session.holds, &handled);
    if (!handled) return false;
    *result = answer.result;
    if (finishWork) *finishWork = answer.finishWork && !g_session.ended;
    if (answer.finishWork) {
        // Every top-level window hears it; the runs are stopped once.
        const bool first = !g_session.ended;
        g_session.ended = true;
        if (first && answer.stopHeldRuns) {
            for (int i = 0; i < kHeldRunCount; ++i) {
                if (g_session.holds.held[i] && g_session.stops[i]) g_session.stops[i]();
            }
        }
    }
    return true;
}

bool SessionHasEnded() { return g_session.ended; }

std::wstring SessionEndLogLine(HeldRun run) {
    return run == HeldRun::Installation ? kInstallationStoppedLine : kUpdateStoppedLine;
}

void AppendLineToLogFile(const std::filesystem::path& file, const std::wstring& line) {
    if (file.empty()) return;
    const std::wstring withEnd = line + L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return;
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), bytes.data(), size, nullptr,
                        nullptr);
    const UniqueHandle handle(CreateFileW(file.c_str(), FILE_APPEND_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return;
    DWORD written = 0;
    WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(handle.get());  // the process may be ended the moment the message returns
}

void SetBlockReasonCallsForTesting(BlockReasonCreate create, BlockReasonDestroy destroy) {
    g_session.create = create;
    g_session.destroy = destroy;
}

void ResetSessionEndForTesting() {
    const BlockReasonCreate create = g_session.create;
    const BlockReasonDestroy destroy = g_session.destroy;
    g_session = HeldSession{};
    g_session.create = create;
    g_session.destroy = destroy;
}
