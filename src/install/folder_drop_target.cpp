#include "install/folder_drop_target.h"

#include <filesystem>

int ChooseDropEdit(POINT drop, const FolderEditPlace (&edits)[kFolderEditCount]) {
    for (int i = 0; i < kFolderEditCount; ++i) {
        if (PtInRect(&edits[i].bounds, drop)) return i;
    }
    for (int i = 0; i < kInstallationFolderEdit; ++i) {
        if (edits[i].empty) return i;
    }
    return -1;
}

std::wstring DroppedFolder(const std::wstring& path, bool isFolder) {
    if (isFolder) return path;
    return std::filesystem::path(path).parent_path().wstring();
}
