#pragma once
// Finding a visible top-level window of a given class that belongs to one process.
#include <windows.h>

#include <cwchar>

struct FindContext {
    DWORD processId;
    const wchar_t* windowClass;
    HWND found;
};

inline BOOL CALLBACK FindProcessWindow(HWND hwnd, LPARAM lParam) {
    auto* context = reinterpret_cast<FindContext*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (owner == context->processId && std::wcscmp(name, context->windowClass) == 0 && IsWindowVisible(hwnd)) {
        context->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
