#include "install_support.h"

#include <commctrl.h>

#include <algorithm>

namespace bb {

InstallerControls ControlsOf(HWND installer) {
    InstallerControls c;
    c.window = installer;
    c.rom1 = ChildWithId(installer, 10);
    c.rom2 = ChildWithId(installer, 11);
    c.destination = ChildWithId(installer, 13);
    c.browse[0] = ChildWithId(installer, 20);
    c.browse[1] = ChildWithId(installer, 21);
    c.browse[2] = ChildWithId(installer, 23);
    c.progress = FindWindowExW(installer, nullptr, PROGRESS_CLASSW, nullptr);
    c.status = c.progress ? GetWindow(c.progress, GW_HWNDNEXT) : nullptr;
    c.log = ChildWithId(installer, 30);
    c.install = ChildWithId(installer, 1);
    c.close = ChildWithId(installer, 2);
    return c;
}

InstallerControls OpenInstallerFromHome(const Process& launcher, HWND home) {
    ClickButton(ChildWithId(home, kHomeInstallCommand));
    const std::optional<Window> installer = launcher.FindWindowOfClass(kInstallerClass, 10s);
    return installer ? ControlsOf(installer->hwnd) : InstallerControls{};
}

std::wstring FullText(HWND control) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        10000, &copied);
    text.resize(copied);
    return text;
}

void SetText(HWND control, const std::wstring& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &result);
}

int ProgressOf(const InstallerControls& installer) {
    DWORD_PTR position = 0;
    SendMessageTimeoutW(installer.progress, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
    return static_cast<int>(position);
}

bool WaitForRunEnd(const InstallerControls& installer, std::chrono::milliseconds timeout) {
    return WaitUntil([&] {
        const std::wstring status = WindowText(installer.status);
        return (status == kCompleteText || status == kStoppedText || status == kFailedText) &&
               WindowText(installer.close) == L"Close" && IsWindowEnabled(installer.close);
    }, timeout);
}

bool WaitForStatus(const InstallerControls& installer, const std::wstring& status, std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return WindowText(installer.status) == status; }, timeout);
}

}  // namespace bb
