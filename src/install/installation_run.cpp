// The installation run: checks the inputs, runs the package's installation script under
// Windows PowerShell as a helper process, shows its output and stage progress, and reports the end.
#include <windows.h>
#include <commctrl.h>

#include <system_error>

#include "app/helper_process.h"
#include "app/launcher_state.h"
#include "app/session_end.h"
#include "install/installation_command.h"
#include "install/installer_record.h"

namespace {
constexpr wchar_t kNoRomFolderText[] = L"Select at least one folder containing your compatible ROMs.";
constexpr wchar_t kNoDestinationText[] = L"Choose a new empty installation folder.";
constexpr wchar_t kScriptMissingText[] =
    L"Installer files are missing. Extract the complete release ZIP and try again.";
constexpr wchar_t kPipeFailedText[] = L"Could not create the installation log pipe.";
constexpr wchar_t kStartFailedText[] = L"Could not start PowerShell. Check permissions and extract the full package.";
constexpr wchar_t kJobFailedText[] = L"Could not create a cancellable installation process.";
constexpr wchar_t kRunningText[] =
    L"Installing from your ROMs. Microsoft C++ tools may request administrator approval.";
constexpr wchar_t kStoppingText[] = L"Stopping installation. Your original ROM folders will be kept.";
constexpr wchar_t kStoppedText[] =
    L"Installation stopped. Your original ROMs are unchanged. You can retry in this installation folder.";
constexpr wchar_t kFailedText[] =
    L"Installation failed. Read the log above, correct the problem and retry. Your original ROMs are unchanged.";
constexpr wchar_t kCompleteText[] = L"Installation complete. Your games are ready in the installed launcher.";
constexpr wchar_t kStopText[] = L"Stop installation";
constexpr wchar_t kCloseText[] = L"Close";
constexpr wchar_t kOpenLauncherText[] = L"Open launcher";
constexpr UINT kCancelExitCode = 130;
constexpr int kFinishedProgress = 100;
// Log text reaches the box at least this often while lines keep coming, and this long after
// the last one. An append costs about the same for one line as for dozens (the box redraws its
// scroll bar each time), so a fast script's lines go in a few larger appends a second; but one
// append of a great deal of text keeps the window from answering, so each takes a bounded part
// and the rest follows at once.
constexpr ULONGLONG kLogFlushPeriodMs = 100;
constexpr UINT kBacklogPeriodMs = USER_TIMER_MINIMUM;
constexpr size_t kAppendLimit = 8192;

std::wstring Text(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

void SetStatus(const wchar_t* text) { SetWindowTextW(g_installer.statusText, text); }

void EnableInputs(bool enable) {
    for (HWND input : g_installer.inputs) EnableWindow(input, enable);
    EnableWindow(g_installer.installButton, enable);
}

bool ScriptExists(const std::filesystem::path& script) {
    std::error_code error;
    return std::filesystem::exists(script, error) && !error;  // unreadable counts as missing
}

std::filesystem::path SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length < MAX_PATH ? length : 0);
}

void StopForSessionEnd();

// The window's running state, entered before the script is let run.
void EnterRunning() {
    InstallerRecord& r = g_installer;
    r.running = true;
    r.stopRequested = false;
    r.completed = false;
    EnableInputs(false);
    SetWindowTextW(r.closeButton, kStopText);
    r.pendingLog.Clear();
    SetWindowTextW(r.logBox, L"");
    SendMessageW(r.progressBar, PBM_SETPOS, 0, 0);
    SetStatus(kRunningText);
    HoldSession(r.window, HeldRun::Installation, StopForSessionEnd);
}

void SetFlushTimer(UINT period) {
    InstallerRecord& r = g_installer;
    if (r.flushTimerPeriod == period) return;
    r.flushTimerPeriod = SetTimer(r.window, kLogFlushTimerId, period, nullptr) ? period : 0;
}

void StopFlushTimer() {
    InstallerRecord& r = g_installer;
    if (r.flushTimerPeriod) KillTimer(r.window, kLogFlushTimerId);
    r.flushTimerPeriod = 0;
}

// Hands one bounded part of the waiting log text to the box; true while more waits.
bool FlushLogPart() {
    InstallerRecord& r = g_installer;
    return r.pendingLog.FlushTo(r.logBox, r.logFile, GetTickCount64(), kAppendLimit);
}

// Windows ends the session although the run held it: stopped as Stop stops it, and the log
// (box and file) says why, since the player may never see the window again.
void StopForSessionEnd() {
    InstallerRecord& r = g_installer;
    const std::wstring line = SessionEndLogLine(HeldRun::Installation);
    r.pendingLog.AddLine(line);
    while (FlushLogPart()) {
    }
    StopInstallationRun();
    AppendLineToLogFile(r.logFile, line);
}

void ReportEnd(DWORD exitCode) {
    InstallerRecord& r = g_installer;
    r.finishing = false;
    r.running = false;
    ReleaseSession(HeldRun::Installation);
    r.job.reset();
    EnableInputs(true);
    EnableWindow(r.closeButton, TRUE);
    SetWindowTextW(r.closeButton, kCloseText);
    if (exitCode != 0 || r.stopRequested) {
        r.completed = false;
        SetStatus(r.stopRequested ? kStoppedText : kFailedText);
        return;
    }
    r.completed = true;
    SendMessageW(r.progressBar, PBM_SETPOS, kFinishedProgress, 0);
    SetStatus(kCompleteText);
    SetWindowTextW(r.installButton, kOpenLauncherText);
}
}  // namespace

void StartInstallationRun() {
    InstallerRecord& r = g_installer;
    if (r.running) return;
    const std::wstring rom1 = Text(r.romEdits[0]);
    const std::wstring rom2 = Text(r.romEdits[1]);
    if (rom1.empty() && rom2.empty()) {
        SetStatus(kNoRomFolderText);
        return;
    }
    r.destination = Text(r.destinationEdit);
    if (r.destination.empty()) {
        SetStatus(kNoDestinationText);
        return;
    }
    const std::filesystem::path script = r.root / L"scripts" / L"install.ps1";
    if (!ScriptExists(script)) {
        SetStatus(kScriptMissingText);
        return;
    }

    HelperStartRequest request;
    request.application = PowerShellPath(SystemFolder());
    request.commandLine = InstallationCommandLine(request.application, script, r.destination, rom1, rom2);
    request.workingDirectory = r.root;
    request.logPath = r.root / L".local" / (std::wstring(L"install-") + kVersionText + L".log");
    r.logFile = request.logPath;
    request.target = r.window;
    request.lineMessage = kInstallerLineMessage;
    request.finishedMessage = kInstallerFinishedMessage;
    request.stripCarriageReturn = true;
    request.postRest = true;
    switch (StartHelperProcess(request, r.job, EnterRunning)) {
    case HelperStartResult::Started:
        break;
    case HelperStartResult::PipeFailed:
        SetStatus(kPipeFailedText);
        break;
    case HelperStartResult::StartFailed:
        SetStatus(kStartFailedText);
        break;
    case HelperStartResult::JobFailed:
        SetStatus(kJobFailedText);
        break;
    }
}

void StopInstallationRun() {
    InstallerRecord& r = g_installer;
    // Once the script's end has come there is nothing left to stop.
    if (!r.running || !r.job || r.finishing) return;
    r.stopRequested = true;
    CancelHelperProcess(r.job.get(), kCancelExitCode);
    SetStatus(kStoppingText);
    EnableWindow(r.closeButton, FALSE);
}

void OnInstallerLine(LPARAM lParam) {
    InstallerRecord& r = g_installer;
    const std::wstring line = TakeHelperLine(lParam);
    r.pendingLog.AddLine(line);
    if (const std::optional<StageReport> stage = ReadStageLine(line)) {
        SendMessageW(r.progressBar, PBM_SETPOS, static_cast<WPARAM>(stage->progress), 0);
        SetStatus(stage->status.c_str());
    }
    // A steady stream of posted lines keeps timer messages away, so the stream itself hands the
    // text over when it is due or has grown; the timer takes what is left once the lines stop.
    const bool more = r.pendingLog.size() >= kAppendLimit || r.pendingLog.Due(GetTickCount64(), kLogFlushPeriodMs)
                          ? FlushLogPart()
                          : !r.pendingLog.empty();
    if (more) {
        SetFlushTimer(static_cast<UINT>(kLogFlushPeriodMs));
    } else {
        StopFlushTimer();
    }
}

void OnLogFlushTimer() {
    InstallerRecord& r = g_installer;
    if (FlushLogPart()) {
        if (r.finishing) SetFlushTimer(kBacklogPeriodMs);
        return;
    }
    StopFlushTimer();
    if (r.finishing) ReportEnd(r.finishedCode);
}

void OnInstallerFinished(WPARAM exitCode) {
    InstallerRecord& r = g_installer;
    // Every line is in the box before the end is reported; a long backlog goes in parts first,
    // with the window answering between them.
    if (FlushLogPart()) {
        r.finishing = true;
        r.finishedCode = static_cast<DWORD>(exitCode);
        SetFlushTimer(kBacklogPeriodMs);
        return;
    }
    StopFlushTimer();
    ReportEnd(static_cast<DWORD>(exitCode));
}
