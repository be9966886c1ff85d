// The pad as another keyboard: timing, stick hysteresis, two controllers, release-to-fire and
// what each input means in each kind of window; and the scripted pad's lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/pad_script.h"
#include "controls/pad_translation.h"

namespace {
using Acts = std::vector<PadInput>;

PadReading With(bool PadReading::*field) {
    PadReading reading;
    reading.*field = true;
    return reading;
}
PadReading Stick(int x, int y) {
    PadReading reading;
    reading.leftX = x;
    reading.leftY = y;
    return reading;
}

// A state past its first poll, so presses act.
PadState Ready() {
    PadState state;
    StepPad(state, {PadReading{}}, PadTarget::Secondary, 0);
    return state;
}

struct Poll {
    ULONGLONG at;
    std::vector<PadReading> readings;
    PadTarget target;
    Acts expected;
};

void Play(const char* name, PadState state, const std::vector<Poll>& polls) {
    for (const Poll& poll : polls) {
        EXPECT_EQ(StepPad(state, poll.readings, poll.target, poll.at), poll.expected)
            << name << ", poll at " << poll.at << " ms";
    }
}
}  // namespace

TEST(PadTranslation, TimingHysteresisControllersAndReleaseToFire) {
    const PadReading none;
    const PadReading right = With(&PadReading::right);
    const PadReading a = With(&PadReading::a);
    const PadReading start = With(&PadReading::start);
    const PadReading b = With(&PadReading::b);
    const PadTarget home = PadTarget::Home, other = PadTarget::Secondary, box = PadTarget::MessageBox;
    const Acts nothing;
    const Acts goRight{PadInput::Right};

    Play("held direction repeats after 400 ms, then every 100 ms", Ready(),
         {{100, {right}, other, goRight},
          {499, {right}, other, nothing},
          {500, {right}, other, goRight},
          {599, {right}, other, nothing},
          {600, {right}, other, goRight},
          {610, {none}, other, nothing},
          {620, {right}, other, goRight}});

    Play("stick engages past half, lets go below a third, no chatter between", Ready(),
         {{10, {Stick(16000, 0)}, other, nothing},
          {20, {Stick(17000, 0)}, other, goRight},
          {30, {Stick(12000, 0)}, other, nothing},
          {40, {Stick(17000, 0)}, other, nothing},
          {50, {Stick(10000, 0)}, other, nothing},
          {60, {Stick(17000, 0)}, other, goRight},
          {70, {Stick(0, -20000)}, other, Acts{PadInput::Up}},
          {80, {Stick(-20000, 0)}, other, Acts{PadInput::Left}}});

    Play("the same input on two controllers in one poll counts once", Ready(),
         {{10, {a, a}, other, Acts{PadInput::Accept}},
          {20, {none, a}, other, nothing},
          {30, {none, none}, other, nothing},
          {40, {right, Stick(20000, 0)}, other, goRight}});

    Play("home: a and start act when let go, in the window where they were pressed", Ready(),
         {{10, {a}, home, nothing},
          {20, {none}, home, Acts{PadInput::Accept}},
          {30, {start}, home, nothing},
          {40, {none}, home, Acts{PadInput::Start}},
          {50, {a}, home, nothing},
          {60, {none}, box, nothing},       // pressed at home, let go in a message box
          {70, {a}, box, Acts{PadInput::Accept}},
          {80, {none}, home, nothing},      // the box took it on the press
          {90, {b}, other, Acts{PadInput::Back}}});

    PadState fresh;
    Play("held when the controllers open, or pressed in the background: ignored until let go", fresh,
         {{0, {a}, other, nothing},
          {10, {a}, other, nothing},
          {20, {none}, other, nothing},
          {30, {right}, PadTarget::None, nothing},
          {900, {right}, other, nothing},
          {910, {none}, other, nothing},
          {920, {a}, other, Acts{PadInput::Accept}}});
}

TEST(PadTranslation, EachWindowKindGivesEachInputItsMeaning) {
    using K = PadStroke;
    const K nothing;
    auto key = [](UINT vk) { return K{K::Key, vk}; };
    const K tab{K::TabForward, 0}, backTab{K::TabBackward, 0}, play{K::Play, 0}, close{K::Close, 0};
    struct Case {
        PadInput input;
        PadTarget target;
        FocusKind focus;
        K expected;
    };
    const Case cases[] = {
        {PadInput::Left, PadTarget::Home, FocusKind::Button, key(VK_LEFT)},
        {PadInput::Right, PadTarget::Home, FocusKind::Button, key(VK_RIGHT)},
        {PadInput::Up, PadTarget::Home, FocusKind::Button, backTab},
        {PadInput::Down, PadTarget::Home, FocusKind::Button, tab},
        {PadInput::Accept, PadTarget::Home, FocusKind::Button, key(VK_RETURN)},
        {PadInput::Back, PadTarget::Home, FocusKind::Button, nothing},
        {PadInput::Start, PadTarget::Home, FocusKind::Button, play},
        {PadInput::Left, PadTarget::Secondary, FocusKind::ComboBox, key(VK_UP)},
        {PadInput::Right, PadTarget::Secondary, FocusKind::ComboBox, key(VK_DOWN)},
        {PadInput::Right, PadTarget::Secondary, FocusKind::CheckBox, key(VK_SPACE)},
        {PadInput::Left, PadTarget::Secondary, FocusKind::Button, nothing},
        {PadInput::Accept, PadTarget::Secondary, FocusKind::Button, key(VK_SPACE)},
        {PadInput::Accept, PadTarget::Secondary, FocusKind::Other, key(VK_RETURN)},
        {PadInput::Back, PadTarget::Secondary, FocusKind::Other, close},
        {PadInput::Start, PadTarget::Secondary, FocusKind::Button, nothing},
        {PadInput::Left, PadTarget::MessageBox, FocusKind::Button, key(VK_LEFT)},
        {PadInput::Accept, PadTarget::MessageBox, FocusKind::Button, key(VK_RETURN)},
        {PadInput::Back, PadTarget::MessageBox, FocusKind::Button, key(VK_ESCAPE)},
        {PadInput::Start, PadTarget::MessageBox, FocusKind::Button, nothing},
        {PadInput::Back, PadTarget::KeyCapture, FocusKind::Button, key(VK_ESCAPE)},
        {PadInput::Accept, PadTarget::KeyCapture, FocusKind::Button, nothing},
        {PadInput::Down, PadTarget::KeyCapture, FocusKind::Button, nothing},
        {PadInput::Back, PadTarget::ControllerCapture, FocusKind::Button, nothing},
        {PadInput::Accept, PadTarget::ControllerCapture, FocusKind::Button, nothing},
        {PadInput::Start, PadTarget::None, FocusKind::Button, nothing},
        {PadInput::West, PadTarget::Secondary, FocusKind::Button, nothing},
        {PadInput::North, PadTarget::Home, FocusKind::Button, nothing},
        // The folder browser reads its own keys, whatever has the focus.
        {PadInput::Up, PadTarget::FolderBrowser, FocusKind::Other, key(VK_UP)},
        {PadInput::Down, PadTarget::FolderBrowser, FocusKind::Other, key(VK_DOWN)},
        {PadInput::Left, PadTarget::FolderBrowser, FocusKind::Other, key(VK_PRIOR)},
        {PadInput::Right, PadTarget::FolderBrowser, FocusKind::Other, key(VK_NEXT)},
        {PadInput::Accept, PadTarget::FolderBrowser, FocusKind::Other, key(VK_RETURN)},
        {PadInput::Back, PadTarget::FolderBrowser, FocusKind::Other, key(VK_BACK)},
        {PadInput::West, PadTarget::FolderBrowser, FocusKind::Other, key(VK_SPACE)},
        {PadInput::North, PadTarget::FolderBrowser, FocusKind::Other, key(kChooseShownKey)},
        {PadInput::Start, PadTarget::FolderBrowser, FocusKind::Other, nothing},
    };
    for (const Case& c : cases) {
        const K got = StrokeFor(c.input, c.target, c.focus);
        EXPECT_TRUE(got == c.expected) << "input " << static_cast<int>(c.input) << " in target "
                                       << static_cast<int>(c.target) << " on focus " << static_cast<int>(c.focus)
                                       << " gave kind " << got.kind << " key " << got.virtualKey;
    }
    EXPECT_EQ(FocusKindOf(L"Button", BS_AUTOCHECKBOX | WS_TABSTOP), FocusKind::CheckBox);
    EXPECT_EQ(FocusKindOf(L"BUTTON", BS_OWNERDRAW), FocusKind::Button);
    EXPECT_EQ(FocusKindOf(L"ComboBox", CBS_DROPDOWNLIST), FocusKind::ComboBox);
    EXPECT_EQ(FocusKindOf(L"Edit", ES_MULTILINE), FocusKind::Other);
}

TEST(PadScriptLines, EveryFormParsesAndTheFirstBadLineIsNamed) {
    const PadScript good = ParsePadScript(
        L"# comment\r\nwait 250\r\n\r\npress a 2:start\r\nrelease 1:a\ntap dpleft\naxis 2:lefty -32768\n");
    ASSERT_EQ(good.errorLine, 0);
    ASSERT_EQ(good.steps.size(), 7u);  // tap is press, 100 ms, release
    EXPECT_EQ(good.steps[0].milliseconds, 250);
    EXPECT_EQ(good.steps[1].kind, PadScriptStep::Press);
    ASSERT_EQ(good.steps[1].inputs.size(), 2u);
    EXPECT_EQ(good.steps[1].inputs[1].pad, 1);
    EXPECT_EQ(good.steps[1].inputs[1].code, 6);  // SDL_CONTROLLER_BUTTON_START
    EXPECT_EQ(good.steps[3].inputs[0].code, 13);  // dpleft
    EXPECT_EQ(good.steps[4].milliseconds, 100);
    EXPECT_EQ(good.steps[5].kind, PadScriptStep::Release);
    EXPECT_EQ(good.steps[6].kind, PadScriptStep::Axis);
    EXPECT_EQ(good.steps[6].inputs[0].code, 1);
    EXPECT_EQ(good.steps[6].value, -32768);

    const std::pair<const wchar_t*, int> bad[] = {
        {L"wait\n", 1},         {L"wait -5\n", 1},          {L"press\n", 1},
        {L"press a\npress z\n", 2}, {L"tap 3:a\n", 1},      {L"axis leftx 40000\n", 1},
        {L"axis a 5\n", 1},     {L"hold a\n", 1},           {L"wait 10\nwait 1O\n", 2},
    };
    for (const auto& [text, line] : bad) {
        const PadScript parsed = ParsePadScript(text);
        EXPECT_EQ(parsed.errorLine, line) << "script: " << testing::PrintToString(std::wstring(text));
        EXPECT_TRUE(parsed.steps.empty());
    }
}
