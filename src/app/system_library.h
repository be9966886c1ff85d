#pragma once
// Functions of Windows DLLs that are not KnownDLLs, looked up at run time and only in the system
// folder: a static import of such a DLL would be resolved from the program's own folder first,
// before any code of ours could restrict the search.
#include <windows.h>

// The named export of System32's `dll`, or null when the DLL or the export is missing. The DLL is
// loaded once and kept for the process.
FARPROC SystemProcedure(const wchar_t* dll, const char* name);

template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(SystemProcedure(dll, name));
}
