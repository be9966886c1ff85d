#include "play/session_ended_dialog.h"

#include <shellapi.h>

#include <algorithm>
#include <system_error>

#include "texts/texts.h"
#include "app/launcher_state.h"
#include "app/output_lines.h"
#include "app/win_owners.h"
#include "play/exit_code_words.h"
#include "play/game_launch.h"
#include "report/problem_report.h"
#include "ui/task_dialog.h"

namespace fs = std::filesystem;

namespace {
constexpr int kOpenLogsId = 1001;
constexpr int kSaveReportId = 1002;

TaskDialogAction SaveReportAction() { return {kSaveReportId, Text("session_ended.save_report"), SaveProblemReportFromWindow}; }

bool IsBlank(const std::wstring& line) {
    return std::all_of(line.begin(), line.end(), [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; });
}

std::wstring CutAt(std::wstring line, size_t width) {
    if (line.size() <= width) return line;
    // Never half of a surrogate pair.
    size_t end = width;
    if (IS_HIGH_SURROGATE(line[end - 1])) --end;
    line.resize(end);
    return line;
}

void OpenLogsFolder(HWND dialog) {
    const fs::path logs = g_launcher.root / L".local" / L"logs";
    std::error_code error;
    fs::create_directories(logs, error);
    ShellExecuteW(dialog, L"open", logs.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
}  // namespace

std::vector<std::wstring> LastNonEmptyLines(const std::string& text, bool fromMiddle) {
    std::vector<std::wstring> lines;
    size_t end = text.size();
    // Walk back line by line; the text before the first line end of a tail may be a torn line.
    const size_t firstBreak = text.find('\n');
    const size_t stop = fromMiddle ? (firstBreak == std::string::npos ? text.size() : firstBreak + 1) : 0;
    while (end > stop && lines.size() < kLastLineCount) {
        const size_t lineStart = text.rfind('\n', end - 1);
        const size_t begin = (lineStart == std::string::npos || lineStart < stop) ? stop : lineStart + 1;
        std::wstring line = Utf8ToWide(text.substr(begin, end - begin));
        while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.pop_back();
        if (!IsBlank(line)) lines.push_back(CutAt(std::move(line), kLastLineWidth));
        end = begin == stop ? stop : begin - 1;
    }
    std::reverse(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> LastLinesOfLog(const std::wstring& logFile) {
    // The game may still hold the log open for writing; read it beside that.
    UniqueHandle file(CreateFileW(logFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size)) return {};
    const LONGLONG start = std::max<LONGLONG>(0, size.QuadPart - static_cast<LONGLONG>(kLogTailBytes));
    LARGE_INTEGER position = {};
    position.QuadPart = start;
    if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return {};
    std::string tail(static_cast<size_t>(size.QuadPart - start), '\0');
    DWORD read = 0;
    if (!tail.empty() && !ReadFile(file.get(), tail.data(), static_cast<DWORD>(tail.size()), &read, nullptr)) return {};
    tail.resize(read);
    return LastNonEmptyLines(tail, start > 0);
}

SessionEndedTexts SessionEndedDialogTexts(unsigned long exitCode, const std::vector<std::wstring>& lastLines) {
    SessionEndedTexts texts;
    texts.content = Text("session_ended.body") + L"\n\n" + DescribeExitCode(exitCode);
    for (const std::wstring& line : lastLines) {
        if (!texts.details.empty()) texts.details += L"\n";
        texts.details += line;
    }
    return texts;
}

void ShowSessionEndedDialog(HWND owner, unsigned long exitCode, int index) {
    const SessionEndedTexts texts =
        SessionEndedDialogTexts(exitCode, LastLinesOfLog(GameLogFile(g_launcher.root, index).wstring()));
    TaskDialogRequest request;
    request.owner = owner;
    request.caption = Text("session_ended.title");
    request.content = texts.content;
    request.details = texts.details;
    request.detailsLabel = Text("session_ended.details");  // short: Wine's expander is narrow
    request.warning = true;
    request.actions.push_back({kOpenLogsId, Text("session_ended.open_logs"), OpenLogsFolder});
    request.actions.push_back(SaveReportAction());
    ShowTaskDialog(request);
}

void ShowAboutDialog(HWND owner, const std::wstring& aboutText) {
    TaskDialogRequest request;
    request.owner = owner;
    request.caption = Text("about.title");
    request.content = aboutText;
    request.actions.push_back(SaveReportAction());
    ShowTaskDialog(request);
}
