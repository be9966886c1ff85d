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
#include "texts/texts.h"

namespace {
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

std::wstring ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

void SetStatus(const char* key) { SetInstallerStatus(key); }

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
    SetWindowTextW(r.closeButton, Text("install.stop").c_str());
    r.pendingLog.Clear();
    SetWindowTextW(r.logBox, L"");
    SendMessageW(r.progressBar, PBM_SETPOS, 0, 0);
    SetStatus("install.status.running");
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
    SetWindowTextW(r.closeButton, Text("install.close").c_str());
    if (exitCode != 0 || r.stopRequested) {
        r.completed = false;
        SetStatus(r.stopRequested ? "install.status.stopped" : "install.status.failed");
        return;
    }
    r.completed = true;
    SendMessageW(r.progressBar, PBM_SETPOS, kFinishedProgress, 0);
    SetStatus("install.status.complete");
    SetWindowTextW(r.installButton, Text("install.open_launcher").c_str());
}
}  // namespace

void StartInstallationRun() {
    InstallerRecord& r = g_installer;
    if (r.running) return;
    const std::wstring rom1 = ControlText(r.romEdits[0]);
    const std::wstring rom2 = ControlText(r.romEdits[1]);
    if (rom1.empty() && rom2.empty()) {
        SetStatus("install.status.no_rom_folder");
        return;
    }
    r.destination = ControlText(r.destinationEdit);
    if (r.destination.empty()) {
        SetStatus("install.status.no_destination");
        return;
    }
    const std::filesystem::path script = r.root / L"scripts" / L"install.ps1";
    if (!ScriptExists(script)) {
        SetStatus("install.status.script_missing");
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
        SetStatus("install.status.pipe_failed");
        break;
    case HelperStartResult::StartFailed:
        SetStatus("install.status.start_failed");
        break;
    case HelperStartResult::JobFailed:
        SetStatus("install.status.job_failed");
        break;
    }
}

void StopInstallationRun() {
    InstallerRecord& r = g_installer;
    // Once the script's end has come there is nothing left to stop.
    if (!r.running || !r.job || r.finishing) return;
    r.stopRequested = true;
    CancelHelperProcess(r.job.get(), kCancelExitCode);
    SetStatus("install.status.stopping");
    EnableWindow(r.closeButton, FALSE);
}

void OnInstallerLine(LPARAM lParam) {
    InstallerRecord& r = g_installer;
    const std::wstring line = TakeHelperLine(lParam);
    r.pendingLog.AddLine(line);
    if (const std::optional<StageReport> stage = ReadStageLine(line)) {
        SendMessageW(r.progressBar, PBM_SETPOS, static_cast<WPARAM>(stage->progress), 0);
        SetInstallerStageStatus(stage->status);
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
