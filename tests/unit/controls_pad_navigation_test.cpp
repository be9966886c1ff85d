// The pad navigation in this process with SDL's virtual controllers: controllers closed while a
// game runs and while another program has the foreground, the editor's capture owning the pad,
// and the report-mode hints that nothing from outside can turn on.
#include <gtest/gtest.h>

#include <thread>

#include "app/launcher_state.h"
#include "controls/controls_editor.h"
#include "controls/pad_navigation.h"
#include "controls_test_support.h"
#include "temp_folder.h"

namespace {
void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

class PadNavigation : public ::testing::Test {
protected:
    void SetUp() override {
        g_launcher.instance = GetModuleHandleW(nullptr);
        g_launcher.settings.padNavigation = true;
        home_ = CreateWindowExW(0, L"STATIC", L"home", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, g_launcher.instance, nullptr);
        g_launcher.homeWindow = home_;
        SetForegroundWindow(home_);
        PadNavigationAppActivated(true);  // what the home window says on WM_ACTIVATEAPP
        StartPadNavigation(true);
        // SDL starts once the message loop has had a moment with nothing else to do.
        for (int i = 0; i < 100 && !PadNavigationHoldsControllers(); ++i) {
            Sleep(10);
            PumpMessages();
        }
    }
    void TearDown() override {
        if (HWND editor = ControlsEditorWindow()) DestroyWindow(editor);
        g_launcher.gameProcess = nullptr;
        StartPadNavigation(false);  // the tests after these see no navigation
        PumpMessages();
        g_launcher.homeWindow = nullptr;
        DestroyWindow(home_);
    }
    HWND home_ = nullptr;
};
}  // namespace

TEST_F(PadNavigation, ControllersCloseWhileAGameRunsAndWhileAnotherProgramHasTheForeground) {
    VirtualPad pad("pad navigation test");
    ASSERT_TRUE(pad.attached());
    RunPadNavigationTick();  // takes the new controller
    ASSERT_TRUE(PadNavigationHoldsControllers()) << "the Launcher in the foreground did not open the controllers";
    EXPECT_GE(OpenedControllerCount(), 1);

    // The game launch releases them before the process exists; the running game keeps them closed.
    ReleaseControllersForGame();
    g_launcher.gameProcess = GetCurrentProcess();
    RefreshPadNavigation();
    EXPECT_FALSE(PadNavigationHoldsControllers());
    EXPECT_EQ(OpenedControllerCount(), 0) << "a controller stayed open under a running game";
    g_launcher.gameProcess = nullptr;
    RefreshPadNavigation();
    ASSERT_TRUE(PadNavigationHoldsControllers()) << "the game's end did not give the controllers back";

    // Another thread's window in the foreground stands in for another program.
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        HWND window = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 0, 300, 200,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(window);
        SetEvent(ready);
        while (WaitForSingleObject(done, 10) == WAIT_TIMEOUT) PumpMessages();
        DestroyWindow(window);
    });
    WaitForSingleObject(ready, 5000);
    PumpMessages();
    RunPadNavigationTick();
    EXPECT_FALSE(PadNavigationHoldsControllers()) << "the controllers stayed open in the background";
    EXPECT_EQ(OpenedControllerCount(), 0);
    SetEvent(done);
    other.join();
    CloseHandle(ready);
    CloseHandle(done);
}

TEST_F(PadNavigation, TheEditorsControllerCaptureHasThePadAloneAndAHeldBCancelsIt) {
    TempFolder folder(L"tlvr-pad-editor");
    OpenControlsEditor(home_, folder.path() / L"controls.ini");
    HWND editor = ControlsEditorWindow();
    ASSERT_NE(editor, nullptr);
    SetForegroundWindow(editor);
    VirtualPad pad("pad capture test");
    ASSERT_TRUE(pad.attached());
    RunEditorPollTick();  // the editor lists the new controller
    RunPadNavigationTick();
    const int row = 2;
    HWND button = GetDlgItem(editor, kFirstControllerButtonId + row);
    SetFocus(button);

    pad.Button(SDL_CONTROLLER_BUTTON_A, true);  // the a that starts the capture
    SendMessageW(editor, WM_COMMAND, MAKEWPARAM(kFirstControllerButtonId + row, BN_CLICKED), 0);
    RunPadNavigationTick();
    RunEditorPollTick();
    EXPECT_FALSE(EditorCapture().armed) << "the capture armed while a was still held";
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    RunPadNavigationTick();
    RunEditorPollTick();
    ASSERT_TRUE(EditorCapture().armed);

    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    RunPadNavigationTick();
    PumpMessages();
    EXPECT_EQ(GetFocus(), button) << "the navigation moved the focus during a controller capture";
    RunEditorPollTick();
    EXPECT_FALSE(EditorCapture().running());
    EXPECT_EQ(EditorWorkingProfile().bindings[row].code, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);

    // b let go at once is recorded; b held ends the capture as Esc does.
    for (const bool hold : {false, true}) {
        SendMessageW(editor, WM_COMMAND, MAKEWPARAM(kFirstControllerButtonId + row, BN_CLICKED), 0);
        RunEditorPollTick();
        pad.Button(SDL_CONTROLLER_BUTTON_B, true);
        RunPadNavigationTick();
        RunEditorPollTick();
        if (hold) Sleep(700);
        RunEditorPollTick();
        EXPECT_EQ(EditorCapture().running(), !hold);
        pad.Button(SDL_CONTROLLER_BUTTON_B, false);
        RunPadNavigationTick();
        RunEditorPollTick();
        PumpMessages();
        EXPECT_FALSE(EditorCapture().running());
        EXPECT_EQ(EditorWorkingProfile().bindings[row].code, SDL_CONTROLLER_BUTTON_B) << "hold " << hold;
        EXPECT_TRUE(IsWindow(editor)) << "b during a capture closed the editor";
    }
}

TEST(PadHints, ReportModesAndTimerResolutionStayOffWhateverTheEnvironmentSays) {
    SetEnvironmentVariableW(L"SDL_JOYSTICK_HIDAPI_PS4_RUMBLE", L"1");
    SetEnvironmentVariableW(L"SDL_JOYSTICK_HIDAPI_PS5_RUMBLE", L"1");
    SetEnvironmentVariableW(L"SDL_TIMER_RESOLUTION", L"1");
    StartControllers();
    ASSERT_TRUE(ControllersStarted());
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_JOYSTICK_HIDAPI_PS4_RUMBLE), "0");
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_JOYSTICK_HIDAPI_PS5_RUMBLE), "0");
    EXPECT_STREQ(SDL_GetHint(SDL_HINT_TIMER_RESOLUTION), "0") << "SDL would hold a 1 ms system timer";
    SetEnvironmentVariableW(L"SDL_JOYSTICK_HIDAPI_PS4_RUMBLE", nullptr);
    SetEnvironmentVariableW(L"SDL_JOYSTICK_HIDAPI_PS5_RUMBLE", nullptr);
    SetEnvironmentVariableW(L"SDL_TIMER_RESOLUTION", nullptr);
}
