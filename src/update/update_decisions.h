#pragma once
// What the updater decides from a job's end, from the clock and from the apply run's waits.
// Pure functions over values; the windows act on the answers.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A job of a normal run has ended.
enum class NormalJobOutcome {
    UpdateAvailable,  // check: remember the asset, show the version
    UpToDate,         // check: forget the asset
    Unreachable,      // check failed
    HandOver,         // prepare: start the update-apply run
    NotFinished,      // prepare (or anything else) failed or was cancelled
};
NormalJobOutcome DecideNormalJobEnd(const std::wstring& job, DWORD exitCode, const std::wstring& state);

// A job of an update-apply run has ended.
enum class ApplyJobOutcome {
    CleanedUp,           // cleanup ended (any code): the previous version is ready
    StartRecover,        // apply failed while the installation is half changed
    RecoveryUnfinished,  // recover failed: offer "Retry recovery"
    StartCleanup,        // failed, nothing changed: remove the temporary files
    Completed,           // apply or recover succeeded: start the Launcher
};
ApplyJobOutcome DecideApplyJobEnd(const std::wstring& job, DWORD exitCode, bool pendingFileExists,
                                  bool recoverMode);

// The daily check is due when no attempt time can be read, or when at least 24 hours (in
// 100 ns units) have passed since it. A last attempt in the future makes it not due.
inline constexpr long long kUpdateCheckInterval = 864000000000LL;
bool IsUpdateCheckDue(std::optional<unsigned long long> lastAttempt, unsigned long long now);

// The update-apply run's command line (six words, the program first).
struct ApplyRunArguments {
    bool recover = false;
    std::filesystem::path root;       // made absolute
    std::filesystem::path jobFolder;  // made absolute
    DWORD processId = 0;
    unsigned long long creationTime = 0;
};
// Nothing when the count is not six or a path cannot be made absolute.
std::optional<ApplyRunArguments> ParseApplyRunArguments(const std::vector<std::wstring>& words);

// One 100 ms tick of the apply run's wait for the old Launcher and then for the lock. The
// count is shared by both waits. While the old Launcher runs past the limit the run says so
// and keeps watching, so it goes on by itself once the user has closed it.
inline constexpr unsigned kApplyWaitTickLimit = 300;
enum class ApplyWaitStep {
    KeepWaiting,
    OldLauncherStillOpen,  // show "Close the old launcher..." and keep the timer
    LockStillHeld,         // show "Another launcher is open..." and stop the timer
    TryLock,               // the old Launcher is gone: take the lock now
};
ApplyWaitStep NextWaitStepForOldLauncher(bool oldLauncherRunning, unsigned& ticks);
// After TryLock failed: count the tick; LockStillHeld once past the limit.
ApplyWaitStep NextWaitStepForLock(unsigned& ticks);
