// Drives the demo installation's update on a virtual display, where nobody can click: each
// step presses what a person would press and waits for what they would see, so scripts/run.sh
// can photograph the updates window, the update-apply window and the restarted Launcher.
//   demo_update_driver open-updates   wait for "Update available" on the home window, press it,
//                                      wait until the window's check offers "Download and install"
//   demo_update_driver download       press "Download and install", wait for the apply window
//   demo_update_driver restarted      wait until the apply run has ended and a home window is back
// Exit code 0 when the step's end was seen, 1 when it was not within its time.
#include <windows.h>

#include <string>

namespace {
constexpr wchar_t kHomeClass[] = L"TalvaroOvra";
constexpr wchar_t kUpdatesClass[] = L"TLVRUpdates";
constexpr wchar_t kApplyTitle[] = L"Talvaro Ovra-Remix Recomp - Update";

std::wstring Text(HWND hwnd) {
    wchar_t buffer[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &copied);
    return buffer;
}

template <typename Condition>
bool WaitFor(Condition condition, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (condition()) return true;
        Sleep(100);
    }
    return false;
}

HWND Updates() {
    HWND window = FindWindowW(kUpdatesClass, L"Updates");
    return window;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring step = argc > 1 ? argv[1] : L"";
    if (step == L"open-updates") {
        HWND home = nullptr;
        if (!WaitFor([&] { return (home = FindWindowW(kHomeClass, nullptr)) != nullptr; }, 30)) return 1;
        HWND button = GetDlgItem(home, 207);
        if (!WaitFor([&] { return Text(button) == L"Update available"; }, 30)) return 1;
        PostMessageW(button, BM_CLICK, 0, 0);
        return WaitFor([] { return Updates() && IsWindowEnabled(GetDlgItem(Updates(), 102)); }, 30) ? 0 : 1;
    }
    if (step == L"download") {
        HWND updates = Updates();
        if (!updates) return 1;
        PostMessageW(GetDlgItem(updates, 102), BM_CLICK, 0, 0);
        return WaitFor([] { return FindWindowW(kUpdatesClass, kApplyTitle) != nullptr; }, 30) ? 0 : 1;
    }
    if (step == L"restarted") {
        return WaitFor([] { return !FindWindowW(kUpdatesClass, kApplyTitle) && FindWindowW(kHomeClass, nullptr); }, 60)
                   ? 0
                   : 1;
    }
    return 1;
}
