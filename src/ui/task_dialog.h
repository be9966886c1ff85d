#pragma once
// The Launcher's one way to show a box. A warning or notice with actions beside OK is a task
// dialog of common controls 6: its extra buttons act without closing it; OK, Enter and Esc close
// it, as they close a message box. A plain box is Windows' message box while the Launcher and
// Windows both speak English; otherwise it becomes a task dialog with our own button texts, so
// that no button reads in another language than the Launcher's.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TaskDialogAction {
    int id = 0;                  // beside IDOK; never one of the common button ids
    std::wstring text;
    std::function<void(HWND dialog)> run;  // the dialog stays open while and after it runs
};

struct TaskDialogRequest {
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring content;      // paragraphs separated by blank lines
    std::wstring details;      // in the expandable part; none when empty
    std::wstring detailsLabel; // the expander's text
    bool warning = false;      // the warning icon; otherwise none
    std::vector<TaskDialogAction> actions;
};

// Modal. Where the task dialog is not available it falls back to a message box with the same
// caption and texts and no actions.
void ShowTaskDialog(const TaskDialogRequest& request);

// MessageBoxW's stand-in for every box of the Launcher: the same type flags (MB_OK, MB_OKCANCEL,
// MB_YESNO, MB_YESNOCANCEL with an MB_ICON... icon) and the same answers (IDOK, IDCANCEL, IDYES,
// IDNO), so that callers read it as they read a message box.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

// The buttons a box of that type shows, in order: the answer each gives and its text's key.
struct MessageBoxButton {
    int id;
    const char* textKey;
};
std::vector<MessageBoxButton> MessageBoxButtons(UINT type);

// True when Windows' own buttons would not speak the Launcher's language: the Launcher's tag
// ("fr") against Windows' display language ("en-US"), by the language without its region.
bool NeedsOwnButtonTexts(std::string_view launcherTag, std::string_view windowsTag);
