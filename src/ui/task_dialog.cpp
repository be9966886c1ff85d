#include "ui/task_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "texts/texts.h"

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

std::string WindowsDisplayLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) <= 0)
        return "en";
    std::string tag;
    for (const wchar_t* c = name; *c; ++c) tag += *c < 0x80 ? static_cast<char>(*c) : '?';
    return tag;
}

// Asked at each box: the player may have changed the language since the last one.
bool OwnButtonTextsNow() { return NeedsOwnButtonTexts(g_language.tag, WindowsDisplayLanguage()); }

std::string_view LanguageOf(std::string_view tag) { return tag.substr(0, tag.find_first_of("-_")); }

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
    }
    return true;
}

// What Esc answers: Cancel where there is one, OK where it is the only button, nothing for Yes /
// No (a message box ignores Esc there too). Wine's task dialog ignores IDCANCEL without a Cancel
// button, so the first two are clicked here.
LRESULT CALLBACK EscapeAsMessageBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR escapeAnswer) noexcept {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && escapeAnswer != IDCANCEL) {
        if (escapeAnswer == IDOK) PostMessageW(dialog, TDM_CLICK_BUTTON, IDOK, 0);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, EscapeAsMessageBox, kEscapeSubclassId);
    return DefSubclassProc(dialog, message, wParam, lParam);
}

HRESULT CALLBACK OnBoxNotification(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR escapeAnswer) noexcept {
    if (notification == TDN_CREATED) {
        SetWindowSubclass(dialog, EscapeAsMessageBox, kEscapeSubclassId, static_cast<DWORD_PTR>(escapeAnswer));
    }
    return S_OK;
}

PCWSTR TaskDialogIcon(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return TD_ERROR_ICON;
    case MB_ICONWARNING:
        return TD_WARNING_ICON;
    case MB_ICONINFORMATION:
    case MB_ICONQUESTION:
        return TD_INFORMATION_ICON;
    default:
        return nullptr;
    }
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
    const bool ownOk = OwnButtonTextsNow();
    const std::wstring okText = Text("button.ok");
    if (ownOk) buttons.push_back({IDOK, okText.c_str()});

    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof(config);
    config.hwndParent = request.owner;
    // Esc closes it as it closes a message box; it opens over its owner.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = ownOk ? 0 : TDCBF_OK_BUTTON;
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

std::vector<MessageBoxButton> MessageBoxButtons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, "button.ok"}, {IDCANCEL, "button.cancel"}};
    case MB_YESNO:
        return {{IDYES, "button.yes"}, {IDNO, "button.no"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "button.yes"}, {IDNO, "button.no"}, {IDCANCEL, "button.cancel"}};
    default:
        return {{IDOK, "button.ok"}};
    }
}

bool NeedsOwnButtonTexts(std::string_view launcherTag, std::string_view windowsTag) {
    const std::string_view launcher = LanguageOf(launcherTag);
    return !SameLetters(launcher, "en") || !SameLetters(launcher, LanguageOf(windowsTag));
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    static const TaskDialogIndirectFunction show = FindTaskDialogIndirect();
    if (!show || !OwnButtonTextsNow()) return MessageBoxW(owner, text.c_str(), caption.c_str(), type);

    const std::vector<MessageBoxButton> kinds = MessageBoxButtons(type);
    std::vector<std::wstring> texts;
    std::vector<TASKDIALOG_BUTTON> buttons;
    LONG_PTR escapeAnswer = kinds.size() == 1 ? IDOK : 0;
    for (const MessageBoxButton& kind : kinds) {
        texts.push_back(Text(kind.textKey));
        if (kind.id == IDCANCEL) escapeAnswer = IDCANCEL;
    }
    for (size_t i = 0; i < kinds.size(); ++i) buttons.push_back({kinds[i].id, texts[i].c_str()});
    const size_t defaultIndex = (type & MB_DEFMASK) == MB_DEFBUTTON2 ? 1 : (type & MB_DEFMASK) == MB_DEFBUTTON3 ? 2 : 0;

    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW | (escapeAnswer ? TDF_ALLOW_DIALOG_CANCELLATION : 0);
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TaskDialogIcon(type);
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = buttons[std::min(defaultIndex, buttons.size() - 1)].nButtonID;
    config.pfCallback = OnBoxNotification;
    config.lpCallbackData = escapeAnswer;
    int pressed = 0;
    if (FAILED(show(&config, &pressed, nullptr, nullptr)))
        return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
    return pressed;
}
