// Controller input through SDL2 with virtual controllers: the two-slot list, the armed capture
// and which input wins.
#include <gtest/gtest.h>

#include "controls/controller_input.h"
#include "controls_test_support.h"

namespace {
class ControllerInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartControllers(); }
    void SetUp() override {
        owner_ = CreateHiddenWindow();
        combo_ = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 90, 200, owner_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override {
        CloseControllers();
        DestroyWindow(owner_);
    }
    PollOutcome Poll(CaptureState capture, int slot = 0) { return PollControllers(capture, slot, combo_, false); }

    HWND owner_ = nullptr;
    HWND combo_ = nullptr;
};

const CaptureState kWaiting{4, true, false};
const CaptureState kArmed{4, true, true};
}  // namespace

TEST_F(ControllerInput, WithoutControllersBothItemsAreDisconnectedAndACaptureSaysSo) {
    RebuildControllerList(combo_, 1);
    ASSERT_EQ(SendMessageW(combo_, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(ComboItem(combo_, 0), L"Controller 1 \u2014 disconnected");
    EXPECT_EQ(ComboItem(combo_, 1), L"Controller 2 \u2014 disconnected");
    EXPECT_EQ(SendMessageW(combo_, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Poll(kWaiting).event, CaptureEvent::Disconnected);
    EXPECT_EQ(Poll(CaptureState{4, false, false}).event, CaptureEvent::None) << "a key capture ignores controllers";
}

TEST_F(ControllerInput, OnlyTheFirstTwoControllersAreListed) {
    VirtualPad one("Pad one"), two("Pad two"), three("Pad three");
    ASSERT_TRUE(one.attached() && two.attached() && three.attached());
    RebuildControllerList(combo_, 0);
    ASSERT_EQ(SendMessageW(combo_, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(OpenedControllerCount(), 2);
    EXPECT_EQ(ComboItem(combo_, 0), L"Controller 1 \u2014 Pad one");
    EXPECT_EQ(ComboItem(combo_, 1), L"Controller 2 \u2014 Pad two");
    EXPECT_NE(SelectedController(1), nullptr);
    EXPECT_EQ(SelectedController(2), nullptr);

    // Slot 2 is the second controller: its button is the one captured.
    two.Button(SDL_CONTROLLER_BUTTON_X, true);
    const PollOutcome outcome = Poll(CaptureState{4, true, true}, 1);
    EXPECT_EQ(outcome.event, CaptureEvent::Captured);
    EXPECT_EQ(outcome.input.code, SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(Poll(CaptureState{4, true, true}, 0).event, CaptureEvent::None);
}

TEST_F(ControllerInput, AButtonHeldWhenTheCaptureBeginsIsNeverRecorded) {
    VirtualPad pad("Held pad");
    ASSERT_TRUE(pad.attached());
    RebuildControllerList(combo_, 0);
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(Poll(kWaiting).event, CaptureEvent::None);
    EXPECT_EQ(Poll(kWaiting).event, CaptureEvent::None) << "held through the capture: nothing";
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(Poll(kWaiting).event, CaptureEvent::Armed);
    EXPECT_EQ(Poll(kArmed).event, CaptureEvent::None);
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    const PollOutcome outcome = Poll(kArmed);
    ASSERT_EQ(outcome.event, CaptureEvent::Captured);
    EXPECT_EQ(outcome.input.kind, kBindingButton);
    EXPECT_EQ(outcome.input.code, 0);
    EXPECT_EQ(outcome.input.sign, 0);

    // A stick pushed before the start counts as held too.
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 32767);
    EXPECT_EQ(Poll(kWaiting).event, CaptureEvent::None);
}

TEST_F(ControllerInput, ButtonsWinOverAxesAndAxesGiveTheirDirection) {
    VirtualPad pad("Axis pad");
    ASSERT_TRUE(pad.attached());
    RebuildControllerList(combo_, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pad.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    PollOutcome outcome = Poll(kArmed);
    ASSERT_EQ(outcome.event, CaptureEvent::Captured);
    EXPECT_EQ(outcome.input.kind, kBindingButton);
    EXPECT_EQ(outcome.input.code, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);

    pad.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
    outcome = Poll(kArmed);
    ASSERT_EQ(outcome.event, CaptureEvent::Captured);
    EXPECT_EQ(outcome.input.kind, kBindingAxis);
    EXPECT_EQ(outcome.input.code, 0);
    EXPECT_EQ(outcome.input.sign, -1);

    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -20000);  // not beyond the threshold
    EXPECT_EQ(Poll(kArmed).event, CaptureEvent::None);
    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    outcome = Poll(kArmed);
    ASSERT_EQ(outcome.event, CaptureEvent::Captured);
    EXPECT_EQ(outcome.input.kind, kBindingAxis);
    EXPECT_EQ(outcome.input.code, 5);
    EXPECT_EQ(outcome.input.sign, 1);
}
