#include "controls_support.h"

namespace bb {

HWND OpenControlsEditorFrom(const Process& launcher, HWND home) {
    ClickButton(ChildWithId(home, kControlsCommand));
    const auto editor = launcher.FindWindowOfClass(kControlsEditorClass, 10s);
    return editor ? editor->hwnd : nullptr;
}

void PostKeyDown(HWND target, UINT virtualKey, LPARAM lParam) {
    PostMessageW(target, WM_KEYDOWN, virtualKey, lParam);
    PostMessageW(target, WM_KEYUP, virtualKey, lParam | (1LL << 30) | (1LL << 31));
}

int ReadControlsKey(const fs::path& profile, const wchar_t* key) {
    return static_cast<int>(GetPrivateProfileIntW(L"controls", key, -99, profile.c_str()));
}

std::wstring EditorStatus(HWND editor) {
    HWND previous = nullptr;
    for (HWND child = GetWindow(editor, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (WindowText(child) == L"Restore defaults") return previous ? WindowText(previous) : L"";
        previous = child;
    }
    return L"";
}

}  // namespace bb
