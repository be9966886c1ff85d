// From the first press of a pad after a key to the home window painted with the pad's prompts:
// the real home window in this process, SDL's virtual controller with a DualSense's ids, the
// navigation's 16 ms poll, and the paint that follows. A key press between presses brings the
// key names back each time.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/launcher_state.h"
#include "controls/controller_input.h"
#include "controls/last_input.h"
#include "controls/pad_navigation.h"
#include "controls/virtual_controller.h"
#include "play/home_window.h"
#include "ui/drawing_kit.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
Clock::time_point g_painted;
bool g_paintedWithPad = false;
HWND g_home = nullptr;

void PumpOnce() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        NoteInputMessage(message);  // as the Launcher's message loop does
        TranslateMessage(&message);
        DispatchMessageW(&message);
        // A paint comes from the queue (hooks of sent messages never see it): its end is here.
        if (message.hwnd == g_home && message.message == WM_PAINT && !g_paintedWithPad &&
            CurrentPromptStyle() == PromptStyle::PlayStation) {
            g_painted = Clock::now();
            g_paintedWithPad = true;
        }
    }
}

void PumpFor(int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < end) {
        PumpOnce();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path(module).parent_path().parent_path() / L"demo";
    CoInitialize(nullptr);
    g_launcher.instance = GetModuleHandleW(nullptr);
    g_launcher.root = root;
    g_launcher.dpiScale = 1.0f;
    StartDrawingKit(root / L"assets" / L"launcher", 1.0f);
    WNDCLASSEXW cls = {sizeof(cls)};
    cls.lpfnWndProc = HomeWindowProc;
    cls.hInstance = g_launcher.instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = kHomeWindowClass;
    RegisterClassExW(&cls);
    g_home = CreateWindowExW(0, kHomeWindowClass, L"prompts bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1300,
                             850, nullptr, nullptr, g_launcher.instance, nullptr);
    ShowWindow(g_home, SW_SHOW);
    SetForegroundWindow(g_home);
    PumpFor(500);
    StartPadNavigation(true);
    PumpFor(500);
    VirtualController pad("prompts bench", 0x054C, 0x0CE6);
    for (int i = 0; i < 100 && OpenedControllerCount() == 0; ++i) PumpFor(20);
    if (!pad.joystick() || OpenedControllerCount() == 0) {
        std::printf("no virtual controller: not measured\n");
        return 1;
    }
    std::vector<double> times;
    unsigned seed = 4321;
    for (int i = 0; i < 40; ++i) {
        // A key: the key names come back and are painted.
        PostMessageW(g_home, WM_KEYDOWN, VK_SHIFT, 1);
        PumpFor(80);
        seed = seed * 1103515245u + 12345u;
        PumpFor(static_cast<int>(seed % 32));  // presses at every phase of the poll
        g_paintedWithPad = false;
        const auto pressed = Clock::now();
        SDL_JoystickSetVirtualButton(pad.joystick(), SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_PRESSED);
        while (!g_paintedWithPad && Clock::now() - pressed < std::chrono::seconds(2)) {
            PumpOnce();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        SDL_JoystickSetVirtualButton(pad.joystick(), SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_RELEASED);
        if (g_paintedWithPad) times.push_back(Ms(g_painted - pressed));
        PumpFor(60);
    }
    std::sort(times.begin(), times.end());
    std::printf("pad press after a key to the home window painted with the pad's prompts, %zu of 40 seen\n"
                "  (target: one poll period, 16 ms, plus one paint)\n",
                times.size());
    if (!times.empty()) {
        std::printf("  median %.1f ms, 90th %.1f ms, max %.1f ms\n", times[times.size() / 2],
                    times[times.size() * 9 / 10], times.back());
    }
    DestroyWindow(g_home);
    return 0;
}
