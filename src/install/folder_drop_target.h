#pragma once
// Where a folder dropped onto the installer window goes: pure decisions over values.
#include <windows.h>

#include <string>

// The installer's three folder edits in their order: ROM folder 1, ROM folder 2, installation
// folder.
inline constexpr int kFolderEditCount = 3;
inline constexpr int kInstallationFolderEdit = 2;

struct FolderEditPlace {
    RECT bounds;  // in the window's client coordinates
    bool empty;
};

// The edit under the drop point; a drop anywhere else goes to the first empty ROM edit. -1 when
// neither applies (elsewhere, both ROM edits filled).
int ChooseDropEdit(POINT drop, const FolderEditPlace (&edits)[kFolderEditCount]);

// A dropped folder is taken as it is; a dropped file stands for the folder that holds it.
std::wstring DroppedFolder(const std::wstring& path, bool isFolder);
