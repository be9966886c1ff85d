// The update decisions taken outside the updates window: recovery of a half-applied update at
// start-up, the daily check, and the hand-over to an update-apply run.
#include "update/update_recovery.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <system_error>

#include "app/file_probe.h"
#include "app/verified_file_replace.h"
#include "update/update_decisions.h"
#include "update/update_protocol.h"
#include "texts/texts.h"
#include "ui/task_dialog.h"
#include "update/update_result_file.h"
#include "update/update_state.h"

namespace fs = std::filesystem;

namespace {
constexpr DWORD kRecoveryInfoLimitMs = 30000;

unsigned long long FileTimeValue(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Runs recovery-info and waits for it; true when it ended in time with exit code 0.
bool RunRecoveryInfo() {
    const UpdateJobPaths paths{g_update.interpreter, g_update.script, g_update.root, g_update.resultFile};
    std::wstring commandLine = RecoveryInfoCommandLine(paths);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(g_update.interpreter.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, g_update.root.c_str(), &startup, &process)) {
        return false;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle thread(process.hThread);
    // A helper that hangs is left running: the user is told, and nothing waits on it.
    if (WaitForSingleObject(processHandle.get(), kRecoveryInfoLimitMs) != WAIT_OBJECT_0) return false;
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(processHandle.get(), &exitCode)) return false;
    return exitCode == 0;
}

std::optional<unsigned long long> LastWriteTime(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return FileTimeValue(data.ftLastWriteTime);
}

unsigned long long Now() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}
}  // namespace

bool InterruptedUpdateCheck(const fs::path& root) {
    SetUpdateRoot(root);
    if (!PathExists(PendingFile())) return false;
    g_update.resultFile = UpdatesFolder() / L"recovery.ini";
    std::error_code error;
    fs::remove(g_update.resultFile, error);

    const bool ranWell = RunRecoveryInfo();
    g_update.jobFolder = ReadUpdateResult(g_update.resultFile, L"job");
    g_update.host = ReadUpdateResult(g_update.resultFile, L"host");
    if (ranWell && ReadUpdateResult(g_update.resultFile, L"state") == L"pending" && HandOverToApplyRun(true)) {
        return true;
    }
    ShowMessageBox(nullptr, Text("updates.recovery.body"), Text("updates.recovery.title"), MB_ICONERROR);
    return true;
}

void StartupUpdateCheck(HWND home) {
    g_update.owner = home;
    if (g_update.automation || !PathExists(g_update.interpreter) || !PathExists(InstalledCopyMarker())) return;
    const fs::path attempt = UpdatesFolder() / L"check-attempt";
    if (!IsUpdateCheckDue(LastWriteTime(attempt), Now())) return;
    std::error_code error;
    fs::create_directories(attempt.parent_path(), error);
    if (error || !fs::is_directory(attempt.parent_path(), error)) return;
    // Written before the check runs, so a failed check counts as an attempt too.
    ReplaceFileVerified(attempt, "1");
    RunUpdateJob(L"check");
}

bool HandOverToApplyRun(bool recover) {
    if (!IsHostInsideInstallation(g_update.root, g_update.host)) return false;
    FILETIME creation = {}, exit = {}, kernel = {}, user = {};
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    const std::wstring parameters = HandOverParameters(recover, g_update.root, g_update.jobFolder,
                                                       GetCurrentProcessId(), FileTimeValue(creation));
    const std::wstring host = g_update.host.wstring();
    const std::wstring folder = g_update.host.parent_path().wstring();
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof(execute);
    // No shell error box: a failed hand-over is reported by the caller's own text. The start is
    // finished before the call returns, as this process ends right after it.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    execute.lpFile = host.c_str();
    execute.lpParameters = parameters.c_str();
    execute.lpDirectory = folder.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&execute)) return false;
    if (execute.hProcess) CloseHandle(execute.hProcess);
    return true;
}
