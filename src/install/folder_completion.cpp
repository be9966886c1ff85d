#include "install/folder_completion.h"

#include <shlwapi.h>

namespace {
AutoCompleteSwitch g_switch = nullptr;  // a test's recorder, or null for the shell's
}

void CompleteFolderNames(HWND edit) {
    if (!edit) return;
    (g_switch ? g_switch : SHAutoComplete)(edit, SHACF_FILESYS_DIRS);
}

void SetAutoCompleteSwitch(AutoCompleteSwitch autoComplete) { g_switch = autoComplete; }
