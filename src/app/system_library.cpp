#include "app/system_library.h"

FARPROC SystemProcedure(const wchar_t* dll, const char* name) {
    // A DLL loaded this way stays loaded: no FreeLibrary, so a later call finds it again at once.
    HMODULE module = GetModuleHandleW(dll);
    if (!module) module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}
