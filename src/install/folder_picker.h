#pragma once
// The system's folder picker (the common item dialog in folder mode).
#include <windows.h>

#include <string>

// The picked folder's file-system path, or empty when cancelled or unavailable.
std::wstring PickFolder(HWND owner, const wchar_t* title);
