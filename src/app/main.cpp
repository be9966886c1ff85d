#include <windows.h>

#include "app/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything loads a library: run-time DLLs come from the system folder only, never
    // from the folder the package was unpacked into (a Downloads folder may hold anything).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return RunLauncher(instance, showCommand);
}
