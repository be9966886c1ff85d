#pragma once
// A warning or notice with actions beside OK: a task dialog of common controls 6. Its extra
// buttons act without closing it; OK, Enter and Esc close it, as they close a message box.
#include <windows.h>

#include <functional>
#include <string>
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
