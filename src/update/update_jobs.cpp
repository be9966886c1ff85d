// Running update jobs through the helper process runner and taking in what they report.
#include <system_error>

#include "app/helper_process.h"
#include "app/session_end.h"
#include "update/update_apply_run.h"
#include "update/update_protocol.h"
#include "update/update_result_file.h"
#include "update/update_state.h"
#include "update/updates_window.h"

namespace fs = std::filesystem;

UpdateState g_update;

namespace {

std::wstring JobExtra(const std::wstring& job) {
    if (job == L"prepare") return g_update.asset;
    return g_update.jobFolder.wstring();
}

void OnJobLine(const std::wstring& line) {
    if (IsApplyLine(line)) {
        g_update.applyStarted = true;
        RefreshUpdateButtons();
    }
    if (const auto progress = ProgressText(line)) SetUpdateStatus(*progress);
    AppendUpdateLog(line);
}

// A download being staged holds the session (a check changes nothing and does not); the
// update-apply run holds it for its whole life, see update_apply_run.cpp.
bool HoldsSession(const std::wstring& job) { return !g_update.applyMode && job == L"prepare"; }

// Windows ends the session during a download: stopped as Close stops it, and the log says so.
void StopPrepareForSessionEnd() {
    const std::wstring line = SessionEndLogLine(HeldRun::Update);
    AppendUpdateLog(line);
    g_update.cancelRequested = true;
    CancelUpdateJob();
    AppendLineToLogFile(g_update.logFile, line);
}

void OnJobFinished(DWORD exitCode) {
    g_update.busy = false;
    g_update.applyStarted = false;
    g_update.job.reset();
    if (HoldsSession(g_update.currentJob)) ReleaseSession(HeldRun::Update);
    // The session is over: what a kill would leave stays for the next start.
    if (SessionHasEnded()) return;
    const std::wstring state = ReadUpdateResult(g_update.resultFile, L"state");
    if (g_update.applyMode) {
        OnApplyJobFinished(exitCode);
    } else {
        OnNormalJobFinished(exitCode, state);
    }
}
}  // namespace

void SetUpdateRoot(const fs::path& root) {
    g_update.root = root;
    g_update.interpreter = root / L".tools" / L"python" / L"python.exe";
    g_update.script = root / L"tools" / L"update_release.py";
}

void RunUpdateJob(const std::wstring& job) {
    if (g_update.busy) return;
    const fs::path folder = g_update.applyMode ? g_update.jobFolder : UpdatesFolder();
    g_update.resultFile = folder / L"result.ini";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) {
        ShowUpdateStatus("updates.status.no_write_permission");
        return;
    }
    fs::remove(g_update.resultFile, error);  // a stale result must not speak for this job

    const UpdateJobPaths paths{g_update.interpreter, g_update.script, g_update.root, g_update.resultFile};
    HelperStartRequest request;
    request.application = g_update.interpreter;
    request.commandLine = UpdateJobCommandLine(paths, job, JobExtra(job));
    request.workingDirectory = g_update.root;
    request.logPath = folder / L"update.log";
    g_update.logFile = request.logPath;
    request.target = g_update.owner ? g_update.owner : UpdatesWindow();
    request.lineMessage = kUpdateLineMessage;
    request.finishedMessage = kUpdateFinishedMessage;
    // A carriage return stays in the line; an unterminated tail reaches the log only.
    request.stripCarriageReturn = false;
    request.postRest = false;

    const HelperStartResult result = StartHelperProcess(request, g_update.job, [&job, &request] {
        g_update.busy = true;
        g_update.currentJob = job;
        g_update.applyStarted = false;
        if (HoldsSession(job)) HoldSession(request.target, HeldRun::Update, StopPrepareForSessionEnd);
        RefreshUpdateButtons();
    });
    switch (result) {
    case HelperStartResult::Started:
        break;
    case HelperStartResult::PipeFailed:
        ShowUpdateStatus("updates.status.pipe_failed");
        break;
    case HelperStartResult::StartFailed:
        ShowUpdateStatus("updates.status.start_failed");
        break;
    case HelperStartResult::JobFailed:
        ShowUpdateStatus("updates.status.job_failed");
        break;
    }
}

void CancelUpdateJob() {
    if (g_update.job) CancelHelperProcess(g_update.job.get(), kUpdateCancelExitCode);
}

bool UpdateMessageFilter(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kUpdateLineMessage) {
        try {
            OnJobLine(TakeHelperLine(lParam));
        } catch (const std::exception&) {
            // Only allocation can throw here; the line is lost, the job goes on.
        }
        return true;
    }
    if (message == kUpdateFinishedMessage) {
        try {
            OnJobFinished(static_cast<DWORD>(wParam));
        } catch (const std::exception&) {
            // Allocation only; the job has already been marked as ended.
        }
        return true;
    }
    return false;
}
