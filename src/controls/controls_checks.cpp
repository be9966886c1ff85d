#include "controls/controls_checks.h"

#include "texts/texts.h"

namespace {
// The menu moves and the gear shifts are never live at the same moment in the games.
bool MayShare(int i, int j) {
    const auto menu = [](int a) { return a == kMenuUp || a == kMenuDown; };
    const auto shift = [](int a) { return a == kShiftUp || a == kShiftDown; };
    return (menu(i) && shift(j)) || (shift(i) && menu(j));
}

bool SteersOnAxisOf(const ControlsProfile& profile) {
    if (profile.steeringStick != 0 && profile.steeringStick != 1) return false;
    const int steeringAxis = profile.steeringStick == 0 ? 0 : 2;
    for (const int action : {kThrottle, kBrake, kShiftUp, kShiftDown}) {
        const ActionBinding& b = profile.bindings[static_cast<size_t>(action)];
        if (b.kind == kBindingAxis && b.code == steeringAxis) return true;
    }
    return false;
}

std::wstring ConflictText(const char* whatKey, int i, int j) {
    return FormatText("controls.refusal.conflict",
                      {{"input", Text(whatKey)}, {"first", ActionLabel(i)}, {"second", ActionLabel(j)}});
}
}  // namespace

std::wstring SaveRefusal(const ControlsProfile& profile) {
    if (SteersOnAxisOf(profile)) return Text("controls.refusal.steering_axis");
    for (int i = 0; i < kActionCount - 1; ++i) {
        for (int j = i + 1; j < kActionCount; ++j) {
            if (MayShare(i, j)) continue;
            const ActionBinding& a = profile.bindings[static_cast<size_t>(i)];
            const ActionBinding& b = profile.bindings[static_cast<size_t>(j)];
            if (a.key != 0 && a.key == b.key) return ConflictText("controls.refusal.same_key", i, j);
            if (a.kind != kBindingNone && a.kind == b.kind && a.code == b.code && a.sign == b.sign) {
                return ConflictText("controls.refusal.same_input", i, j);
            }
        }
    }
    return L"";
}
