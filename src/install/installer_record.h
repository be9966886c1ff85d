#pragma once
// The one installer window of the process and its installation run: shared by the window's
// file and the run's file, touched on the GUI thread only.
#include <windows.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/win_owners.h"
#include "install/rom_search.h"
#include "ui/log_box.h"
#include "ui/scaled_window.h"

inline constexpr wchar_t kInstallerClass[] = L"TLVRInstaller";

// Child ids.
inline constexpr int kRomEdit1Id = 10;
inline constexpr int kRomEdit2Id = 11;
inline constexpr int kDestinationEditId = 13;
inline constexpr int kRomBrowse1Id = 20;
inline constexpr int kRomBrowse2Id = 21;
inline constexpr int kDestinationBrowseId = 23;
inline constexpr int kLogBoxId = 30;
inline constexpr int kOpenLogsId = 40;
inline constexpr int kInstallButtonId = 1;
inline constexpr int kCloseButtonId = 2;

// The run's two messages from the helper's reader thread.
inline constexpr UINT kInstallerLineMessage = WM_APP + 0x3D;
inline constexpr UINT kInstallerFinishedMessage = WM_APP + 0x3E;
// Hands gathered log text to the log box when no more lines come for a while.
inline constexpr UINT_PTR kLogFlushTimerId = 1;

struct InstallerRecord {
    HINSTANCE instance = nullptr;
    std::filesystem::path root;
    std::filesystem::path logFile;  // the run's log, named by a log box that dropped lines
    HWND window = nullptr;
    ScaledWindow layout;  // its scale is chosen when the window opens

    HWND romLabels[2] = {};
    HWND romEdits[2] = {};
    HWND destinationEdit = nullptr;
    HWND progressBar = nullptr;
    HWND statusText = nullptr;
    HWND logBox = nullptr;
    HWND installButton = nullptr;
    HWND closeButton = nullptr;
    // Disabled together while a run is active: ROM edit 1, Browse, ROM edit 2, Browse,
    // destination edit, Browse.
    HWND inputs[6] = {};
    // The children whose text is one text of the table, read again at a language change.
    std::vector<std::pair<HWND, const char*>> texts;
    // The status line as it was said, so a language change can say it again: a text's key and
    // its value ({path}, or {count} of a plural text); no key for a stage line of the script,
    // which stays as the script wrote it.
    const char* statusKey = nullptr;
    std::wstring statusValue;
    long long statusCount = -1;
    // The ROM search's folders, which head the pad's folder browser.
    std::vector<RomFolder> suggested;

    // The run.
    bool running = false;
    bool stopRequested = false;
    bool completed = false;
    UniqueHandle job;
    std::wstring destination;
    PendingLogText pendingLog;
    UINT flushTimerPeriod = 0;  // 0 while the timer is not set
    // The finished message has come while log text still waited: the end is reported once the
    // box has it all.
    bool finishing = false;
    DWORD finishedCode = 0;
};

extern InstallerRecord g_installer;

// The window's side (installer_window.cpp): the status line by key (a plural key when `count`
// is 0 or more), or a stage line as it stands; and every text of the window again.
void SetInstallerStatus(const char* key, std::wstring value = {}, long long count = -1);
void SetInstallerStageStatus(const std::wstring& stage);
void ApplyInstallerTexts();

// The run's side (installation_run.cpp).
void StartInstallationRun();
void StopInstallationRun();
void OnInstallerLine(LPARAM lParam);
void OnInstallerFinished(WPARAM exitCode);
void OnLogFlushTimer();
