// The cost of the languages. Start-up: the Launcher started with "--language de" against
// "--language en", alternating in one run, to its first painted home window. A change: in this
// process, the real home, video and options windows open, the choice saved as Options saves it,
// timed on the GUI thread until every window has painted what the change made stale.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "play/home_window.h"
#include "play/launcher_options.h"
#include "process_window.h"
#include "texts/language_choice.h"
#include "ui/drawing_kit.h"
#include "ui/language_change.h"
#include "ui/options_window.h"
#include "ui/video_window.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Figures {
    double median, p90, max;
};
Figures Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty()) return {-1, -1, -1};
    return {values[values.size() / 2], values[values.size() * 9 / 10], values.back()};
}

// Milliseconds from CreateProcess to the Launcher's painted home window, or -1.
double StartOnce(const fs::path& launcher, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + launcher.wstring() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const auto begin = Clock::now();
    if (!CreateProcessW(launcher.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        launcher.parent_path().c_str(), &startup, &info)) {
        return -1;
    }
    double elapsed = -1;
    FindContext context{info.dwProcessId, kHomeWindowClass, nullptr};
    while (Clock::now() - begin < std::chrono::seconds(30)) {
        context.found = nullptr;
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&context));
        DWORD_PTR ignored = 0;
        if (context.found && SendMessageTimeoutW(context.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored)) {
            elapsed = Ms(Clock::now() - begin);
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

void MeasureStartUp(const fs::path& root, int runs) {
    const fs::path launcher = root / L"TalvaroOvraRecomp.exe";
    StartOnce(launcher, L"--language de");  // warm caches for both
    StartOnce(launcher, L"--language en");
    std::vector<double> german, english;
    for (int i = 0; i < runs; ++i) {
        // Alternating which goes first, so neither always follows the other.
        if (i % 2 == 0) {
            german.push_back(StartOnce(launcher, L"--language de"));
            english.push_back(StartOnce(launcher, L"--language en"));
        } else {
            english.push_back(StartOnce(launcher, L"--language en"));
            german.push_back(StartOnce(launcher, L"--language de"));
        }
    }
    const Figures de = Summarise(german), en = Summarise(english);
    std::printf("start-up to the painted home window, %d runs each, alternating:\n", runs);
    std::printf("  --language de: median %.1f ms (90th %.1f, max %.1f)\n", de.median, de.p90, de.max);
    std::printf("  --language en: median %.1f ms (90th %.1f, max %.1f)\n", en.median, en.p90, en.max);
    std::printf("  median ratio de/en: %.3f (target at most 1.02)\n", en.median > 0 ? de.median / en.median : -1.0);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

BOOL CALLBACK PaintStale(HWND window, LPARAM) {
    // Paints now whatever the change invalidated, children included; nothing else.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

int CountThreadWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(), [](HWND window, LPARAM n) {
            if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(n);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

void MeasureChange(const fs::path& root, int changes) {
    CoInitialize(nullptr);
    g_launcher.instance = GetModuleHandleW(nullptr);
    g_launcher.root = root;
    g_launcher.settingsFile = fs::path(std::getenv("TEMP") ? std::getenv("TEMP") : ".") / "tlvr-language-bench.ini";
    g_launcher.dpiScale = 1.0f;
    StartDrawingKit(root / L"assets" / L"launcher", 1.0f);
    WNDCLASSEXW cls = {sizeof(cls)};
    cls.hInstance = g_launcher.instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpfnWndProc = HomeWindowProc;
    cls.lpszClassName = kHomeWindowClass;
    RegisterClassExW(&cls);
    cls.lpfnWndProc = VideoWindowProc;
    cls.hbrBackground = DarkBackgroundBrush();
    cls.lpszClassName = kVideoSettingsClass;
    RegisterClassExW(&cls);
    HWND home = CreateWindowExW(0, kHomeWindowClass, L"language bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                1300, 850, nullptr, nullptr, g_launcher.instance, nullptr);
    ShowWindow(home, SW_SHOW);
    UpdateWindow(home);
    OpenVideoWindow();
    OpenOptionsWindow();
    Pump();
    const int open = CountThreadWindows();

    // Cycling through the languages, Russian (another face) among them.
    const char* tags[] = {"de", "ru", "fr", "en", "pl", "ru", "es", "en", "pt-BR", "it"};
    std::vector<double> times, applyTimes, announceTimes;
    for (int i = 0; i < changes; ++i) {
        const char* tag = tags[i % (sizeof(tags) / sizeof(tags[0]))];
        Pump();
        const auto begin = Clock::now();
        ApplyLanguageChoice({}, tag);  // as Options' Save applies a new choice
        const auto applied = Clock::now();
        AnnounceLanguageChange();
        const auto announced = Clock::now();
        EnumThreadWindows(GetCurrentThreadId(), PaintStale, 0);
        const auto painted = Clock::now();
        times.push_back(Ms(painted - begin));
        applyTimes.push_back(Ms(applied - begin));
        announceTimes.push_back(Ms(announced - applied));
        Pump();
        Sleep(20);
    }
    const Figures f = Summarise(times);
    std::printf("a language change to %d open windows repainted, on the GUI thread, %d changes:\n", open, changes);
    std::printf("  median %.1f ms, 90th %.1f ms, max %.1f ms (target at most 50 ms)\n", f.median, f.p90, f.max);
    std::printf("  of which choosing and reading the texts: median %.1f ms; telling the windows: median %.1f ms\n",
                Summarise(applyTimes).median, Summarise(announceTimes).median);
    DestroyWindow(home);
    Pump();
    ShutDownDrawingKit();
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: language_bench <installation root> [start-up runs] [changes]\n");
        return 2;
    }
    const fs::path root = argv[1];
    const int runs = argc > 2 ? _wtoi(argv[2]) : 21;
    const int changes = argc > 3 ? _wtoi(argv[3]) : 60;
    if (runs > 0) MeasureStartUp(root, runs);
    if (changes > 0) MeasureChange(root, changes);
    return 0;
}
