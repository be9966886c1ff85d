// Drives the Launcher's windows from a shell script, one step per run:
//   tlvr_window_driver rect CLASS [SECONDS]       waits for a visible top-level window of CLASS and
//                                                  prints its rectangle as "WIDTHxHEIGHT+X+Y"
//   tlvr_window_driver command CLASS ID           posts WM_COMMAND ID to that window
//   tlvr_window_driver click CLASS ID             clicks its child button ID
//   tlvr_window_driver settext CLASS ID TEXT      sets the text of its child ID
//   tlvr_window_driver waittext CLASS ID TEXT [SECONDS]  waits until child ID shows TEXT
// Exit code 0 on success, 1 when the window or child was not found in time.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
struct Search {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (IsWindowVisible(hwnd) && wcscmp(name, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(const wchar_t* className, int seconds) {
    for (int tick = 0; tick <= seconds * 10; ++tick) {
        Search search{className, nullptr};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(100);
    }
    return nullptr;
}

std::wstring Text(HWND hwnd) {
    wchar_t buffer[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &copied);
    return std::wstring(buffer, copied < 4096 ? copied : 0);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: tlvr_window_driver rect|command|click|settext|waittext CLASS [...]\n");
        return 2;
    }
    const std::wstring verb = argv[1];
    const int seconds = verb == L"rect" && argc > 3 ? _wtoi(argv[3]) : 30;
    HWND window = WaitForWindow(argv[2], seconds);
    if (!window) return 1;
    if (verb == L"rect") {
        RECT r = {};
        GetWindowRect(window, &r);
        wprintf(L"%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return 0;
    }
    if (argc < 4) return 2;
    const int id = _wtoi(argv[3]);
    if (verb == L"command") return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
    HWND child = GetDlgItem(window, id);
    if (!child) return 1;
    if (verb == L"click") return PostMessageW(child, BM_CLICK, 0, 0) ? 0 : 1;
    if (verb == L"settext" && argc > 4) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG, 2000,
                                   &result) ? 0 : 1;
    }
    if (verb == L"waittext" && argc > 4) {
        const int limit = argc > 5 ? _wtoi(argv[5]) : 30;
        for (int tick = 0; tick <= limit * 10; ++tick) {
            if (Text(child) == argv[4]) return 0;
            Sleep(100);
        }
        return 1;
    }
    return 2;
}
