// The installer's ROM search over a profile of 20,000 files: time from the start to the result
// reaching the window, and the GUI thread's longest answer while the worker walks (another
// thread asks it a question every 2 ms, as input and paints would).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "install/rom_search.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
fs::path g_profile;
std::vector<fs::path> ProfilePlaces(const fs::path&) {
    return {g_profile / L"Desktop", g_profile / L"Documents", g_profile / L"Downloads"};
}

RomSearchResult* g_result = nullptr;
LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRomSearchDoneMessage) {
        g_result = TakeRomSearchResult(wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// 20,000 entries: per place 40 folders of 2 levels, 165 small files each, and a few ROMs.
void MakeProfile() {
    int files = 0;
    const std::string small(512, 's'), rom(300 * 1024, 'r');
    for (const wchar_t* place : {L"Desktop", L"Documents", L"Downloads"}) {
        for (int f = 0; f < 40 && files < 20000; ++f) {
            const fs::path folder = g_profile / place / (L"folder" + std::to_wstring(f)) / L"inner";
            fs::create_directories(folder);
            for (int i = 0; i < 165 && files < 20000; ++i, ++files) {
                const bool isRom = (f % 13 == 0 && i == 0);
                std::ofstream(folder / (isRom ? L"game.bin" : L"note" + std::to_wstring(i) + L".txt"), std::ios::binary)
                    << (isRom ? rom : small);
            }
        }
    }
    std::printf("  profile: %d files in %ls\n", files, g_profile.c_str());
}
}  // namespace

int wmain() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    g_profile = fs::path(temp) / (L"tlvr-rom-bench-" + std::to_wstring(GetCurrentProcessId()));
    std::printf("ROM search over a profile of 20,000 files (limits: 3 levels, 20,000 entries, 2 s)\n");
    MakeProfile();

    WNDCLASSW cls = {};
    cls.lpfnWndProc = Proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"RomSearchBench";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                  cls.hInstance, nullptr);
    SetRomSearchPlacesQuery(ProfilePlaces);

    for (int run = 1; run <= 3; ++run) {
        g_result = nullptr;
        std::atomic<bool> done{false}, finished{false};
        std::vector<double> answers;  // the asker's own until it has finished
        std::thread asker([&] {
            while (!done.load()) {
                const auto sent = Clock::now();
                DWORD_PTR ignored = 0;
                SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
                answers.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
                Sleep(2);
            }
            finished = true;
        });
        const auto start = Clock::now();
        StartRomSearch(window, g_profile / L"install");
        MSG message;
        while (!g_result && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        const double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        done = true;
        while (!finished.load()) {  // the asker's last question is answered here
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        }
        asker.join();
        std::sort(answers.begin(), answers.end());
        std::printf("  run %d: %.0f ms to the result, %d entries, %zu folders, %s; GUI answers: %zu, median %.2f ms, "
                    "longest %.2f ms (target 16 ms)\n",
                    run, took, g_result ? g_result->entriesSeen : -1, g_result ? g_result->folders.size() : 0,
                    g_result && g_result->cutShort ? "cut short by a limit" : "walked in full", answers.size(),
                    answers.empty() ? 0.0 : answers[answers.size() / 2], answers.empty() ? 0.0 : answers.back());
        delete g_result;
    }
    std::error_code error;
    fs::remove_all(g_profile, error);
    return 0;
}
