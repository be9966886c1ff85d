// What the controls editor refuses to save: a control on the steering axis, and two actions on
// one key or one controller input (except the menu moves with the gear shifts).
#include <gtest/gtest.h>

#include "controls/controls_checks.h"
#include "controls/controls_keys.h"

namespace {
ControlsProfile WithKey(int row, int key, ControlsProfile profile = DefaultControlsProfile()) {
    profile.bindings[static_cast<size_t>(row)].key = key;
    return profile;
}
ControlsProfile WithInput(int row, int kind, int code, int sign, ControlsProfile profile = DefaultControlsProfile()) {
    ActionBinding& b = profile.bindings[static_cast<size_t>(row)];
    b.kind = kind;
    b.code = code;
    b.sign = sign;
    return profile;
}
const std::wstring kSteering =
    L"That axis already steers the car. Choose another control or disable the steering stick before saving.";
}  // namespace

TEST(ControlsSaveChecks, KeysSharedOnlyBetweenMenuMovesAndGearShifts) {
    EXPECT_EQ(SaveRefusal(DefaultControlsProfile()), L"");
    EXPECT_EQ(SaveRefusal(WithKey(kShiftUp, 82)), L"") << "Menu: up may share with Shift up";
    EXPECT_EQ(SaveRefusal(WithKey(kMenuDown, 20)), L"") << "Menu: down may share with Shift down";
    EXPECT_EQ(SaveRefusal(WithKey(kSteerLeft, 82)),
              L"The same key is assigned to \u201CMenu: up\u201D and \u201CSteer left\u201D. "
              L"Change or clear one of them before saving.");
    EXPECT_EQ(SaveRefusal(WithKey(kShiftDown, 8)),
              L"The same key is assigned to \u201CShift up\u201D and \u201CShift down\u201D. "
              L"Change or clear one of them before saving.");
}

TEST(ControlsSaveChecks, ControllerInputsCompareKindCodeAndSign) {
    // Button 0 is "Accelerate / button B"'s default.
    EXPECT_EQ(SaveRefusal(WithInput(9, kBindingButton, 0, 0)),
              L"The same controller input is assigned to \u201CAccelerate / button B\u201D and \u201CStart / pause\u201D. "
              L"Change or clear one of them before saving.");
    const ControlsProfile opposite = WithInput(2, kBindingAxis, 3, -1, WithInput(3, kBindingAxis, 3, 1));
    EXPECT_EQ(SaveRefusal(opposite), L"") << "two directions of one axis are two inputs";
    EXPECT_NE(SaveRefusal(WithInput(2, kBindingAxis, 3, 1, opposite)), L"");
    EXPECT_EQ(SaveRefusal(WithInput(kShiftUp, kBindingButton, 11, 0)), L"") << "menu and shifts may share buttons";

    // The first pair in order wins, and a key conflict is named before a controller one.
    ControlsProfile both = WithKey(8, 40, WithInput(8, kBindingButton, 6, 0));
    both = WithKey(kBrake, 8, both);
    EXPECT_EQ(SaveRefusal(both),
              L"The same key is assigned to \u201CBrake / button A\u201D and \u201CShift up\u201D. "
              L"Change or clear one of them before saving.");
    both = WithKey(kBrake, 29, both);
    EXPECT_EQ(SaveRefusal(both),
              L"The same key is assigned to \u201CButton C / confirm\u201D and \u201CStart / pause\u201D. "
              L"Change or clear one of them before saving.");
}

TEST(ControlsSaveChecks, ClearedActionsNeverConflict) {
    ControlsProfile profile = DefaultControlsProfile();
    profile.bindings[kSteerLeft] = ActionBinding{};
    profile.bindings[kThrottle] = ActionBinding{};
    profile.bindings[9] = ActionBinding{0, kBindingNone, 5, 1};  // stale code and sign behind kind 0
    profile.bindings[8] = ActionBinding{0, kBindingNone, 5, 1};
    EXPECT_EQ(SaveRefusal(profile), L"");
}

TEST(ControlsSaveChecks, TheSteeringAxisIsRefusedOnPedalsAndShiftsOnly) {
    EXPECT_EQ(SaveRefusal(WithInput(kBrake, kBindingAxis, 0, -1)), kSteering);
    EXPECT_EQ(SaveRefusal(WithInput(kShiftDown, kBindingAxis, 0, 1)), kSteering) << "whatever its sign";
    ControlsProfile disabled = WithInput(kBrake, kBindingAxis, 0, -1);
    disabled.steeringStick = 2;
    EXPECT_EQ(SaveRefusal(disabled), L"");
    ControlsProfile right = WithInput(kBrake, kBindingAxis, 0, -1);
    right.steeringStick = 1;
    EXPECT_EQ(SaveRefusal(right), L"") << "the right stick steers: the left stick is free";
    EXPECT_EQ(SaveRefusal(WithInput(kThrottle, kBindingAxis, 2, 1, right)), kSteering);
    EXPECT_EQ(SaveRefusal(WithInput(kSteerLeft, kBindingAxis, 0, -1)), L"") << "steering itself may use it";
    // The steering check comes before the conflict check.
    EXPECT_EQ(SaveRefusal(WithKey(kSteerLeft, 82, WithInput(kThrottle, kBindingAxis, 0, 1))), kSteering);
}

TEST(ControlsKeyTranslation, KeyMessagesBecomeTheGamesScancodes) {
    struct Case {
        UINT vk;
        LPARAM lParam;
        int scancode;
    };
    const LPARAM extended = 1 << 24;
    const Case cases[] = {
        {VK_SHIFT, 0x36 << 16, 229},  {VK_SHIFT, 0x2A << 16, 225}, {VK_SHIFT, 0, 225},
        {VK_RETURN, extended, 88},    {VK_RETURN, 0x1C << 16, 40}, {VK_CONTROL, extended, 228},
        {VK_CONTROL, 0, 224},         {VK_MENU, extended, 230},    {VK_MENU, 0, 226},
        {'0', 0, 39},                 {'1', 0, 30},                {'9', 0, 38},
        {'A', 0, 4},                  {'R', 0, 21},                {'Z', 0, 29},
        {VK_NUMPAD0, 0, 98},          {VK_NUMPAD1, 0, 89},         {VK_NUMPAD9, 0, 97},
        {VK_DECIMAL, 0, 99},          {VK_DIVIDE, 0, 84},          {VK_F1, 0, 58},
        {VK_F12, 0, 69},              {VK_TAB, 0, 43},             {VK_BACK, 0, 42},
        {VK_PRIOR, 0, 75},            {VK_HOME, 0, 74},            {VK_DELETE, 0, 76},
        // Punctuation is taken from the character the key types.
        {VK_OEM_COMMA, 0, 54},        {VK_OEM_PERIOD, 0, 55},      {VK_OEM_MINUS, 0, 45},
        {VK_OEM_1, 0, 51},            {VK_OEM_2, 0, 56},           {VK_OEM_PLUS, 0, 46},
        {VK_F13, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScancodeFromKeyMessage(c.vk, c.lParam), c.scancode) << "virtual key 0x" << std::hex << c.vk;
    }
    // The same keys by position, whatever the layout prints on them.
    EXPECT_EQ(ScancodeFromKeyMessage(VK_OEM_COMMA, 0x33 << 16), 54);
    EXPECT_EQ(ScancodeFromKeyPosition(0x56), 100) << "the key left of Z on ISO keyboards";
    EXPECT_EQ(ScancodeFromKeyPosition(0x1E), 0) << "letters are never found by position";
}
