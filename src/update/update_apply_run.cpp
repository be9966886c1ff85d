// The update-apply run: waits for the Launcher that handed over to end and for the installation
// lock, runs "apply" (or "recover"), falls back to recovery or clean-up, and starts the Launcher
// of the installation again.
#include "update/update_apply_run.h"

#include <shellapi.h>

#include <optional>
#include <system_error>

#include "app/file_probe.h"
#include "app/installation_lock.h"
#include "app/session_end.h"
#include "controls/pad_navigation.h"
#include "play/launcher_options.h"
#include "play/launcher_settings.h"
#include "texts/language_choice.h"
#include "texts/texts.h"
#include "ui/task_dialog.h"
#include "update/update_decisions.h"
#include "update/update_protocol.h"
#include "update/update_result_file.h"
#include "update/update_state.h"
#include "ui/memory_font.h"
#include "update/update_entry.h"
#include "update/updates_window.h"

namespace fs = std::filesystem;

namespace {
constexpr UINT_PTR kWaitTimerId = 1;
constexpr UINT kWaitPeriodMs = 100;
constexpr int kExitRefused = 2;

constexpr char kLockFailedText[] = "update_apply.lock_failed.body";
constexpr char kLockFailedCaption[] = "update_apply.lock_failed.title";
constexpr char kOldLauncherOpenText[] = "update_apply.status.old_launcher_open";
constexpr char kLockHeldText[] = "update_apply.status.lock_held";
constexpr char kRestoringText[] = "update_apply.status.restoring";
constexpr char kPreparingText[] = "update_apply.status.preparing";
constexpr char kCancelledText[] = "update_apply.status.cancelled";
constexpr char kCleanedUpText[] = "update_apply.status.cleaned_up";
constexpr char kRecoveryUnfinishedText[] = "update_apply.status.recovery_unfinished";
constexpr char kRemovingText[] = "update_apply.status.removing";
constexpr char kRestoredText[] = "update_apply.status.restored";
constexpr char kCompleteText[] = "update_apply.status.complete";
constexpr char kStoppingText[] = "update_apply.status.stopping";
constexpr char kOpenLauncherText[] = "update_apply.open_launcher";
constexpr char kRetryRecoveryText[] = "update_apply.retry_recovery";

HWND g_applyWindow = nullptr;

unsigned long long FileTimeValue(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The process that handed over, or nothing when it has gone (its id may belong to another
// process by now: only the same creation time counts).
UniqueHandle OpenOldLauncher(DWORD id, unsigned long long creationTime) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) return process;
    FILETIME creation = {}, exit = {}, kernel = {}, user = {};
    const unsigned long long actual =
        GetProcessTimes(process.get(), &creation, &exit, &kernel, &user) ? FileTimeValue(creation) : 0;
    if (actual != creationTime) process.reset();
    return process;
}

fs::path RunningExecutableFolder() {
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(length);
    return fs::path(buffer).parent_path();
}

void StopWaiting() { KillTimer(g_applyWindow, kWaitTimerId); }

// Windows ends the session although this run held it. The helper is ended where it stands and
// nothing else starts: the pending marker of a begun apply stays, and the next start recovers
// as after a kill. The log says so.
void StopForSessionEnd() {
    const std::wstring line = SessionEndLogLine(HeldRun::Update);
    AppendUpdateLog(line);
    StopWaiting();
    g_update.waitingForLock = false;
    CancelUpdateJob();
    AppendLineToLogFile(g_update.logFile.empty() ? g_update.jobFolder / L"update.log" : g_update.logFile, line);
}

void StartJob(const char* status, const wchar_t* job) {
    ShowUpdateStatus(status);
    RunUpdateJob(job);
    if (!g_update.busy) RefreshUpdateButtons();
}

void OpenLauncher() {
    if (g_update.lock) ReleaseInstallationLock(g_update.lock);
    const fs::path program = g_update.root / L"TalvaroOvraRecomp.exe";
    const std::wstring parameters =
        g_update.automation ? L"--qa-capture " + QuoteUpdateWord((g_update.jobFolder / L"updated-launcher.png").wstring())
                            : std::wstring();
    const std::wstring folder = g_update.root.wstring();
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    // The start is finished before the window goes and the process ends; a failure is told here,
    // in this window, not in a shell box.
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"open";
    execute.lpFile = program.c_str();
    execute.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    execute.lpDirectory = folder.c_str();
    execute.nShow = g_update.automation ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL;
    if (!ShellExecuteExW(&execute)) {
        // The window stays: the player learns where the launcher should be, and can try again.
        ShowUpdateStatus("update_apply.status.launcher_start_failed", {{"path", program.wstring()}});
        SetUpdateCancelButtonText(kOpenLauncherText);
        RefreshUpdateButtons();
        return;
    }
    if (g_applyWindow) DestroyWindow(g_applyWindow);
}
}  // namespace

void ApplyRunTick() {
    if (g_update.busy || !g_update.waitingForLock || SessionHasEnded()) return;
    if (g_update.oldProcess) {
        const bool running = WaitForSingleObject(g_update.oldProcess.get(), 0) != WAIT_OBJECT_0;
        const ApplyWaitStep step = NextWaitStepForOldLauncher(running, g_update.ticks);
        if (step == ApplyWaitStep::OldLauncherStillOpen) ShowUpdateStatus(kOldLauncherOpenText);
        if (step != ApplyWaitStep::TryLock) return;
        g_update.oldProcess.reset();
    }
    if (!TryAcquireInstallationLock(g_update.lock)) {
        if (NextWaitStepForLock(g_update.ticks) == ApplyWaitStep::LockStillHeld) {
            StopWaiting();
            ShowUpdateStatus(kLockHeldText);
        }
        return;
    }
    g_update.waitingForLock = false;
    StopWaiting();
    g_update.oldProcess.reset();
    if (g_update.recoverMode) {
        StartJob(kRestoringText, L"recover");
    } else {
        StartJob(kPreparingText, L"apply");
    }
}

void ApplyRunCancelCommand() {
    if (g_update.waitingForLock) {
        StopWaiting();
        DestroyWindow(g_applyWindow);  // nothing was changed
        return;
    }
    if (!g_update.busy) {
        if (g_update.finished) {
            OpenLauncher();
        } else {
            g_update.recoverMode = true;
            RunUpdateJob(L"recover");
        }
        return;
    }
    if (g_update.applyStarted) return;
    g_update.cancelRequested = true;
    ShowUpdateStatus(kStoppingText);
    EnableUpdateCancelButton(false);
    CancelUpdateJob();
}

void OnApplyJobFinished(DWORD exitCode) {
    switch (DecideApplyJobEnd(g_update.currentJob, exitCode, PathExists(PendingFile()), g_update.recoverMode)) {
    case ApplyJobOutcome::CleanedUp:
        g_update.finished = true;
        ShowUpdateStatus(g_update.cancelRequested ? kCancelledText : kCleanedUpText);
        SetUpdateCancelButtonText(kOpenLauncherText);
        break;
    case ApplyJobOutcome::StartRecover:
        g_update.recoverMode = true;
        g_update.cancelRequested = false;
        StartJob(kRestoringText, L"recover");
        return;
    case ApplyJobOutcome::RecoveryUnfinished: {
        g_update.finished = false;
        ShowUpdateStatus(kRecoveryUnfinishedText);
        SetUpdateCancelButtonText(kRetryRecoveryText);
        const std::wstring error = ReadUpdateResult(g_update.resultFile, L"error");
        if (!error.empty()) AppendUpdateLog(error);
        break;
    }
    case ApplyJobOutcome::StartCleanup:
        StartJob(kRemovingText, L"cleanup");
        return;
    case ApplyJobOutcome::Completed:
        g_update.finished = true;
        ShowUpdateStatus(g_update.recoverMode ? kRestoredText : kCompleteText);
        OpenLauncher();
        return;
    }
    RefreshUpdateButtons();
}

int RunUpdateApplyMode(HINSTANCE instance, const std::vector<std::wstring>& words, const fs::path& artFolder) {
    if (words.size() != 6) return kExitRefused;
    // Before anything of the shell runs (ShellExecuteExW, the folder Open logs shows).
    const ScopedComApartment com;
    // From memory: this run replaces the installation's files, its own font's among them.
    const ScopedMemoryFont barlow = LoadFontIntoMemory(artFolder / L"Barlow-Regular.ttf");
    // A path that cannot be made absolute ends the run before anything is shown or changed.
    const std::optional<ApplyRunArguments> arguments = ParseApplyRunArguments(words);
    if (!arguments) return kExitRefused;
    g_update.jobFolder = arguments->jobFolder;
    g_update.recoverMode = arguments->recover;
    g_update.oldProcess = OpenOldLauncher(arguments->processId, arguments->creationTime);
    // The language of the Launcher that handed over: its stored choice, else Windows'.
    const LauncherSettings settings =
        LoadLauncherSettings(arguments->root / L".local" / L"launcher.ini", false, LauncherSettings{});
    ApplyLanguageChoice("", ChosenLanguage(settings));

    const float scale = ApplyRunWindowScale();
    LOGFONTW face = {};
    face.lfHeight = static_cast<LONG>(-16 * scale);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    face.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(face.lfFaceName, L"Barlow");
    ScopedFont font(CreateFontIndirectW(&face));
    wchar_t capture[8] = {};
    const DWORD captureLength = GetEnvironmentVariableW(L"TLVR_QA_CAPTURE", capture, 8);
    RegisterUpdatesWindowClass(instance, font.get(), arguments->root, captureLength > 0, nullptr);
    g_update.script = RunningExecutableFolder() / L"tools" / L"update_release.py";
    g_update.applyMode = true;
    g_update.owner = nullptr;

    try {
        g_update.lock = OpenInstallationLock(g_update.root, false);
    } catch (const std::exception&) {
        g_update.lock = nullptr;
    }
    if (!g_update.lock) {
        ShowMessageBox(nullptr, Text(kLockFailedText), Text(kLockFailedCaption), MB_ICONERROR);
        CleanUpUpdates();
        return kExitRefused;
    }

    g_update.waitingForLock = true;
    g_applyWindow = CreateApplyRunWindow(scale);
    if (!g_applyWindow) {
        ReleaseInstallationLock(g_update.lock);
        CleanUpUpdates();
        return kExitRefused;
    }
    ShowUpdateStatus("update_apply.status.waiting");
    // From the first wait to the Launcher's start again: ending the session half-way through
    // would leave the installation for the next start to recover.
    HoldSession(g_applyWindow, HeldRun::Update, StopForSessionEnd);
    SetTimer(g_applyWindow, kWaitTimerId, kWaitPeriodMs, nullptr);
    if (!g_update.automation) {
        UpdateWindow(g_applyWindow);
        StartPadNavigation(settings.padNavigation);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (UpdatesDialogFilter(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    g_applyWindow = nullptr;
    ReleaseSession(HeldRun::Update);
    if (g_update.lock) ReleaseInstallationLock(g_update.lock);
    CleanUpUpdates();
    return 0;
}
