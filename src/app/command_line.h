#pragma once
// Reading the Launcher's command line: pure functions over the split words.
#include <windows.h>
#include <filesystem>
#include <string>
#include <vector>

// Numbers on the command line read like _wtoi: optional blanks and sign, decimal digits,
// anything unreadable gives 0.
int ReadNumberLikeWtoi(const std::wstring& text);

// True when the words (element 0 is the program) ask for the update-apply run:
// exactly six words, the second being "--apply-update" or "--recover-update".
bool IsUpdateApplyRun(const std::vector<std::wstring>& words);

struct ScannedOptions {
    std::wstring captureFile;  // as given; made absolute by MakeOptionPathAbsolute
    std::wstring capturePage = L"main";
    int requestedWidth = 0;
    int requestedHeight = 0;
    bool launchRun = false;
    int launchGameIndex = 0;  // n - 1 of "--qa-launch n"
    std::wstring controlsCaptureFile;
    bool playRun = false;  // "--play n"
    int playNumber = 0;    // n as read, checked by start-up
    std::wstring padScriptFile;  // "--qa-pad"
    bool crashCheck = false;     // "--qa-crash"
    bool reportRun = false;      // "--report"
    std::wstring language;       // "--language TAG": this run only
};

// Scans elements 1 onward. An option counts only when its values follow it; otherwise it is one
// ignored word. A later occurrence overrides an earlier one.
ScannedOptions ScanOptions(const std::vector<std::wstring>& words);

// The words of GetCommandLineW() as CommandLineToArgvW splits them.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

// The standard library's absolute path against the current directory; empty stays empty.
std::filesystem::path MakeOptionPathAbsolute(const std::wstring& text);

// Wraps one argument in double quotes so that CommandLineToArgvW gives it back unchanged:
// backslashes before a quote, and a run of backslashes at the end, are doubled (a quote inside
// gets one more). Every other character is copied.
std::wstring QuoteArgument(const std::wstring& argument);
