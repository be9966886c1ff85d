#pragma once
// The Launcher's own crash: a minidump in ".local/crashes", written by a filter that was made
// ready at start-up, and a notice at the next start.
//
// The dump is written for the unhandled-exception filter, and for the handlers of std::terminate,
// pure virtual calls and the C run-time's invalid-parameter check, by a thread made for it at
// start-up: the crashing thread may have no stack left (a stack overflow) or hold a lock the
// writing needs, so it only hands over its exception and waits, bounded. The first crash is
// written; a second one at the same time waits for that dump and adds none. A crashing process
// may have a broken heap or loader lock: everything the writer needs (dbghelp's
// MiniDumpWriteDump, the dump folder's path, the profile path's forms to mask) is prepared
// beforehand, so it loads and allocates nothing.
//
// The folder is known only once start-up has found the installation root. Until then a crash
// leaves no dump of ours (Windows Error Reporting still sees it); the window is the few calls
// between the entry point and the root search.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"

// Exception codes of the dumps written for failures that raise no exception of their own.
inline constexpr DWORD kTerminateCrashCode = 0xE0544301;    // std::terminate
inline constexpr DWORD kPureCallCrashCode = 0xE0544302;     // a pure virtual function was called
inline constexpr DWORD kInvalidParameterCrashCode = 0xC0000417;  // STATUS_INVALID_CRUNTIME_PARAMETER

// How many dumps the crashes folder keeps; the oldest go when a new one is written.
inline constexpr int kKeptCrashDumps = 5;

// The first thing the entry point does: loads dbghelp from the system folder and installs the
// filter and the run-time handlers. Dumps are written once PrepareCrashDumps has run.
void InstallCrashHandlers();

// Gives the filter its folder: root / ".local/crashes" (created only when a dump is written),
// and starts the writer thread.
void PrepareCrashDumps(const std::filesystem::path& root);

// "launcher-YYYYMMDD-HHMMSS.dmp" for a local time, written into `out` (at least 32 characters)
// without allocating. Returns the length.
size_t FormatCrashDumpName(const SYSTEMTIME& time, wchar_t* out);

// True for a name the crashes folder's dumps have ("launcher-" ... ".dmp").
bool IsCrashDumpName(const std::wstring& name);

// Of the dump names in a folder, the one a notice is due for: the newest, unless it is the one
// already announced. Empty when there is nothing to say.
std::wstring CrashDumpToAnnounce(const std::vector<std::wstring>& names, const std::wstring& announced);

// A normal start: if a dump was written since the last notice, says so once (owned by `owner`)
// and remembers which dump it announced.
void AnnounceLastCrash(HWND owner, const std::filesystem::path& root);

// "--qa-crash": a real crash of the kind asked for, for the package's checks.
[[noreturn]] void CrashForCheck(CrashCheck kind);

// The exception code of a dump written by WriteDumpForCheck.
inline constexpr DWORD kDumpCheckCode = 0xE0544303;

// Writes a dump now, through the writer thread, as a crash of the calling thread would, and
// leaves the process running; for the checks of what a dump holds. True when it was kept.
bool WriteDumpForCheck();
