// The problem report of an installation whose install log is 50 MB (with the profile path in
// every thousandth line, so the redaction has work to do). Measures:
//   - the time to the finished zip, written on the calling thread (median of five);
//   - the longest time the GUI thread took to answer while "Save a report" built the same
//     report: a prober thread sends WM_GETTEXT to a window of the GUI thread, one after another,
//     for the whole save; for contrast, the same probe while the report is written on the GUI
//     thread itself.
// Usage: report_bench [LOG_MEGABYTES]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "app/launcher_state.h"
#include "app/output_lines.h"
#include "report/problem_report.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Probe {
    Clock::time_point origin = Clock::now();
    double longestAtMs = 0;  // when the longest wait began, from `origin`
    std::atomic<bool> stop{false};
    HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    double longestMs = 0;
    long answers = 0;
};

void RunProbe(HWND target, Probe* probe) {
    wchar_t text[64];
    while (!probe->stop.load()) {
        const auto begin = Clock::now();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(target, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 60000, &result);
        const double waited = Ms(Clock::now() - begin);
        if (waited > probe->longestMs) {
            probe->longestMs = waited;
            probe->longestAtMs = Ms(begin - probe->origin);
        }
        ++probe->answers;
        Sleep(1);
    }
    SetEvent(probe->finished);
}

// Stops the probe while answering it: a probe waiting on this thread must not wait out its
// time-out while this thread waits for the probe.
void StopProbe(Probe& probe, std::thread& thread) {
    probe.stop = true;
    while (MsgWaitForMultipleObjects(1, &probe.finished, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    thread.join();
    CloseHandle(probe.finished);
}

// Waits while answering: a plain Sleep here would be counted against the save.
void PumpFor(DWORD milliseconds) {
    const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

std::wstring g_lastZip;
bool KeepZipPath(const std::wstring& zipPath) {
    g_lastZip = zipPath;
    return true;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const long megabytes = argc > 1 ? _wtol(argv[1]) : 50;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const fs::path root = fs::path(temp) / (L"tlvr-report-bench-" + std::to_wstring(GetCurrentProcessId()));
    std::error_code stale;
    fs::remove_all(root, stale);
    fs::create_directories(root / L".local" / L"logs");
    const std::wstring profile = CurrentRedactionTerms().profilePath;
    {
        std::ofstream log(root / L".local" / L"install-0.60.log", std::ios::binary);
        const std::string line(79, 'i');
        const std::string pathLine = "[STAGE 2/5] reading " + WideToUtf8(profile) + "\\Downloads\\roms";
        const long lines = megabytes * 1024 * 1024 / 80;
        for (long n = 0; n < lines; ++n) log << (n % 1000 == 999 ? pathLine : line) << '\n';
    }
    std::ofstream(root / L".local" / L"launcher.ini", std::ios::binary) << "[launcher]\r\nfilter=1\r\n";
    std::ofstream(root / L".local" / L"logs" / L"tlvr1-latest.log", std::ios::binary) << "game says hello\n";
    g_launcher.root = root;

    // The time to the finished zip.
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        std::wstring zipPath, error;
        const auto begin = Clock::now();
        if (!WriteProblemReport(CurrentProblemReportSource(), &zipPath, &error)) {
            fwprintf(stderr, L"report failed: %ls\n", error.c_str());
            return 1;
        }
        times.push_back(Ms(Clock::now() - begin));
        fs::remove(zipPath, stale);
    }
    std::sort(times.begin(), times.end());

    // A window of this (GUI) thread for the probe to ask.
    HWND window = CreateWindowExW(0, L"STATIC", L"report bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetReportFolderOpenerForTesting(KeepZipPath);

    // Five saves, each under its own probe.
    std::vector<double> longest;
    std::vector<double> saves;
    std::wstring where;
    for (int run = 0; run < 5; ++run) {
        Probe probe;
        std::thread prober(RunProbe, window, &probe);
        PumpFor(30);  // the probe runs before the save begins
        const auto saveBegin = Clock::now();
        SaveProblemReportFromWindow(window);
        saves.push_back(Ms(Clock::now() - saveBegin));
        const double startMs = Ms(saveBegin - probe.origin);
        StopProbe(probe, prober);
        longest.push_back(probe.longestMs);
        wchar_t line[160];
        swprintf(line, 160, L"    save %d: %.0f ms, longest answer %.1f ms, its wait began %.0f ms after the save began (%ld probes)\n",
                 run + 1, saves.back(), probe.longestMs, probe.longestAtMs - startMs, probe.answers);
        where += line;
        fs::remove(g_lastZip, stale);
    }
    std::vector<double> sortedLongest = longest;
    std::sort(sortedLongest.begin(), sortedLongest.end());
    std::sort(saves.begin(), saves.end());

    Probe onGui;
    std::thread blocked(RunProbe, window, &onGui);
    PumpFor(20);
    {
        std::wstring zipPath, error;
        WriteProblemReport(CurrentProblemReportSource(), &zipPath, &error);
    }
    StopProbe(onGui, blocked);
    DestroyWindow(window);

    wprintf(L"report of a %ld MB install log\n", megabytes);
    wprintf(L"  time to the finished zip: median %.0f ms (min %.0f, max %.0f, 5 runs)\n", times[2], times[0], times[4]);
    wprintf(L"  Save a report (worker thread): median %.0f ms; GUI thread's longest answer median %.1f ms, max %.1f ms "
            L"(target 50 ms)\n%ls",
            saves[2], sortedLongest[2], sortedLongest[4], where.c_str());
    wprintf(L"  for contrast, written on the GUI thread: longest answer %.1f ms\n", onGui.longestMs);
    fs::remove_all(root, stale);
    return 0;
}
