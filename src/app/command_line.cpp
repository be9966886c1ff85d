#include "app/command_line.h"

#include <shellapi.h>

#include <climits>
#include <cwctype>

#include "app/win_owners.h"

int ReadNumberLikeWtoi(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulate in 64 bits and saturate like the C runtime does on overflow.
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool IsUpdateApplyRun(const std::vector<std::wstring>& words) {
    return words.size() == 6 && (words[1] == L"--apply-update" || words[1] == L"--recover-update");
}

ScannedOptions ScanOptions(const std::vector<std::wstring>& words) {
    ScannedOptions options;
    const size_t count = words.size();
    for (size_t i = 1; i < count; ++i) {
        const std::wstring& word = words[i];
        const size_t valuesLeft = count - i - 1;
        if (word == L"--qa-capture" && valuesLeft >= 1) {
            options.captureFile = words[++i];
        } else if (word == L"--qa-page" && valuesLeft >= 1) {
            options.capturePage = words[++i];
        } else if (word == L"--qa-size" && valuesLeft >= 2) {
            options.requestedWidth = ReadNumberLikeWtoi(words[i + 1]);
            options.requestedHeight = ReadNumberLikeWtoi(words[i + 2]);
            i += 2;
        } else if (word == L"--qa-launch" && valuesLeft >= 1) {
            options.launchRun = true;
            const int number = ReadNumberLikeWtoi(words[++i]);
            options.launchGameIndex = number == INT_MIN ? INT_MIN : number - 1;
        } else if (word == L"--qa-controls" && valuesLeft >= 1) {
            options.controlsCaptureFile = words[++i];
        } else if (word == L"--play" && valuesLeft >= 1) {
            options.playRun = true;
            options.playNumber = ReadNumberLikeWtoi(words[++i]);
        } else if (word == L"--report") {
            options.reportRun = true;
        } else if (word == L"--qa-pad" && valuesLeft >= 1) {
            options.padScriptFile = words[++i];
        } else if (word == L"--language" && valuesLeft >= 1) {
            options.language = words[++i];
        } else if (word == L"--qa-crash") {
            options.crashCheck = true;
        }
        // Anything else, including an option without its values, is ignored.
    }
    return options;
}

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> words;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &count);
    if (!argv) return words;
    ScopedLocalMemory owner(reinterpret_cast<HLOCAL>(argv));
    words.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) words.emplace_back(argv[i]);
    return words;
}

std::filesystem::path MakeOptionPathAbsolute(const std::wstring& text) {
    if (text.empty()) return {};
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(text, error);
    return error ? std::filesystem::path(text) : absolute;
}

std::wstring QuoteArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}
