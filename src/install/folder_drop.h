#pragma once
// Folders dropped from Explorer onto the installer window (WM_DROPFILES).
#include <windows.h>
#include <shellapi.h>

// Fills the edit the drop chose (see ChooseDropEdit) with the first dropped item's folder; the
// installation folder edit takes it as the parent of the new folder, as its Browse... does.
// Nothing changes while an installation runs. The drop is always finished (its memory freed).
void DropOnInstaller(HWND installer, HDROP drop);
