#pragma once
// The record a launch run leaves for the package's checks: which game ran and how it ended.
#include <windows.h>

#include <filesystem>
#include <string>

// {"game":N,"exit_code":C,"launched_by_native_ui":true} with no spaces and no line end; the
// exit code as an unsigned 32-bit number.
std::string LaunchRunRecordText(int gameNumber, DWORD exitCode);

// root / ".local" / ("qa-launch-" + stem + ".json").
std::filesystem::path LaunchRunRecordFile(const std::filesystem::path& root, int index);

// Creates or replaces the file whole; a failed write is not reported and leaves the file as it was.
void WriteLaunchRunRecord(const std::filesystem::path& root, int index, DWORD exitCode);
