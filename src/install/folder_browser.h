#pragma once
// The folder browser a controller opens from the installer's Browse... (the system's picker
// knows nothing of a pad): the suggested ROM folders, the drives and the player's places, then
// folder by folder. The pad, the keyboard and the mouse drive it alike; it changes nothing.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "install/rom_search.h"

inline constexpr wchar_t kFolderBrowserClass[] = L"TLVRFolderBrowser";

struct FolderBrowserRequest {
    HWND owner = nullptr;
    const char* titleKey = "";  // the window's title, a text of the table
    std::vector<RomFolder> suggested;  // the ROM search's folders, listed first
    // Called once with the folder chosen, after the browser has closed; never when it is left.
    std::function<void(const std::filesystem::path&)> chosen;
    bool unattended = false;  // an automation run: closing never takes the foreground
};

// Opens the browser owned by `request.owner` (disabled while it is open), or raises the open one.
void OpenFolderBrowser(FolderBrowserRequest request);
HWND FolderBrowserWindow();  // null while closed
