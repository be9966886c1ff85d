#pragma once
// "Game session ended": how a game that failed is reported. The fixed sentence, what the exit code
// means, the game's last lines in the details, and actions to open the logs or save a report.
#include <windows.h>

#include <string>
#include <vector>

inline constexpr size_t kLastLineCount = 3;    // the game's last words: this many lines...
inline constexpr size_t kLastLineWidth = 160;  // ...each cut at this many characters
// How much of the end of a log is read for them: a game may leave a large log behind.
inline constexpr size_t kLogTailBytes = 64 * 1024;

// The last non-empty lines of a log's text (UTF-8), oldest first, each cut at kLastLineWidth.
// `fromMiddle` says the text starts inside the log, so its first line may be a torn one.
std::vector<std::wstring> LastNonEmptyLines(const std::string& text, bool fromMiddle);

// The end of a log file as LastNonEmptyLines reads it; nothing when it cannot be read.
std::vector<std::wstring> LastLinesOfLog(const std::wstring& logFile);

struct SessionEndedTexts {
    std::wstring content;  // the fixed sentence, then what the code means
    std::wstring details;  // the last lines, one a line; empty when the game wrote none
};
SessionEndedTexts SessionEndedDialogTexts(unsigned long exitCode, const std::vector<std::wstring>& lastLines);

// Shows the dialog for a session of game `index` that ended with a non-zero code.
void ShowSessionEndedDialog(HWND owner, unsigned long exitCode, int index);

// The About box: the About text with the same "Save a report".
void ShowAboutDialog(HWND owner, const std::wstring& aboutText);
