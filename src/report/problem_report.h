#pragma once
// The problem report: one zip in ".local/reports" that holds what a helper needs (report.txt
// with the machine, the games, the last sessions and the settings; the Launcher's INI files, the
// logs and the newest crash dumps) and nothing private: no ROM, no game executable, no file from
// outside the installation, and the profile folder's path written as "%USERPROFILE%".
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "report/profile_redaction.h"

// What the report is written from. Gathered on the GUI thread; the writing needs nothing else.
struct ProblemReportSource {
    std::filesystem::path root;
    std::filesystem::path launcherFolder;  // where the running executable lies (game discovery)
    LauncherSettings settings;             // the settings in force
    bool controllersStarted = false;       // SDL has started in this run
    std::vector<std::wstring> controllers; // one line each (name, type, GUID)
    RedactionTerms redaction;              // profile path, computer and user name: hidden
};

// The largest piece of any one file a report holds: the end of a longer file.
inline constexpr unsigned long long kReportFileLimit = 2ull * 1024 * 1024;
inline constexpr size_t kReportSessions = 20;
inline constexpr size_t kReportDumps = 3;

// From the Launcher state and SDL, without starting SDL. GUI thread.
ProblemReportSource CurrentProblemReportSource();

// The profile folder (FOLDERID_Profile) in its long and short forms, the computer's name and the
// user's name; a member the system does not give is empty.
RedactionTerms CurrentRedactionTerms();

// Writes ".local/reports/report-YYYYMMDD-HHMMSS.zip" on the calling thread. On success the zip's
// full path is in *zipPath; on failure no zip is left and *error says why, in words for the player.
bool WriteProblemReport(const ProblemReportSource& source, std::wstring* zipPath, std::wstring* error);

// "Save a report": writes the report on a worker thread while the owner keeps painting (it is
// disabled meanwhile, under a small "Saving a report..." window), then opens the folder with the
// file selected, or tells why it failed. Returns when all that is done. A second call while a
// report is being written does nothing.
void SaveProblemReportFromWindow(HWND owner);

// The "--report" run: writes the report for the installation at `root` without any window of the
// Launcher, then says in a message box where it is or why it failed. True when it was written.
bool RunReportMode(const std::filesystem::path& root);

// For tests and benchmarks: what SaveProblemReportFromWindow does with a written report instead
// of opening its folder. Null restores the folder.
using ReportFolderOpener = bool (*)(const std::wstring& zipPath);  // false: the folder could not be shown
void SetReportFolderOpenerForTesting(ReportFolderOpener opener);
