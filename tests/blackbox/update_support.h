#pragma once
// Helpers of the updater tests: an installation whose Python interpreter is our stand-in, its
// scenario and call record, the updates and apply windows, and a copy of the Launcher as host.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "play_support.h"

namespace bb {

inline constexpr wchar_t kUpdatesClass[] = L"TLVRUpdates";
inline constexpr wchar_t kApplyTitle[] = L"Talvaro Ovra-Remix Recomp - Update";
inline constexpr auto kJobTimeout = 30s;

// An installation at a root whose name holds blanks and letters outside ASCII (or, with a drive
// letter, at the root of a drive mapped to a temporary folder), with the stand-in interpreter
// at ".tools/python/python.exe" and a "tools/update_release.py".
class UpdateInstallation {
public:
    struct Options {
        bool interpreter = true;
        bool installedCopy = false;  // ".local/installation.json"
        wchar_t drive = 0;           // L'T': the root is "T:\", a drive of the test prefix
    };
    UpdateInstallation();
    explicit UpdateInstallation(const Options& options);
    ~UpdateInstallation();
    UpdateInstallation(const UpdateInstallation&) = delete;
    UpdateInstallation& operator=(const UpdateInstallation&) = delete;

    const fs::path& root() const { return root_; }
    fs::path launcher() const { return root_ / L"TalvaroOvraRecomp.exe"; }
    fs::path updates() const { return root_ / L".local" / L"updates"; }
    fs::path pending() const { return updates() / L"pending.json"; }
    // The job folder the scenarios use, and a copy of our Launcher in it as the host.
    fs::path jobFolder() const { return updates() / L"job 0.61"; }
    fs::path host() const { return jobFolder() / L"TalvaroOvraRecomp.exe"; }
    void CopyHost() const;

    // The stand-in's scenario (see tests/standin/tlvr_standin_python.cpp), UTF-8 in this source.
    void WriteScenario(const std::string& text) const;
    // Every command line the stand-in received, in order.
    std::vector<std::wstring> Calls() const;
    // How many times the stand-in ran `job` (the fifth word).
    int CallCount(const std::wstring& job) const;

    Process Start(const std::wstring& arguments = L"",
                  const std::map<std::wstring, std::wstring>& env = {}) const;

private:
    TempFolder folder_;
    fs::path root_;
    wchar_t drive_ = 0;
};

// True when the drive's root exists (scripts/test.sh maps T: to an empty folder).
bool DriveAvailable(wchar_t drive);

// One command-line word as CommandLineToArgvW gives it back (a trailing backslash is doubled).
std::wstring QuoteWord(const std::wstring& word);
// Starts the host copy as an update-apply run handed over by process `id` created at `created`.
Process StartApplyRun(const UpdateInstallation& installation, bool recover, DWORD id, unsigned long long created,
                      const std::map<std::wstring, std::wstring>& env = {{L"TLVR_QA_CAPTURE", L"1"}});
// A process that stands in for the old Launcher: it runs until `release` exists.
Process StartOldLauncher(const UpdateInstallation& installation, const fs::path& release);
// Starts the Launcher of `installation` while another process holds its lock: expects the
// "already open" message, presses it away and expects exit code 0.
void ExpectStartRefusedAsAlreadyOpen(const UpdateInstallation& installation);
// Waits for the restarted Launcher's capture in the job folder.
bool WaitForRestartedLauncher(const UpdateInstallation& installation, std::chrono::milliseconds timeout = 60s);

// The words of a command line as CommandLineToArgvW splits it.
std::vector<std::wstring> SplitWords(const std::wstring& line);

// The updates (or apply) window's parts.
std::wstring StatusText(HWND window);
std::wstring LogText(HWND window);
bool ButtonEnabled(HWND window, int id);

// Waits until the status line reads `text`; the last text seen is in the failure message.
::testing::AssertionResult WaitForStatus(HWND window, const std::wstring& text,
                                         std::chrono::milliseconds timeout = kJobTimeout);

// The update-apply run's window, wherever it was started from.
HWND WaitForApplyWindow(std::chrono::milliseconds timeout = kJobTimeout);
// Waits for the process owning `window` to end.
bool WaitForWindowProcessExit(HWND window, std::chrono::milliseconds timeout);
// The creation time of a process as the hand-over passes it.
unsigned long long CreationTime(HANDLE process);

// A home window's control 207 text.
std::wstring UpdatesButtonText(HWND home);
// Opens the updates window as a click on "Updates" does.
HWND OpenUpdates(const Process& launcher, HWND home);

}  // namespace bb
