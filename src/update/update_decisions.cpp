#include "update/update_decisions.h"

#include <cwchar>
#include <system_error>

NormalJobOutcome DecideNormalJobEnd(const std::wstring& job, DWORD exitCode, const std::wstring& state) {
    if (job == L"check") {
        if (exitCode != 0) return NormalJobOutcome::Unreachable;
        return state == L"available" ? NormalJobOutcome::UpdateAvailable : NormalJobOutcome::UpToDate;
    }
    if (job == L"prepare" && exitCode == 0 && state == L"prepared") return NormalJobOutcome::HandOver;
    return NormalJobOutcome::NotFinished;
}

ApplyJobOutcome DecideApplyJobEnd(const std::wstring& job, DWORD exitCode, bool pendingFileExists,
                                  bool recoverMode) {
    if (job == L"cleanup") return ApplyJobOutcome::CleanedUp;
    if (exitCode == 0) return ApplyJobOutcome::Completed;
    if (!pendingFileExists) return ApplyJobOutcome::StartCleanup;
    return recoverMode ? ApplyJobOutcome::RecoveryUnfinished : ApplyJobOutcome::StartRecover;
}

bool IsUpdateCheckDue(std::optional<unsigned long long> lastAttempt, unsigned long long now) {
    if (!lastAttempt) return true;
    const long long elapsed = static_cast<long long>(now - *lastAttempt);
    return elapsed >= kUpdateCheckInterval;
}

namespace {
// Unsigned decimal; anything that is not a plain number reads as 0 (no such process).
unsigned long long ReadUnsigned(const std::wstring& text) {
    if (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring::npos) return 0;
    return std::wcstoull(text.c_str(), nullptr, 10);
}
}  // namespace

std::optional<ApplyRunArguments> ParseApplyRunArguments(const std::vector<std::wstring>& words) {
    if (words.size() != 6) return std::nullopt;
    ApplyRunArguments arguments;
    arguments.recover = words[1] == L"--recover-update";
    std::error_code error;
    arguments.root = std::filesystem::absolute(words[2], error);
    if (error || words[2].empty()) return std::nullopt;
    arguments.jobFolder = std::filesystem::absolute(words[3], error);
    if (error || words[3].empty()) return std::nullopt;
    const unsigned long long id = ReadUnsigned(words[4]);
    arguments.processId = id > 0xFFFFFFFFULL ? 0 : static_cast<DWORD>(id);
    arguments.creationTime = ReadUnsigned(words[5]);
    return arguments;
}

ApplyWaitStep NextWaitStepForOldLauncher(bool oldLauncherRunning, unsigned& ticks) {
    if (!oldLauncherRunning) return ApplyWaitStep::TryLock;
    ++ticks;
    return ticks > kApplyWaitTickLimit ? ApplyWaitStep::OldLauncherStillOpen : ApplyWaitStep::KeepWaiting;
}

ApplyWaitStep NextWaitStepForLock(unsigned& ticks) {
    ++ticks;
    return ticks > kApplyWaitTickLimit ? ApplyWaitStep::LockStillHeld : ApplyWaitStep::KeepWaiting;
}
