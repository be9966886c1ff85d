// The controls editor in this process: its window and children, key capture through the message
// filter, controller capture and hot-plugging on its timer tick, the save refusals and what is
// written (or not) on Save, Cancel, Esc and the close box.
#include <gtest/gtest.h>

#include <string>

#include "app/launcher_state.h"
#include "controls/controls_editor.h"
#include "controls/controls_editor_layout.h"
#include "controls_test_support.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kIdle[] = L"Click a key or button to change it. Changes apply when a game starts.";
constexpr wchar_t kReserved[] = L"That key is reserved or not recognised. Choose another key. Esc cancels.";

class ControlsEditor : public ::testing::Test {
protected:
    void SetUp() override {
        g_launcher.instance = GetModuleHandleW(nullptr);
        owner_ = CreateHiddenWindow();
        profile_ = folder_.path() / L"controls.ini";
    }
    void TearDown() override {
        if (HWND editor = ControlsEditorWindow()) DestroyWindow(editor);
        DestroyWindow(owner_);
    }
    HWND Open() {
        OpenControlsEditor(owner_, profile_);
        return ControlsEditorWindow();
    }
    void Command(int id, int notification = BN_CLICKED) {
        SendMessageW(ControlsEditorWindow(), WM_COMMAND, MAKEWPARAM(id, notification), 0);
    }
    void Choose(int id, int index) {
        SendMessageW(Child(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        Command(id, CBN_SELCHANGE);
    }
    // A key-down as the message loop hands it to the filter, addressed to the focused button.
    bool Key(UINT vk, LPARAM lParam = 0, UINT message = WM_KEYDOWN) {
        MSG msg = {};
        msg.hwnd = Child(kFirstKeyButtonId + 4);
        msg.message = message;
        msg.wParam = vk;
        msg.lParam = lParam;
        return ControlsKeyFilter(&msg);
    }
    HWND Child(int id) { return GetDlgItem(ControlsEditorWindow(), id); }
    std::wstring Text(int id) {
        wchar_t text[256] = {};
        GetWindowTextW(Child(id), text, 256);
        return text;
    }
    const ActionBinding& Working(int row) { return EditorWorkingProfile().bindings[static_cast<size_t>(row)]; }
    int Saved(const wchar_t* key) { return static_cast<int>(GetPrivateProfileIntW(L"controls", key, -99, profile_.c_str())); }

    TempFolder folder_{L"tlvr-editor"};
    fs::path profile_;
    HWND owner_ = nullptr;
};
}  // namespace

TEST_F(ControlsEditor, OpensOnceOverItsDisabledOwnerLaidOutOnItsCanvas) {
    HWND editor = Open();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner_));
    EXPECT_EQ(GetWindow(editor, GW_OWNER), owner_);
    wchar_t title[128] = {};
    GetWindowTextW(editor, title, 128);
    EXPECT_STREQ(title, L"Controls \u2014 Talvaro Ovra-Remix Recomp");
    EXPECT_EQ(GetFocus(), Child(kFirstKeyButtonId + 4));

    RECT client = {};
    GetClientRect(editor, &client);
    const EditorFit fit = FitEditorCanvas(client.right, client.bottom);
    RECT save = {};
    GetWindowRect(Child(kEditorSaveId), &save);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&save), 2);
    const EditorRect expected = PlaceOnEditorCanvas({650, 713, 155, 35}, fit);
    EXPECT_EQ(save.left, expected.x);
    EXPECT_EQ(save.top, expected.y);
    EXPECT_EQ(save.right - save.left, expected.width);
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Child(kEditorSaveId), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, EditorFontHeight(fit.scale));

    EXPECT_EQ(Text(kFirstKeyButtonId), L"Up");
    EXPECT_EQ(Text(kFirstControllerButtonId + 9), L"Start / Options");
    EXPECT_EQ(SendMessageW(Child(kSteeringChoiceId), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboItem(Child(kSteeringChoiceId), 1), L"Right \u2014 horizontal only");
    EXPECT_EQ(SendMessageW(Child(kDeadzoneChoiceId), CB_GETCOUNT, 0, 0), 46);
    EXPECT_EQ(ComboItem(Child(kDeadzoneChoiceId),
                        static_cast<int>(SendMessageW(Child(kDeadzoneChoiceId), CB_GETCURSEL, 0, 0))),
              L"25%");
    MINMAXINFO limits = {};
    SendMessageW(editor, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 800);
    EXPECT_EQ(limits.ptMinTrackSize.y, 650);

    OpenControlsEditor(owner_, folder_.path() / L"other.ini");  // only raises the open editor
    EXPECT_EQ(ControlsEditorWindow(), editor);
    EXPECT_EQ(FindWindowExW(nullptr, editor, kControlsEditorClass, nullptr), nullptr);
}

TEST_F(ControlsEditor, EscapeEndsACaptureFirstAndThenClosesWithoutSaving) {
    ASSERT_NE(Open(), nullptr);
    Command(kFirstKeyButtonId + 2);
    EXPECT_EQ(Text(kFirstKeyButtonId + 2), L"Press a key\u2026");
    EXPECT_TRUE(Key(VK_ESCAPE));
    EXPECT_FALSE(EditorCapture().running());
    EXPECT_EQ(Text(kFirstKeyButtonId + 2), L"Left");
    EXPECT_EQ(EditorStatusText(), kIdle);
    ASSERT_NE(ControlsEditorWindow(), nullptr) << "Esc during a capture closed the editor";

    Command(kFirstClearButtonId + 3);
    EXPECT_TRUE(Key(VK_ESCAPE));
    EXPECT_EQ(ControlsEditorWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_FALSE(fs::exists(profile_));
}

TEST_F(ControlsEditor, ReservedKeysKeepCapturingAndAHeldKeyIsTakenOnce) {
    ASSERT_NE(Open(), nullptr);
    Command(kFirstKeyButtonId + 4);
    EXPECT_EQ(EditorStatusText(), L"Press the new key. Esc cancels. Tab and F1\u2013F12 are reserved by the game.");
    EXPECT_FALSE(IsWindowEnabled(Child(kEditorSaveId))) << "Save stays disabled during a capture";
    for (const UINT reserved : {static_cast<UINT>(VK_TAB), static_cast<UINT>(VK_F5)}) {
        EXPECT_TRUE(Key(reserved));
        EXPECT_EQ(EditorStatusText(), kReserved);
        EXPECT_EQ(EditorCapture().row, 4);
    }
    EXPECT_TRUE(Key('Q', 1 | (1 << 30))) << "an auto-repeat is swallowed";
    EXPECT_EQ(Working(4).key, 27);
    EXPECT_TRUE(EditorCapture().running());
    EXPECT_TRUE(Key('X'));
    EXPECT_EQ(Working(4).key, 27);
    EXPECT_FALSE(EditorCapture().running());
    EXPECT_EQ(Text(kFirstKeyButtonId + 4), L"X");
    EXPECT_TRUE(IsWindowEnabled(Child(kEditorSaveId)));

    // Shift, keypad Enter and Alt are told apart by their message.
    const struct {
        int row;
        UINT vk;
        LPARAM lParam;
        UINT message;
        int scancode;
    } keys[] = {{0, VK_SHIFT, 0x36 << 16, WM_KEYDOWN, 229},
                {1, VK_SHIFT, 0x2A << 16, WM_KEYDOWN, 225},
                {2, VK_RETURN, 1 << 24, WM_KEYDOWN, 88},
                {3, VK_MENU, 0x38 << 16, WM_SYSKEYDOWN, 226}};
    for (const auto& k : keys) {
        Command(kFirstKeyButtonId + k.row);
        EXPECT_TRUE(Key(k.vk, k.lParam, k.message));
        EXPECT_EQ(Working(k.row).key, k.scancode) << "row " << k.row;
    }
}

TEST_F(ControlsEditor, SaveRefusesSharedKeysWithTheirLabelsInOrder) {
    ASSERT_NE(Open(), nullptr);
    Command(kFirstKeyButtonId + kShiftUp);
    Key(VK_UP);
    Command(kFirstKeyButtonId + kSteerLeft);
    Key(VK_UP);
    Command(kEditorSaveId);
    ASSERT_NE(ControlsEditorWindow(), nullptr);
    EXPECT_EQ(EditorStatusText(),
              L"The same key is assigned to \u201CMenu: up\u201D and \u201CSteer left\u201D. "
              L"Change or clear one of them before saving.");
    EXPECT_FALSE(fs::exists(profile_));

    // "Menu: up" may keep sharing with "Shift up"; two cleared actions do not conflict.
    Command(kFirstClearButtonId + kSteerLeft);
    Command(kFirstClearButtonId + 3);
    EXPECT_EQ(Text(kFirstKeyButtonId + 3), L"No key");
    EXPECT_EQ(Text(kFirstControllerButtonId + 3), L"No button");
    Command(kEditorSaveId);
    EXPECT_EQ(ControlsEditorWindow(), nullptr) << "the save was refused";
    EXPECT_EQ(Saved(L"shift_up_key"), 82);
    EXPECT_EQ(Saved(L"left_key"), 0);
    EXPECT_EQ(Saved(L"right_kind"), 0);
}

TEST_F(ControlsEditor, AnAxisOnTheSteeringStickIsRefusedUntilSteeringIsDisabled) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_EQ(ComboItem(Child(kControllerChoiceId), 0), L"Controller 1 \u2014 disconnected");
    Command(kFirstControllerButtonId + kBrake);
    RunEditorPollTick();
    EXPECT_EQ(EditorStatusText(), L"Controller disconnected. Reconnect it or choose another. Esc cancels.");
    EXPECT_TRUE(EditorCapture().running());

    VirtualPad pad("Editor pad");
    ASSERT_TRUE(pad.attached());
    RunEditorPollTick();  // the pad arrives and is listed at once; everything at rest arms
    EXPECT_EQ(ComboItem(Child(kControllerChoiceId), 0), L"Controller 1 \u2014 Editor pad");
    RunEditorPollTick();
    EXPECT_EQ(Text(kFirstControllerButtonId + kBrake), L"Press a button or move an axis\u2026");
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    RunEditorPollTick();
    EXPECT_FALSE(EditorCapture().running());
    EXPECT_EQ(Text(kFirstControllerButtonId + kBrake), L"Left stick horizontal \u2212");
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);

    Command(kEditorSaveId);
    ASSERT_NE(ControlsEditorWindow(), nullptr);
    EXPECT_EQ(EditorStatusText(),
              L"That axis already steers the car. Choose another control or disable the steering stick before saving.");
    Choose(kSteeringChoiceId, 2);
    Command(kEditorSaveId);
    EXPECT_EQ(ControlsEditorWindow(), nullptr);
    EXPECT_EQ(Saved(L"steering_stick"), 2);
    EXPECT_EQ(Saved(L"brake_kind"), 2);
    EXPECT_EQ(Saved(L"brake_code"), 0);
    EXPECT_EQ(Saved(L"brake_sign"), -1);
}

TEST_F(ControlsEditor, ControllersComeAndGoWithinOneTick) {
    ASSERT_NE(Open(), nullptr);
    {
        VirtualPad pad("Hot pad");
        ASSERT_TRUE(pad.attached());
        RunEditorPollTick();
        EXPECT_EQ(ComboItem(Child(kControllerChoiceId), 0), L"Controller 1 \u2014 Hot pad");
        EXPECT_EQ(SendMessageW(Child(kControllerChoiceId), CB_GETCURSEL, 0, 0), 0);
    }
    RunEditorPollTick();
    EXPECT_EQ(ComboItem(Child(kControllerChoiceId), 0), L"Controller 1 \u2014 disconnected");
    EXPECT_EQ(SendMessageW(Child(kControllerChoiceId), CB_GETCOUNT, 0, 0), 2);
}

TEST_F(ControlsEditor, ASlotBeyondTwoOpensAsTheFirstAndAnotherChoiceOrDeactivationEndsACapture) {
    WriteFileBytes(profile_, "[controls]\r\ncontroller_slot=4\r\n");
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(EditorWorkingProfile().controllerSlot, 0);
    EXPECT_EQ(SendMessageW(Child(kControllerChoiceId), CB_GETCURSEL, 0, 0), 0);

    Command(kFirstControllerButtonId + 3);
    EXPECT_EQ(Text(kFirstControllerButtonId + 3), L"Release buttons and sticks\u2026");
    Choose(kControllerChoiceId, 1);
    EXPECT_FALSE(EditorCapture().running());
    EXPECT_EQ(EditorWorkingProfile().controllerSlot, 1);
    EXPECT_EQ(EditorStatusText(), kIdle);

    Command(kFirstKeyButtonId + 3);
    SendMessageW(ControlsEditorWindow(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(EditorCapture().running());
    Command(kFirstKeyButtonId + 3);
    Command(kEditorCancelId);
    EXPECT_FALSE(EditorCapture().running());
    EXPECT_NE(ControlsEditorWindow(), nullptr) << "Cancel during a capture only ends it";
}

TEST_F(ControlsEditor, ChoicesAreStoredAndRestoreDefaultsPutsEveryFieldBack) {
    ASSERT_NE(Open(), nullptr);
    Choose(kDeadzoneChoiceId, 45);
    EXPECT_EQ(ComboItem(Child(kDeadzoneChoiceId), 45), L"50%");
    Choose(kSteeringChoiceId, 1);
    Command(kPulseLabelId, STN_CLICKED);
    EXPECT_EQ(SendMessageW(Child(kPulseBoxId), BM_GETCHECK, 0, 0), BST_CHECKED);
    Choose(kControllerChoiceId, 1);
    Command(kEditorSaveId);
    ASSERT_EQ(ControlsEditorWindow(), nullptr);
    EXPECT_EQ(Saved(L"deadzone"), 50);
    EXPECT_EQ(Saved(L"steering_stick"), 1);
    EXPECT_EQ(Saved(L"pulse_pedals"), 1);
    EXPECT_EQ(Saved(L"controller_slot"), 1);

    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(SendMessageW(Child(kDeadzoneChoiceId), CB_GETCURSEL, 0, 0), 45);
    Command(kFirstClearButtonId + 9);
    Command(kFirstKeyButtonId + 0);
    Command(kRestoreDefaultsId);
    EXPECT_FALSE(EditorCapture().running());
    EXPECT_EQ(EditorWorkingProfile(), DefaultControlsProfile());
    EXPECT_EQ(SendMessageW(Child(kDeadzoneChoiceId), CB_GETCURSEL, 0, 0), 20);
    EXPECT_EQ(SendMessageW(Child(kSteeringChoiceId), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(Child(kControllerChoiceId), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(Child(kPulseBoxId), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Text(kFirstKeyButtonId + 9), L"Return");
    Command(kEditorSaveId);
    EXPECT_EQ(LoadControlsProfile(profile_), DefaultControlsProfile());
}

TEST_F(ControlsEditor, TheCloseBoxDiscardsAndAFailedSaveKeepsTheEditorOpen) {
    const std::string previous = "[controls]\r\ndeadzone=30\r\n";
    WriteFileBytes(profile_, previous);
    ASSERT_NE(Open(), nullptr);
    Choose(kDeadzoneChoiceId, 0);
    Command(kFirstClearButtonId + 1);
    SendMessageW(ControlsEditorWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(ControlsEditorWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(ReadFileBytes(profile_), previous);

    profile_ = folder_.path() / L"missing" / L"controls.ini";
    ASSERT_NE(Open(), nullptr);
    Command(kEditorSaveId);
    ASSERT_NE(ControlsEditorWindow(), nullptr);
    EXPECT_EQ(EditorStatusText(), L"Could not save. Check that the .local folder is writable and try again.");
}
