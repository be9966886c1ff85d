#include "install/folder_drop.h"

#include <exception>
#include <string>

#include "install/folder_drop_target.h"
#include "install/installation_command.h"
#include "install/installer_record.h"

namespace {
// DragFinish for every way out, as the shell requires.
class FinishedDrop {
public:
    explicit FinishedDrop(HDROP drop) noexcept : drop_(drop) {}
    ~FinishedDrop() { DragFinish(drop_); }
    FinishedDrop(const FinishedDrop&) = delete;
    FinishedDrop& operator=(const FinishedDrop&) = delete;

private:
    HDROP drop_;
};

std::wstring FirstDroppedPath(HDROP drop) {
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return {};
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(static_cast<size_t>(length) + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, &path[0], length + 1));
    return path;
}

FolderEditPlace PlaceOf(HWND installer, HWND edit) {
    FolderEditPlace place{{0, 0, 0, 0}, false};
    if (!edit) return place;
    GetWindowRect(edit, &place.bounds);
    MapWindowPoints(nullptr, installer, reinterpret_cast<POINT*>(&place.bounds), 2);
    place.empty = GetWindowTextLengthW(edit) == 0;
    return place;
}
}  // namespace

void DropOnInstaller(HWND installer, HDROP drop) {
    const FinishedDrop finished(drop);
    InstallerRecord& r = g_installer;
    if (r.running || installer != r.window) return;
    try {
        const std::wstring path = FirstDroppedPath(drop);
        if (path.empty()) return;
        HWND edits[kFolderEditCount] = {r.romEdits[0], r.romEdits[1], r.destinationEdit};
        const FolderEditPlace places[kFolderEditCount] = {PlaceOf(installer, edits[0]), PlaceOf(installer, edits[1]),
                                                          PlaceOf(installer, edits[2])};
        POINT point = {};
        DragQueryPoint(drop, &point);
        const int target = ChooseDropEdit(point, places);
        if (target < 0) return;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        const std::wstring folder = DroppedFolder(path, isFolder);
        if (folder.empty()) return;
        const std::wstring text = target == kInstallationFolderEdit ? InstallationFolderIn(folder) : folder;
        SetWindowTextW(edits[target], text.c_str());
    } catch (const std::exception&) {
        // Out of memory while copying a path: the drop changes nothing.
    }
}
