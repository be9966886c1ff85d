#pragma once
// The updates window's parts that the job runner and the update-apply run use.
#include <windows.h>

#include <string>

inline constexpr wchar_t kUpdatesWindowClass[] = L"TLVRUpdates";
inline constexpr int kCheckButtonId = 101;
inline constexpr int kDownloadButtonId = 102;
inline constexpr int kOpenLogsButtonId = 103;

// Both do nothing while the window is closed.
void SetUpdateStatus(const std::wstring& text);
void AppendUpdateLog(const std::wstring& line);
void SetUpdateCancelButtonText(const wchar_t* text);
void EnableUpdateCancelButton(bool enable);
// Check, Download and the id 2 button, from the update state.
void RefreshUpdateButtons();

// A job of a normal run has ended: its decision, shown in the window when it is open.
void OnNormalJobFinished(DWORD exitCode, const std::wstring& state);

// The update-apply run's window: no owner, near the primary monitor's work-area top-left corner.
HWND CreateApplyRunWindow(float scale);
