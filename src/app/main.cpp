#include <windows.h>

#include "app/startup.h"
#include "controls/controller_input.h"
#include "report/crash_dump.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything loads a library: run-time DLLs come from the system folder only, never
    // from the folder the package was unpacked into (a Downloads folder may hold anything).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Next, before anything can crash: a crash of the Launcher itself leaves a dump behind.
    InstallCrashHandlers();
    // A delay-loaded DLL that cannot be loaded is looked for once more, and noted, not fatal.
    InstallDelayLoadFailureHook();
    return RunLauncher(instance, showCommand);
}
