// The installer under a script that prints 100,000 lines of 80 characters as fast as it can.
// Measures, from outside the Launcher:
//   - every line in the log file, and the newest lines in the log box (under its first line, a note
//     that names the file, once older lines went);
//   - the longest time the GUI thread took to answer a message during the run (a probe sends
//     WM_GETTEXT to the status text, which the GUI thread answers, one after another);
//   - the run's time from "Install games" to the end status, against the time the PowerShell
//     stand-in needs to write the same lines to a file.
// Usage: install_bench DEMO_FOLDER STANDIN_EXE [LINES] [LENGTH]
// The stand-in must already be at the system folder's PowerShell path (bench/run.sh puts it there).
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
constexpr wchar_t kCompleteText[] = L"Installation complete. Your games are ready in the installed launcher.";

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

HWND WaitForWindow(DWORD processId, const wchar_t* windowClass) {
    for (int i = 0; i < 600; ++i) {
        FindContext context{processId, windowClass, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&context));
        if (context.found) return context.found;
        Sleep(50);
    }
    return nullptr;
}

std::wstring Text(HWND hwnd, UINT timeoutMs = 10000) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, timeoutMs,
                        &copied);
    text.resize(std::min<size_t>(copied, length));
    return text;
}

// The stand-in's numbered line n (without its line end).
std::string NumberedLine(long n, size_t length) {
    char head[16];
    snprintf(head, sizeof(head), "%07ld ", n);
    std::string line = head;
    while (line.size() < length) line += static_cast<char>('a' + (line.size() % 26));
    line.resize(length);
    return line;
}

// Seconds the stand-in needs to write the lines to a file (or, with `throughPipe`, through an
// anonymous pipe to a reader that only reads 4096 bytes at a time), best of three.
double Floor(const fs::path& standin, const fs::path& file, long lines, long length, bool throughPipe) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE out = nullptr;
        if (throughPipe) {
            CreatePipe(&readEnd, &out, &inherit, 0);
            SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        } else {
            out = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        std::wstring commandLine = L"\"" + standin.wstring() + L"\" --lines " + std::to_wstring(lines) + L" " +
                                   std::to_wstring(length);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = out;
        PROCESS_INFORMATION info = {};
        const auto begin = Clock::now();
        if (!CreateProcessW(standin.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                            nullptr, &startup, &info)) {
            CloseHandle(out);
            return -1;
        }
        if (throughPipe) {
            CloseHandle(out);
            out = readEnd;
            char buffer[4096];
            DWORD read = 0;
            while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            }
        }
        WaitForSingleObject(info.hProcess, INFINITE);
        best = std::min(best, Seconds(Clock::now() - begin));
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        CloseHandle(out);
    }
    return best;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: install_bench DEMO_FOLDER STANDIN_EXE [LINES] [LENGTH]\n");
        return 2;
    }
    const fs::path demo = argv[1];
    const fs::path standin = argv[2];
    const long lines = argc > 3 ? _wtol(argv[3]) : 100000;
    const long length = argc > 4 ? _wtol(argv[4]) : 80;

    // A fresh installation root: the demo's launcher and artwork, and a script of one command.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const fs::path root = fs::path(temp) / (L"tlvr-install-bench-" + std::to_wstring(GetCurrentProcessId()));
    std::error_code stale;
    fs::remove_all(root, stale);  // process ids come round again
    fs::create_directories(root / L"scripts");
    fs::copy_file(demo / L"TalvaroOvraRecomp.exe", root / L"TalvaroOvraRecomp.exe");
    fs::copy(demo / L"assets", root / L"assets", fs::copy_options::recursive);
    std::ofstream(root / L"scripts" / L"install.ps1", std::ios::binary)
        << "#standin lines " << lines << " " << length << "\r\n#standin exit 0\r\n";

    const double floor = Floor(standin, root / L"floor.txt", lines, length, false);
    const double pipeFloor = Floor(standin, root / L"floor.txt", lines, length, true);

    std::wstring commandLine = L"\"" + (root / L"TalvaroOvraRecomp.exe").wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW((root / L"TalvaroOvraRecomp.exe").c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, root.c_str(), &startup, &info)) {
        fwprintf(stderr, L"could not start the launcher\n");
        return 1;
    }
    HWND home = WaitForWindow(info.dwProcessId, L"TalvaroOvra");
    if (home) PostMessageW(home, WM_COMMAND, MAKEWPARAM(205, BN_CLICKED), 0);
    HWND installer = home ? WaitForWindow(info.dwProcessId, L"TLVRInstaller") : nullptr;
    if (!installer) {
        fwprintf(stderr, L"no installer window\n");
        TerminateProcess(info.hProcess, 1);
        return 1;
    }
    SendMessageW(GetDlgItem(installer, 10), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\roms"));
    const std::wstring destination = (root / L"installed").wstring();
    SendMessageW(GetDlgItem(installer, 13), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(destination.c_str()));
    HWND status = GetWindow(FindWindowExW(installer, nullptr, L"msctls_progress32", nullptr), GW_HWNDNEXT);

    const auto begin = Clock::now();
    PostMessageW(GetDlgItem(installer, 1), BM_CLICK, 0, 0);
    double longestAnswer = 0;
    long probes = 0;
    bool ended = false;
    while (Seconds(Clock::now() - begin) < 600) {
        wchar_t text[256] = {};
        DWORD_PTR copied = 0;
        const auto sent = Clock::now();
        SendMessageTimeoutW(status, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &copied);
        longestAnswer = std::max(longestAnswer, Seconds(Clock::now() - sent));
        ++probes;
        if (wcscmp(text, kCompleteText) == 0) {
            ended = true;
            break;
        }
        Sleep(1);
    }
    const double run = Seconds(Clock::now() - begin);

    // Every line, in order, in the box and in the file.
    const std::wstring box = Text(GetDlgItem(installer, 30), 60000);
    std::string expected;
    expected.reserve(static_cast<size_t>(lines) * (length + 2));
    for (long n = 1; n <= lines; ++n) expected += NumberedLine(n, static_cast<size_t>(length)) + "\r\n";
    std::ifstream logFile(root / L".local" / L"install-0.60.log", std::ios::binary);
    std::stringstream fileText;
    fileText << logFile.rdbuf();
    long boxLines = 0;
    for (size_t at = box.find(L"\r\n"); at != std::wstring::npos; at = box.find(L"\r\n", at + 2)) ++boxLines;
    // What the box holds below its note (if older lines went) must be the newest lines, whole.
    const size_t noteEnd = box.compare(0, 6, L"Older ") == 0 ? box.find(L"\r\n") + 2 : 0;
    const std::wstring wide(expected.begin(), expected.end());
    const size_t kept = box.size() - noteEnd;
    const bool boxWhole = kept <= wide.size() && wide.compare(wide.size() - kept, kept, box, noteEnd, kept) == 0 &&
                          (noteEnd != 0 || kept == wide.size());
    const bool fileWhole = fileText.str() == expected;

    PostMessageW(installer, WM_CLOSE, 0, 0);
    Sleep(300);
    PostMessageW(home, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::error_code error;
    fs::remove_all(root, error);

    wprintf(L"installer: %ld lines of %ld characters\n", lines, length);
    wprintf(L"  run ended:            %ls\n", ended ? L"yes" : L"NO (time-out)");
    wprintf(L"  log box:              %ld lines (%zu characters), %ls\n", boxLines, box.size(),
            boxWhole ? (noteEnd ? L"the note, then the newest lines in order" : L"every line in order")
                     : L"LINES MISSING OR CHANGED");
    wprintf(L"  log file:             %zu bytes, %ls\n", fileText.str().size(), fileWhole ? L"every byte" : L"BYTES MISSING OR CHANGED");
    wprintf(L"  longest GUI answer:   %.1f ms over %ld probes (target 50 ms: ratio %.2f)\n", longestAnswer * 1000, probes,
            longestAnswer * 1000 / 50);
    wprintf(L"  run time:             %.2f s; stand-in writing to a file: %.2f s (ratio %.2f, target 3)\n", run, floor,
            floor > 0 ? run / floor : 0.0);
    wprintf(L"  through a bare pipe:  %.2f s (ratio %.2f to the file); the run against it: ratio %.2f\n", pipeFloor,
            floor > 0 ? pipeFloor / floor : 0.0, pipeFloor > 0 ? run / pipeFloor : 0.0);
    return ended && boxWhole && fileWhole ? 0 : 1;
}
