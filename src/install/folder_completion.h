#pragma once
// Folder names typed into an edit are completed as in the system's own dialogs.
#include <windows.h>

// Asks the shell to complete file-system folders in `edit` (COM must run on this thread).
// A shell that cannot leaves a plain edit.
void CompleteFolderNames(HWND edit);

// The call that switches completion on, SHAutoComplete's shape. Tests put a recorder here; null
// puts back the shell's own.
using AutoCompleteSwitch = HRESULT(WINAPI*)(HWND edit, DWORD flags);
void SetAutoCompleteSwitch(AutoCompleteSwitch autoComplete);
