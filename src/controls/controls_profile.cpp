#include "controls/controls_profile.h"

#include <utility>
#include <vector>

#include "app/verified_file_replace.h"
#include "controls/sdl_api.h"
#include "texts/texts.h"

namespace fs = std::filesystem;

namespace {
constexpr wchar_t kSection[] = L"controls";
constexpr int kFormatVersion = 1;
constexpr int kMaxButton = 20;
constexpr int kMaxAxis = 5;

struct ActionRow {
    const wchar_t* id;      // its keys' names in controls.ini
    const char* labelKey;  // the text the editor shows
    int defaultKey;
    int defaultButton;
};
constexpr ActionRow kActions[kActionCount] = {
    {L"menu_up", "controls.action.menu_up", 82, 11},
    {L"menu_down", "controls.action.menu_down", 81, 12},
    {L"left", "controls.action.left", 80, 13},
    {L"right", "controls.action.right", 79, 14},
    {L"throttle", "controls.action.throttle", 27, 0},
    {L"brake", "controls.action.brake", 29, 1},
    {L"shift_up", "controls.action.shift_up", 8, 10},
    {L"shift_down", "controls.action.shift_down", 20, 9},
    {L"aux_c", "controls.action.aux_c", 6, 2},
    {L"start", "controls.action.start", 40, 6},
};

// A pad's inputs by SDL's numbering: a text of the table, or a name every language keeps.
struct InputName {
    const char* key;
    const wchar_t* name;
};
constexpr InputName kButtonNames[] = {
    {"controls.pad.a", nullptr},       {"controls.pad.b", nullptr},         {"controls.pad.x", nullptr},
    {"controls.pad.y", nullptr},       {"controls.pad.back", nullptr},      {"controls.pad.guide", nullptr},
    {"controls.pad.start", nullptr},   {nullptr, L"L3"},                    {nullptr, L"R3"},
    {nullptr, L"LB / L1"},             {nullptr, L"RB / R1"},               {"controls.pad.dpad_up", nullptr},
    {"controls.pad.dpad_down", nullptr}, {"controls.pad.dpad_left", nullptr}, {"controls.pad.dpad_right", nullptr},
};
constexpr InputName kAxisNames[] = {
    {"controls.pad.left_x", nullptr},  {"controls.pad.left_y", nullptr}, {"controls.pad.right_x", nullptr},
    {"controls.pad.right_y", nullptr}, {nullptr, L"LT / L2"},            {nullptr, L"RT / R2"},
};

std::wstring NameOf(const InputName& input) { return input.key ? Text(input.key) : std::wstring(input.name); }

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
    return (index >= 0 && index < kActionCount) ? Text(kActions[index].labelKey) : L"";
}

std::wstring KeyText(int scancode) {
    if (scancode == 0) return Text("controls.binding.no_key");
    return WideFromUtf8(SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)));
}

std::wstring ControllerText(const ActionBinding& binding) {
    switch (binding.kind) {
    case kBindingNone:
        return Text("controls.binding.no_button");
    case kBindingButton:
        if (binding.code >= 0 && binding.code <= 14) return NameOf(kButtonNames[binding.code]);
        return WideFromUtf8(
            SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(binding.code)));
    case kBindingAxis:
        if (binding.code >= 0 && binding.code <= 3) {
            return NameOf(kAxisNames[binding.code]) + (binding.sign < 0 ? L" \u2212" : L" +");
        }
        if (binding.code == 4 || binding.code == 5) return NameOf(kAxisNames[binding.code]);
        return Text("controls.binding.unknown_axis");
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
