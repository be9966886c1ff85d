#pragma once
#include <windows.h>

// The whole life of the process: run-mode choice, start-up in its fixed order, the message
// loop and shutdown. Returns the process exit code.
int RunLauncher(HINSTANCE instance, int showCommand);

// Exit codes fixed by the Launcher itself.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitArtworkMissing = 1;
inline constexpr int kExitBadGameNumber = 2;
inline constexpr int kExitDataFolderFailed = 3;
inline constexpr int kExitCaptureFailed = 4;
inline constexpr int kExitReportFailed = 8;  // "--report" could not write its report
