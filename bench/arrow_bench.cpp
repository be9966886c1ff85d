// An arrow press at home: from the key message to the GUI thread's answer, with the Launcher on a
// quiet disk and with a scanner stand-in that holds every new file in ".local" for 300 ms without
// delete sharing (as virus scanners, indexers and cloud-sync clients do). Each press changes the
// selected game, so each one asks for a settings save.
//   arrow_bench <installation root with TalvaroOvraRecomp.exe> <tlvr_file_holder.exe>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "process_window.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
constexpr int kPresses = 20;
constexpr DWORD kScannerHoldMs = 300;

struct Child {
    PROCESS_INFORMATION info = {};
    bool started = false;
    Child(const fs::path& program, const std::wstring& arguments, const fs::path& folder) {
        std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                 nullptr, folder.c_str(), &startup, &info) != FALSE;
    }
    ~Child() {
        if (!started) return;
        if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
};

// Milliseconds from each press's WM_KEYDOWN to the GUI thread's answer to it, or nothing.
std::vector<double> Presses(const fs::path& root) {
    Child launcher(root / L"TalvaroOvraRecomp.exe", L"", root);
    if (!launcher.started) return {};
    FindContext context{launcher.info.dwProcessId, L"TalvaroOvra", nullptr};
    for (int i = 0; i < 300 && !context.found; ++i) {
        Sleep(50);
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&context));
    }
    HWND home = context.found;
    if (!home) return {};
    Sleep(2000);  // the first paint and SDL's start behind it
    std::vector<double> times;
    unsigned seed = 20261209;
    for (int press = 0; press < kPresses; ++press) {
        seed = seed * 1103515245u + 12345u;
        Sleep(80 + seed % 240);  // presses at every phase of an earlier save
        DWORD_PTR answer = 0;
        const auto sent = Clock::now();
        // Sent, not posted: the call returns when the window procedure has handled the key.
        if (!SendMessageTimeoutW(home, WM_KEYDOWN, VK_RIGHT, 0, SMTO_NORMAL, 10000, &answer)) break;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        SendMessageTimeoutW(home, WM_KEYUP, VK_RIGHT, 0xC0000001, SMTO_NORMAL, 10000, &answer);
    }
    PostMessageW(home, WM_CLOSE, 0, 0);
    WaitForSingleObject(launcher.info.hProcess, 20000);
    return times;
}

void Report(const wchar_t* what, std::vector<double> times) {
    if (times.size() != kPresses) {
        wprintf(L"  %-40ls only %zu of %d presses answered\n", what, times.size(), kPresses);
        if (times.empty()) return;
    }
    std::sort(times.begin(), times.end());
    wprintf(L"  %-40ls median %6.1f ms, longest %6.1f ms (target: 16 and 50)\n", what,
            times[times.size() / 2], times.back());
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: arrow_bench <installation root> <tlvr_file_holder.exe>\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code error;
    fs::create_directories(root / L".local", error);
    wprintf(L"arrow press at home, key message to the GUI thread's answer, %d presses:\n", kPresses);
    Report(L"quiet disk", Presses(root));
    {
        Child scanner(argv[2], L"--watch \"" + (root / L".local").wstring() + L"\" " + std::to_wstring(kScannerHoldMs),
                      root);
        const fs::path watching = root / L".local" / L"tlvr-watching.held";
        for (int i = 0; i < 100 && !fs::exists(watching, error); ++i) Sleep(50);
        if (!fs::exists(watching, error)) {
            wprintf(L"  the scanner stand-in did not start\n");
        } else {
            Report(L"scanner holding new files for 300 ms", Presses(root));
        }
    }
    fs::remove(root / L".local" / L"tlvr-watching.held", error);
    return 0;
}
