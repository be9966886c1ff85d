// Start-up to the first painted window: the Launcher against a minimal Win32 window program,
// both started the same way. A window counts as painted once it is visible and its thread
// answers a message: UpdateWindow paints synchronously before the message loop starts.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "process_window.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
struct Target {
    fs::path program;
    const wchar_t* windowClass;
};

// Milliseconds from CreateProcess to the first painted window, or -1.
double MeasureOnce(const Target& target) {
    std::wstring commandLine = L"\"" + target.program.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const auto begin = Clock::now();
    if (!CreateProcessW(target.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        target.program.parent_path().c_str(), &startup, &info)) {
        return -1;
    }
    double elapsed = -1;
    FindContext context{info.dwProcessId, target.windowClass, nullptr};
    while (Clock::now() - begin < std::chrono::seconds(30)) {
        context.found = nullptr;
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&context));
        DWORD_PTR ignored = 0;
        if (context.found &&
            SendMessageTimeoutW(context.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) {
            elapsed = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
            break;
        }
        Sleep(1);
    }
    if (context.found) PostMessageW(context.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return elapsed;
}

// A session record of `count` lines, both games, as the Launcher writes it.
std::string SessionRecord(int count) {
    std::string text;
    char line[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof(line), "2026-%02d-%02dT%02d:%02d:00Z,%d,%d,0\r\n", 1 + i % 12, 1 + i % 28,
                      i % 24, i % 60, 1 + i % 2, 300 + i * 7);
        text += line;
    }
    return text;
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: startup_bench <installation root with TalvaroOvraRecomp.exe> <minimal_window.exe> [runs]\n");
        return 2;
    }
    const Target launcher{fs::path(argv[1]) / L"TalvaroOvraRecomp.exe", L"TalvaroOvra"};
    const Target minimal{fs::path(argv[2]), L"TlvrMinimalWindow"};
    const int runs = argc > 3 ? _wtoi(argv[3]) : 9;

    // The same build with the pad navigation on and off, interleaved with the other runs.
    const std::wstring settings = (fs::path(argv[1]) / L".local" / L"launcher.ini").wstring();
    auto measureLauncher = [&](bool navigation) {
        WritePrivateProfileStringW(L"launcher", L"pad_navigation", navigation ? L"1" : L"0", settings.c_str());
        return MeasureOnce(launcher);
    };

    // One warm-up each, so both start from warm file caches.
    MeasureOnce(minimal);
    measureLauncher(true);
    std::vector<double> launcherTimes;
    std::vector<double> withoutPadTimes;
    std::vector<double> minimalTimes;
    for (int i = 0; i < runs; ++i) {
        minimalTimes.push_back(MeasureOnce(minimal));
        launcherTimes.push_back(measureLauncher(true));
        withoutPadTimes.push_back(measureLauncher(false));
    }
    WritePrivateProfileStringW(L"launcher", L"pad_navigation", L"1", settings.c_str());

    // The play time on the cards: a full session record against none, interleaved. The record
    // the installation had is put back afterwards.
    const fs::path sessions = fs::path(argv[1]) / L".local" / L"sessions.csv";
    std::error_code error;
    const bool hadRecord = fs::exists(sessions, error);
    std::string original;
    if (hadRecord) {
        std::ifstream in(sessions, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        original = content.str();
    }
    const std::string fullRecord = SessionRecord(2000);
    auto measureRecord = [&](bool full) {
        if (full) {
            WriteBytes(sessions, fullRecord);
        } else {
            fs::remove(sessions, error);
        }
        return MeasureOnce(launcher);
    };
    measureRecord(true);
    std::vector<double> fullTimes, emptyTimes;
    for (int i = 0; i < 2 * runs; ++i) {
        fullTimes.push_back(measureRecord(true));
        emptyTimes.push_back(measureRecord(false));
    }
    if (hadRecord) {
        WriteBytes(sessions, original);
    } else {
        fs::remove(sessions, error);
    }

    const double l = Median(launcherTimes);
    const double w = Median(withoutPadTimes);
    const double m = Median(minimalTimes);
    wprintf(L"start-up to first painted window, median of %d runs:\n", runs);
    wprintf(L"  minimal Win32 window: %8.1f ms\n", m);
    wprintf(L"  launcher home window: %8.1f ms\n", l);
    wprintf(L"  ratio: %.2f (target at most 1.50)\n", m > 0 ? l / m : -1.0);
    wprintf(L"  launcher, pad navigation off: %8.1f ms; on/off ratio %.2f (target at most 1.05)\n", w,
            w > 0 ? l / w : -1.0);
    const double full = Median(fullTimes), none = Median(emptyTimes);
    wprintf(L"  launcher, 2,000 sessions recorded: %8.1f ms; none: %8.1f ms; ratio %.3f (target at most 1.02), "
            L"median of %d runs each\n",
            full, none, none > 0 ? full / none : -1.0, 2 * runs);
    return 0;
}
