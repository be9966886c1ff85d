#include "controls/controls_profile.h"

#include <utility>
#include <vector>

#include "app/verified_file_replace.h"
#include "controls/sdl_api.h"

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kSection[] = L"controls";
constexpr int kFormatVersion = 1;
constexpr int kMaxButton = 20;
constexpr int kMaxAxis = 5;

struct ActionRow {
    const wchar_t* id;
    const wchar_t* label;
    int defaultKey;
    int defaultButton;
};
constexpr ActionRow kActions[kActionCount] = {
    {L"menu_up", L"Menu: up", 82, 11},
    {L"menu_down", L"Menu: down", 81, 12},
    {L"left", L"Steer left", 80, 13},
    {L"right", L"Steer right", 79, 14},
    {L"throttle", L"Accelerate / button B", 27, 0},
    {L"brake", L"Brake / button A", 29, 1},
    {L"shift_up", L"Shift up", 8, 10},
    {L"shift_down", L"Shift down", 20, 9},
    {L"aux_c", L"Button C / confirm", 6, 2},
    {L"start", L"Start / pause", 40, 6},
};

constexpr const wchar_t* kButtonNames[] = {
    L"A / Cross", L"B / Circle", L"X / Square", L"Y / Triangle", L"Back / Select",
    L"Guide",     L"Start / Options", L"L3", L"R3", L"LB / L1",
    L"RB / R1",   L"D-pad up", L"D-pad down", L"D-pad left", L"D-pad right",
};
constexpr const wchar_t* kAxisNames[] = {
    L"Left stick horizontal", L"Left stick vertical", L"Right stick horizontal",
    L"Right stick vertical",  L"LT / L2",             L"RT / R2",
};

int ReadInt(const fs::path& file, const std::wstring& key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(kSection, key.c_str(), fallback, file.c_str()));
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

ActionBinding LoadBinding(const fs::path& file, const std::wstring& id, const ActionBinding& fallback) {
    ActionBinding binding = fallback;
    const int key = ReadInt(file, id + L"_key", fallback.key);
    if (key == 0 || IsAcceptableKey(key)) binding.key = key;

    const int kind = ReadInt(file, id + L"_kind", fallback.kind);
    const int code = ReadInt(file, id + L"_code", fallback.code);
    const int sign = ReadInt(file, id + L"_sign", fallback.sign);
    if (kind == kBindingNone) {
        binding.kind = kBindingNone;  // code and sign keep the default's values; nothing reads them
    } else if (kind == kBindingButton && static_cast<unsigned>(code) <= kMaxButton) {
        binding.kind = kBindingButton;
        binding.code = code;
        binding.sign = 0;
    } else if (kind == kBindingAxis && static_cast<unsigned>(code) <= kMaxAxis && (sign == -1 || sign == 1)) {
        binding.kind = kBindingAxis;
        binding.code = code;
        binding.sign = sign;
    } else {
        binding.kind = fallback.kind;  // a binding the games cannot use leaves the default whole
        binding.code = fallback.code;
        binding.sign = fallback.sign;
    }
    return binding;
}

// Every key of the file, in its order.
std::vector<std::pair<std::wstring, int>> FileEntries(const ControlsProfile& profile) {
    std::vector<std::pair<std::wstring, int>> entries = {
        {L"version", kFormatVersion},
        {L"deadzone", profile.deadzone},
        {L"controller_slot", profile.controllerSlot},
        {L"steering_stick", profile.steeringStick},
        {L"pulse_pedals", profile.pulsePedals},
    };
    for (int i = 0; i < kActionCount; ++i) {
        const std::wstring id = kActions[i].id;
        const ActionBinding& b = profile.bindings[static_cast<size_t>(i)];
        entries.emplace_back(id + L"_key", b.key);
        entries.emplace_back(id + L"_kind", b.kind);
        entries.emplace_back(id + L"_code", b.code);
        entries.emplace_back(id + L"_sign", b.sign);
    }
    return entries;
}
}  // namespace

bool operator==(const ActionBinding& a, const ActionBinding& b) {
    return a.key == b.key && a.kind == b.kind && a.code == b.code && a.sign == b.sign;
}

bool operator==(const ControlsProfile& a, const ControlsProfile& b) {
    for (int i = 0; i < kActionCount; ++i) {
        if (!(a.bindings[static_cast<size_t>(i)] == b.bindings[static_cast<size_t>(i)])) return false;
    }
    return a.deadzone == b.deadzone && a.controllerSlot == b.controllerSlot &&
           a.steeringStick == b.steeringStick && a.pulsePedals == b.pulsePedals;
}

ControlsProfile DefaultControlsProfile() {
    ControlsProfile profile;
    for (int i = 0; i < kActionCount; ++i) {
        profile.bindings[static_cast<size_t>(i)] = ActionBinding{kActions[i].defaultKey, kBindingButton,
                                                                  kActions[i].defaultButton, 0};
    }
    return profile;
}

ControlsProfile LoadControlsProfile(const fs::path& path) {
    ControlsProfile profile = DefaultControlsProfile();
    if (path.empty()) return profile;
    profile.deadzone = Clamp(ReadInt(path, L"deadzone", profile.deadzone), 5, 50);
    profile.controllerSlot = Clamp(ReadInt(path, L"controller_slot", 0), 0, 5);
    profile.steeringStick = Clamp(ReadInt(path, L"steering_stick", 0), 0, 2);
    profile.pulsePedals = ReadInt(path, L"pulse_pedals", 0) != 0 ? 1 : 0;
    for (int i = 0; i < kActionCount; ++i) {
        ActionBinding& binding = profile.bindings[static_cast<size_t>(i)];
        binding = LoadBinding(path, kActions[i].id, binding);
    }
    return profile;
}

bool SaveControlsProfile(const ControlsProfile& profile, const fs::path& path) {
    std::vector<ProfileValue> values;
    for (const auto& [key, value] : FileEntries(profile)) values.push_back({kSection, key, std::to_wstring(value)});
    // The profile holds exactly the 45 keys: nothing of an earlier file is carried over.
    return ReplaceProfileFileVerified(path, values, ProfileReplaceOptions{false});
}

bool IsAcceptableKey(int scancode) {
    if (scancode < 1 || scancode > 511) return false;
    if (scancode == 41 || scancode == 43) return false;  // Escape, Tab
    return scancode < 58 || scancode > 69;                // F1..F12
}

const wchar_t* ActionId(int index) {
    return (index >= 0 && index < kActionCount) ? kActions[index].id : L"";
}

std::wstring ActionLabel(int index) {
    return (index >= 0 && index < kActionCount) ? kActions[index].label : L"";
}

std::wstring KeyText(int scancode) {
    if (scancode == 0) return L"No key";
    return WideFromUtf8(SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)));
}

std::wstring ControllerText(const ActionBinding& binding) {
    switch (binding.kind) {
    case kBindingNone:
        return L"No button";
    case kBindingButton:
        if (binding.code >= 0 && binding.code <= 14) return kButtonNames[binding.code];
        return WideFromUtf8(
            SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(binding.code)));
    case kBindingAxis:
        if (binding.code >= 0 && binding.code <= 3) {
            return std::wstring(kAxisNames[binding.code]) + (binding.sign < 0 ? L" \u2212" : L" +");
        }
        if (binding.code == 4 || binding.code == 5) return kAxisNames[binding.code];
        return L"Eixo";
    default:
        return L"";
    }
}

std::wstring WideFromUtf8(const char* text) {
    if (!text) return L"";
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1) return L"";
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));  // the terminator
    return wide;
}
