#include "launcher_windows_fixture.h"

#include "controls/controls_editor.h"
#include "install/installer_entry.h"
#include "install/rom_search.h"
#include "play/home_window.h"
#include "play/launcher_settings.h"
#include "texts/texts.h"
#include "ui/drawing_kit.h"
#include "ui/options_window.h"
#include "ui/video_window.h"
#include "update/update_entry.h"

namespace fs = std::filesystem;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::vector<HWND> ChildWindows(HWND top) {
    std::vector<HWND> children;
    EnumChildWindows(
        top,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

void LauncherWindows::SetUp() {
    art_ = PackageArtFolder();
    ASSERT_FALSE(art_.empty()) << "build the demo installation or set TLVR_TEST_ART_DIR";
    saved_ = g_launcher;
    kit_.reset(new DrawingKitSession(art_));
    g_launcher.instance = GetModuleHandleW(nullptr);
    g_launcher.root = root_.path();
    g_launcher.settingsFile = root_.path() / L"launcher.ini";
    g_launcher.settings = LauncherSettings{};
    g_launcher.dpiScale = 1.0f;

    WNDCLASSEXW cls = {sizeof(cls)};
    cls.hInstance = g_launcher.instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpfnWndProc = HomeWindowProc;
    cls.lpszClassName = kHomeWindowClass;
    RegisterClassExW(&cls);  // one an earlier test registered stays: the same procedure
    cls.lpfnWndProc = VideoWindowProc;
    cls.hbrBackground = DarkBackgroundBrush();
    cls.lpszClassName = kVideoSettingsClass;
    RegisterClassExW(&cls);
    RegisterInstallerWindowClass(g_launcher.instance, UiFont(), root_.path());
    // The installer's suggestion walks no folder of the machine unless a test gives it some.
    SetRomSearchPlacesQuery([](const fs::path&) { return std::vector<fs::path>{}; });
    RegisterUpdatesWindowClass(g_launcher.instance, UiFont(), root_.path(), true, [] { return true; });
}

void LauncherWindows::TearDown() {
    for (HWND window :
         {ControlsEditorWindow(), InstallerWindow(), UpdatesWindow(), g_launcher.videoWindow, OptionsWindow()}) {
        Close(window);
    }
    Close(home_);
    FinishLauncherSettingsSaves();  // nothing writes into the temporary root once the test ends
    SetTextLanguage("en");  // a test that chose a language leaves none behind
    UnregisterClassW(kVideoSettingsClass, GetModuleHandleW(nullptr));  // its brush goes with the kit
    UnregisterClassW(kOptionsWindowClass, GetModuleHandleW(nullptr));
    kit_.reset();
    SetRomSearchPlacesQuery(nullptr);
    g_launcher = saved_;
}

HWND LauncherWindows::Home() {
    if (!home_) {
        home_ = CreateWindowExW(WS_EX_NOACTIVATE, kHomeWindowClass, L"home", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                0, 0, 1300, 850, nullptr, nullptr, g_launcher.instance, nullptr);
        ShowWindow(home_, SW_SHOWNOACTIVATE);
    }
    return home_;
}

void LauncherWindows::Command(HWND window, int id) {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void LauncherWindows::Close(HWND window) {
    if (window && IsWindow(window)) DestroyWindow(window);
    Pump();
}

void LauncherWindows::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
