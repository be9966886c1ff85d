#pragma once
// The updates window's parts that the job runner and the update-apply run use.
#include <windows.h>

#include <string>

#include "texts/texts.h"

inline constexpr wchar_t kUpdatesWindowClass[] = L"TLVRUpdates";
inline constexpr int kCheckButtonId = 101;
inline constexpr int kDownloadButtonId = 102;
inline constexpr int kOpenLogsButtonId = 103;

// They do nothing while the window is closed. A status from the table (by key, with its values)
// is shown again in the new language after a change; a helper's own line is shown as it came.
void SetUpdateStatus(const std::wstring& text);
void ShowUpdateStatus(const char* key, std::initializer_list<TextArg> args = {});
void AppendUpdateLog(const std::wstring& line);
void SetUpdateCancelButtonText(const char* key);
void EnableUpdateCancelButton(bool enable);
// Check, Download and the id 2 button, from the update state.
void RefreshUpdateButtons();

// A job of a normal run has ended: its decision, shown in the window when it is open.
void OnNormalJobFinished(DWORD exitCode, const std::wstring& state);

// The update-apply run's window: no owner, near the primary monitor's work-area top-left corner.
HWND CreateApplyRunWindow(float scale);
