// The controls capture run ("--qa-controls"): drives the editor through key capture, conflict
// refusal, save, controller capture with a virtual controller, a picture and cancel. Each failed
// step ends the run with its own code.
#include <exception>

#include "controls/controls_editor.h"
#include "controls/virtual_controller.h"
#include "ui/owned_window.h"
#include "ui/window_capture.h"

namespace fs = std::filesystem;

namespace {
constexpr int kPassed = 0;
constexpr int kKeyCaptureFailed = 2;
constexpr int kKeySaveFailed = 3;
constexpr int kCancelSaved = 4;
constexpr int kNoVirtualController = 5;
constexpr int kControllerCaptureFailed = 6;
constexpr int kControllerSaveFailed = 7;
constexpr int kConflictSaved = 8;

constexpr int kShiftUpRow = 6;
constexpr int kShiftDownRow = 7;
constexpr int kRScancode = 21;
constexpr int kQScancode = 20;
constexpr int kCaptureButton = 3;


void Command(int id) {
    if (HWND editor = ControlsEditorWindow()) SendMessageW(editor, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// A key press as the message loop would hand it over, addressed to the row's keyboard button.
void PressKey(UINT virtualKey, int row) {
    MSG message = {};
    message.hwnd = GetDlgItem(ControlsEditorWindow(), kFirstKeyButtonId + row);
    message.message = WM_KEYDOWN;
    message.wParam = virtualKey;
    message.lParam = 0;
    ControlsKeyFilter(&message);
}

const ActionBinding& Saved(const ControlsProfile& profile, int row) {
    return profile.bindings[static_cast<size_t>(row)];
}

int PositionOf(SDL_Joystick* joystick) {
    const SDL_JoystickID wanted = SDL_JoystickInstanceID(joystick);
    for (int position = 0; position < OpenedControllerCount(); ++position) {
        SDL_Joystick* opened = SDL_GameControllerGetJoystick(OpenedController(position));
        if (opened && SDL_JoystickInstanceID(opened) == wanted) return position;
    }
    return -1;
}

int RunSteps(HWND owner, const fs::path& profile, const fs::path& captureFile) {
    OpenControlsEditor(owner, profile);
    Command(kFirstKeyButtonId + kShiftUpRow);
    PressKey('R', kShiftUpRow);
    if (Saved(EditorWorkingProfile(), kShiftUpRow).key != kRScancode) return kKeyCaptureFailed;

    Command(kFirstKeyButtonId + kShiftDownRow);
    PressKey('R', kShiftDownRow);
    Command(kEditorSaveId);
    if (!ControlsEditorWindow()) return kConflictSaved;

    Command(kFirstKeyButtonId + kShiftDownRow);
    PressKey('Q', kShiftDownRow);
    Command(kEditorSaveId);
    if (Saved(LoadControlsProfile(profile), kShiftUpRow).key != kRScancode) return kKeySaveFailed;

    OpenControlsEditor(owner, profile);
    VirtualController virtualController("Launcher isolated capture QA");
    SDL_Joystick* joystick = virtualController.joystick();
    if (!joystick) return kNoVirtualController;
    SDL_JoystickUpdate();
    RebuildEditorControllerList();
    const int position = PositionOf(joystick);
    if (position >= 0) SetEditorControllerSlot(position);

    Command(kFirstControllerButtonId + kShiftDownRow);
    RunEditorPollTick();  // everything at rest: arms
    SDL_JoystickSetVirtualButton(joystick, kCaptureButton, SDL_PRESSED);
    SDL_JoystickUpdate();
    RunEditorPollTick();
    if (EditorCapture().running() || Saved(EditorWorkingProfile(), kShiftDownRow).code != kCaptureButton) {
        return kControllerCaptureFailed;
    }
    SDL_JoystickSetVirtualButton(joystick, kCaptureButton, SDL_RELEASED);
    Command(kEditorSaveId);
    if (Saved(LoadControlsProfile(profile), kShiftDownRow).code != kCaptureButton) return kControllerSaveFailed;
    // The controller leaves with the guard; the editor is closed by now.

    OpenControlsEditor(owner, profile);
    Command(kRestoreDefaultsId);
    if (HWND editor = ControlsEditorWindow()) {
        UpdateWindow(editor);
        CaptureClientToPng(editor, captureFile);
    }
    Command(kEditorSaveId);

    OpenControlsEditor(owner, profile);
    Command(kFirstKeyButtonId + kShiftDownRow);
    PressKey('T', kShiftDownRow);
    Command(kEditorCancelId);
    if (Saved(LoadControlsProfile(profile), kShiftDownRow).key != kQScancode) return kCancelSaved;
    return kPassed;
}
}  // namespace

int RunControlsCapture(HWND home, const fs::path& profile, const fs::path& captureFile) {
    SetEditorCheckRun(true);
    int code = kKeyCaptureFailed;
    try {
        code = RunSteps(home, profile, captureFile);
    } catch (const std::exception&) {
        // Out of memory: the step under way failed; its code is not known, the first one stands.
    }
    if (HWND editor = ControlsEditorWindow()) CloseOwnedWindow(editor, true);
    SetEditorCheckRun(false);
    return code;
}
