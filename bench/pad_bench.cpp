// The pad navigation's costs: how long a press takes to reach a window (in this process, through
// an SDL virtual controller, the navigation's poll and the control's own key handling, then one
// paint), and the Launcher's CPU time while it waits in the foreground, in the background and
// minimised, with the navigation on and off.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "controls/controller_input.h"
#include "controls/pad_navigation.h"
#include "controls/virtual_controller.h"
#include "process_window.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
Clock::time_point g_reacted;
Clock::time_point g_painted;
bool g_seen = false;
HWND g_combo = nullptr;

LRESULT CALLBACK BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
        g_reacted = Clock::now();
        RedrawWindow(g_combo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // the one paint
        g_painted = Clock::now();
        g_seen = true;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

void PumpFor(int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < end) {
        Pump();
        Sleep(1);
    }
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Summary(const wchar_t* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty()) return;
    wprintf(L"  %-34ls median %6.1f ms, 90th %6.1f ms, max %6.1f ms\n", what, values[values.size() / 2],
            values[values.size() * 9 / 10], values.back());
}

void MeasureLatency() {
    g_launcher.instance = GetModuleHandleW(nullptr);
    WNDCLASSW cls = {};
    cls.lpfnWndProc = BenchWindowProc;
    cls.hInstance = g_launcher.instance;
    cls.lpszClassName = L"TlvrPadBench";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"pad bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                  200, nullptr, nullptr, cls.hInstance, nullptr);
    g_combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 10, 10,
                              300, 200, window, nullptr, cls.hInstance, nullptr);
    for (const wchar_t* item : {L"one", L"two", L"three"}) {
        SendMessageW(g_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageW(g_combo, CB_SETCURSEL, 0, 0);
    SetForegroundWindow(window);
    SetFocus(g_combo);

    const auto sdlBegin = Clock::now();
    StartControllers();
    wprintf(L"SDL's game-controller subsystem started in %.1f ms (once per process, on the GUI thread)\n",
            Ms(Clock::now() - sdlBegin));
    StartPadNavigation(true);
    PumpFor(300);
    VirtualController pad("pad bench");
    for (int i = 0; i < 100 && OpenedControllerCount() == 0; ++i) PumpFor(20);
    if (!pad.joystick() || OpenedControllerCount() == 0) {
        wprintf(L"  no virtual controller: latency not measured\n");
        return;
    }
    std::vector<double> reaction, painted;
    unsigned seed = 12345;
    for (int i = 0; i < 60; ++i) {
        seed = seed * 1103515245u + 12345u;
        PumpFor(static_cast<int>(seed % 40));  // presses at every phase of the poll
        const int button = (i % 2 == 0) ? SDL_CONTROLLER_BUTTON_DPAD_RIGHT : SDL_CONTROLLER_BUTTON_DPAD_LEFT;
        g_seen = false;
        const auto pressed = Clock::now();
        SDL_JoystickSetVirtualButton(pad.joystick(), button, SDL_PRESSED);
        while (!g_seen && Clock::now() - pressed < std::chrono::seconds(2)) {
            MSG message;
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            }
        }
        SDL_JoystickSetVirtualButton(pad.joystick(), button, SDL_RELEASED);
        if (g_seen) {
            reaction.push_back(Ms(g_reacted - pressed));
            painted.push_back(Ms(g_painted - pressed));
        }
        PumpFor(60);
    }
    wprintf(L"pad press to a combo box's choice, %zu of 60 presses seen (poll period 16 ms):\n", reaction.size());
    Summary(L"press to the control's reaction", reaction);
    Summary(L"press to the control repainted", painted);
    DestroyWindow(window);
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 10000.0;
}

// The Launcher (navigation on or off), or with `minimal` a minimal window program of ours.
void MeasureIdleCpu(const fs::path& root, bool navigation, const fs::path& minimal = {}) {
    const fs::path ini = root / L".local" / L"launcher.ini";
    WritePrivateProfileStringW(L"launcher", L"pad_navigation", navigation ? L"1" : L"0", ini.c_str());
    const fs::path program = minimal.empty() ? root / L"TalvaroOvraRecomp.exe" : minimal;
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        root.c_str(), &startup, &info)) {
        wprintf(L"  the Launcher did not start\n");
        return;
    }
    FindContext context{info.dwProcessId, minimal.empty() ? L"TalvaroOvra" : L"TlvrMinimalWindow", nullptr};
    for (int i = 0; i < 300 && !context.found; ++i) {
        Sleep(50);
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&context));
    }
    HWND home = context.found;
    HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 0, 300,
                                 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    auto over10s = [&](const wchar_t* state) {
        PumpFor(1500);
        const double before = CpuMs(info.hProcess);
        PumpFor(10000);
        const bool front = GetForegroundWindow() == home;
        wprintf(L"  %-28ls %7.1f ms of CPU in 10 s (%ls the foreground window%ls)\n", state,
                CpuMs(info.hProcess) - before, front ? L"is" : L"not", IsIconic(home) ? L", minimised" : L"");
    };
    if (minimal.empty()) {
        wprintf(L"the Launcher's CPU time, navigation %ls:\n", navigation ? L"on" : L"off");
    } else {
        wprintf(L"a minimal Win32 window program's CPU time, for comparison:\n");
    }
    if (home) {
        SetForegroundWindow(home);
        PumpFor(2000);  // SDL starts after the first paint
        over10s(L"in the foreground");
        SetForegroundWindow(other);
        over10s(L"in the background");
        SetForegroundWindow(home);
        PostMessageW(home, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        over10s(L"minimised");
        PostMessageW(home, WM_CLOSE, 0, 0);
    }
    DestroyWindow(other);
    if (WaitForSingleObject(info.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: pad_bench <installation root with TalvaroOvraRecomp.exe> [minimal_window.exe]\n");
        return 2;
    }
    MeasureLatency();
    MeasureIdleCpu(argv[1], true);
    MeasureIdleCpu(argv[1], false);
    if (argc > 2) MeasureIdleCpu(argv[1], true, argv[2]);
    WritePrivateProfileStringW(L"launcher", L"pad_navigation", L"1",
                               (fs::path(argv[1]) / L".local" / L"launcher.ini").c_str());
    return 0;
}
