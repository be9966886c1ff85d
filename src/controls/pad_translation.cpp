#include "controls/pad_translation.h"

#include <cwchar>

namespace {
bool IsDirection(PadInput input) {
    return input == PadInput::Up || input == PadInput::Down || input == PadInput::Left || input == PadInput::Right;
}

bool ActsOnRelease(PadInput input, PadTarget target) {
    return target == PadTarget::Home && (input == PadInput::Accept || input == PadInput::Start);
}

// Hysteresis on one half-axis: engage past half the travel, let go below a third.
bool StickHalf(bool engaged, int value) {
    const int magnitude = value < 0 ? -value : value;
    return engaged ? magnitude >= kStickRelease : magnitude > kStickEngage;
}

void UpdateStick(std::array<bool, 4>& stick, const PadReading& reading) {
    const int up = static_cast<int>(PadInput::Up), down = static_cast<int>(PadInput::Down);
    const int left = static_cast<int>(PadInput::Left), right = static_cast<int>(PadInput::Right);
    stick[up] = reading.leftY < 0 && StickHalf(stick[up], reading.leftY);
    stick[down] = reading.leftY > 0 && StickHalf(stick[down], reading.leftY);
    stick[left] = reading.leftX < 0 && StickHalf(stick[left], reading.leftX);
    stick[right] = reading.leftX > 0 && StickHalf(stick[right], reading.leftX);
}
}  // namespace

std::vector<PadInput> StepPad(PadState& state, const std::vector<PadReading>& readings, PadTarget target,
                              ULONGLONG now) {
    std::array<bool, kPadInputCount> pressed{};
    for (size_t pad = 0; pad < readings.size() && pad < static_cast<size_t>(kMaxPads); ++pad) {
        const PadReading& r = readings[pad];
        std::array<bool, 4>& stick = state.stick[pad];
        UpdateStick(stick, r);
        pressed[static_cast<int>(PadInput::Up)] |= r.up || stick[0];
        pressed[static_cast<int>(PadInput::Down)] |= r.down || stick[1];
        pressed[static_cast<int>(PadInput::Left)] |= r.left || stick[2];
        pressed[static_cast<int>(PadInput::Right)] |= r.right || stick[3];
        pressed[static_cast<int>(PadInput::Accept)] |= r.a;
        pressed[static_cast<int>(PadInput::Back)] |= r.b;
        pressed[static_cast<int>(PadInput::Start)] |= r.start;
        pressed[static_cast<int>(PadInput::West)] |= r.x;
        pressed[static_cast<int>(PadInput::North)] |= r.y;
    }
    for (size_t pad = readings.size(); pad < static_cast<size_t>(kMaxPads); ++pad) state.stick[pad].fill(false);

    std::vector<PadInput> acting;
    for (int i = 0; i < kPadInputCount; ++i) {
        const PadInput input = static_cast<PadInput>(i);
        PadState::Held& held = state.held[static_cast<size_t>(i)];
        if (!pressed[static_cast<size_t>(i)]) {
            // A release acts only where the press began, and only for the inputs that wait for it.
            if (held.down && !held.ignored && held.pressedIn == target && ActsOnRelease(input, target)) {
                acting.push_back(input);
            }
            held = PadState::Held{};
            continue;
        }
        if (!held.down) {
            held.down = true;
            held.ignored = state.fresh || target == PadTarget::None;
            held.pressedIn = target;
            held.nextRepeat = now + kPadRepeatDelayMs;
            if (!held.ignored && !ActsOnRelease(input, target)) acting.push_back(input);
            continue;
        }
        if (IsDirection(input) && !held.ignored && target != PadTarget::None && now >= held.nextRepeat) {
            acting.push_back(input);
            held.nextRepeat = now + kPadRepeatIntervalMs;
        }
    }
    state.fresh = false;
    return acting;
}

FocusKind FocusKindOf(const wchar_t* className, LONG style) {
    if (!className) return FocusKind::Other;
    if (_wcsicmp(className, L"ComboBox") == 0) return FocusKind::ComboBox;
    if (_wcsicmp(className, L"Button") != 0) return FocusKind::Other;
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return FocusKind::CheckBox;
    default:
        return FocusKind::Button;
    }
}

PadStroke StrokeFor(PadInput input, PadTarget target, FocusKind focus) {
    const PadStroke nothing;
    auto key = [](UINT vk) { return PadStroke{PadStroke::Key, vk}; };
    const bool choice = focus == FocusKind::ComboBox;
    const bool box = focus == FocusKind::CheckBox;
    switch (target) {
    case PadTarget::Home:
    case PadTarget::MessageBox: {
        // The home window's controls and a dialog box's buttons take the arrow keys themselves.
        const bool home = target == PadTarget::Home;
        switch (input) {
        case PadInput::Left: return key(VK_LEFT);
        case PadInput::Right: return key(VK_RIGHT);
        case PadInput::Up: return PadStroke{PadStroke::TabBackward, 0};
        case PadInput::Down: return PadStroke{PadStroke::TabForward, 0};
        case PadInput::Accept: return key(VK_RETURN);
        case PadInput::Back: return home ? nothing : key(VK_ESCAPE);  // `b` never closes the Launcher
        case PadInput::Start: return home ? PadStroke{PadStroke::Play, 0} : nothing;
        default: return nothing;
        }
    }
    case PadTarget::Secondary:
        switch (input) {
        // A closed drop-down list steps through its choices with Up and Down, and notifies as a
        // user's choice does; a check box toggles with Space.
        case PadInput::Left: return choice ? key(VK_UP) : box ? key(VK_SPACE) : nothing;
        case PadInput::Right: return choice ? key(VK_DOWN) : box ? key(VK_SPACE) : nothing;
        case PadInput::Up: return PadStroke{PadStroke::TabBackward, 0};
        case PadInput::Down: return PadStroke{PadStroke::TabForward, 0};
        case PadInput::Accept: return (focus == FocusKind::Button || box) ? key(VK_SPACE) : key(VK_RETURN);
        // As the close box: Esc does nothing in the video window, and elsewhere it does the same.
        case PadInput::Back: return PadStroke{PadStroke::Close, 0};
        default: return nothing;
        }
    case PadTarget::FolderBrowser:
        // The browser's own keys: rows, pages, open, up a level, choose.
        switch (input) {
        case PadInput::Up: return key(VK_UP);
        case PadInput::Down: return key(VK_DOWN);
        case PadInput::Left: return key(VK_PRIOR);
        case PadInput::Right: return key(VK_NEXT);
        case PadInput::Accept: return key(VK_RETURN);
        case PadInput::Back: return key(VK_BACK);
        case PadInput::West: return key(VK_SPACE);
        case PadInput::North: return key(kChooseShownKey);
        default: return nothing;
        }
    case PadTarget::KeyCapture:
        // The editor waits for a keyboard key: the pad can only end the wait, as Esc does.
        return input == PadInput::Back ? key(VK_ESCAPE) : nothing;
    default:
        return nothing;
    }
}
