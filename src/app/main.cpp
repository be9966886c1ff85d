#include <windows.h>

#include "app/startup.h"
#include "report/crash_dump.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything loads a library: run-time DLLs come from the system folder only, never
    // from the folder the package was unpacked into (a Downloads folder may hold anything).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Next, before anything can crash: a crash of the Launcher itself leaves a dump behind.
    InstallCrashHandlers();
    return RunLauncher(instance, showCommand);
}
