#include "ui/task_dialog.h"

#include <commctrl.h>

#include <exception>

namespace {
using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// TaskDialogIndirect exists only in common controls 6, which the manifest selects; looked up at
// run time so that a program without that manifest (the test programs) still loads.
TaskDialogIndirectFunction FindTaskDialogIndirect() {
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (!controls) controls = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!controls) return nullptr;
    return reinterpret_cast<TaskDialogIndirectFunction>(
        reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")));
}

constexpr UINT_PTR kEscapeSubclassId = 1;

// Esc (and the pad's b) answers the dialog as OK does, as it answers a message box. Windows'
// task dialog does that itself with TDF_ALLOW_DIALOG_CANCELLATION; Wine's ignores IDCANCEL when
// there is no Cancel button, so the command is turned into OK here for both.
LRESULT CALLBACK EscapeAsOk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        PostMessageW(dialog, TDM_CLICK_BUTTON, IDOK, 0);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, EscapeAsOk, kEscapeSubclassId);
    return DefSubclassProc(dialog, message, wParam, lParam);
}

HRESULT CALLBACK OnNotification(HWND dialog, UINT notification, WPARAM wParam, LPARAM, LONG_PTR data) noexcept {
    if (notification == TDN_CREATED) {
        SetWindowSubclass(dialog, EscapeAsOk, kEscapeSubclassId, 0);
        return S_OK;
    }
    if (notification != TDN_BUTTON_CLICKED) return S_OK;
    const auto* request = reinterpret_cast<const TaskDialogRequest*>(data);
    for (const TaskDialogAction& action : request->actions) {
        if (action.id != static_cast<int>(wParam)) continue;
        try {
            if (action.run) action.run(dialog);
        } catch (const std::exception&) {
            // Only allocation can throw in an action; the dialog stays as it was.
        }
        return S_FALSE;  // an action keeps the dialog open
    }
    return S_OK;
}

void ShowAsMessageBox(const TaskDialogRequest& request) {
    std::wstring text = request.content;
    if (!request.details.empty()) text += L"\n\n" + request.details;
    MessageBoxW(request.owner, text.c_str(), request.caption.c_str(), request.warning ? MB_ICONWARNING : MB_OK);
}
}  // namespace

void ShowTaskDialog(const TaskDialogRequest& request) {
    static const TaskDialogIndirectFunction show = FindTaskDialogIndirect();
    if (!show) {
        ShowAsMessageBox(request);
        return;
    }
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (const TaskDialogAction& action : request.actions) buttons.push_back({action.id, action.text.c_str()});

    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof(config);
    config.hwndParent = request.owner;
    // Esc closes it as it closes a message box; it opens over its owner.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_OK_BUTTON;
    config.pszWindowTitle = request.caption.c_str();
    config.pszMainIcon = request.warning ? TD_WARNING_ICON : nullptr;
    config.pszContent = request.content.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.empty() ? nullptr : buttons.data();
    config.nDefaultButton = IDOK;
    if (!request.details.empty()) {
        config.pszExpandedInformation = request.details.c_str();
        if (!request.detailsLabel.empty()) config.pszCollapsedControlText = request.detailsLabel.c_str();
    }
    config.pfCallback = OnNotification;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&request);
    int pressed = 0;
    if (FAILED(show(&config, &pressed, nullptr, nullptr))) ShowAsMessageBox(request);
}
