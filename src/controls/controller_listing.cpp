#include "controls/controller_listing.h"

#include <windows.h>

#include "controls/controller_input.h"
#include "controls/controls_profile.h"

namespace {
const wchar_t* ControllerTypeName(SDL_GameControllerType type) {
    switch (type) {
    case SDL_CONTROLLER_TYPE_XBOX360: return L"Xbox 360";
    case SDL_CONTROLLER_TYPE_XBOXONE: return L"Xbox One";
    case SDL_CONTROLLER_TYPE_PS3: return L"PlayStation 3";
    case SDL_CONTROLLER_TYPE_PS4: return L"PlayStation 4";
    case SDL_CONTROLLER_TYPE_PS5: return L"PlayStation 5";
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO: return L"Switch Pro";
    case SDL_CONTROLLER_TYPE_VIRTUAL: return L"virtual";
    case SDL_CONTROLLER_TYPE_AMAZON_LUNA: return L"Amazon Luna";
    case SDL_CONTROLLER_TYPE_GOOGLE_STADIA: return L"Google Stadia";
    case SDL_CONTROLLER_TYPE_NVIDIA_SHIELD: return L"NVIDIA Shield";
    default: return L"unknown type";
    }
}

}  // namespace

std::vector<std::wstring> ConnectedControllerLines() {
    std::vector<std::wstring> lines;
    if (!ControllersStarted()) return lines;
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        const bool controller = SDL_IsGameController(i) == SDL_TRUE;
        std::wstring name = WideFromUtf8(controller ? SDL_GameControllerNameForIndex(i) : SDL_JoystickNameForIndex(i));
        if (name.empty()) name = L"(no name)";
        char guid[64] = {};
        SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(i), guid, sizeof(guid));
        const std::wstring type =
            controller ? ControllerTypeName(SDL_GameControllerTypeForIndex(i)) : std::wstring(L"joystick, no mapping");
        lines.push_back(name + L" (" + type + L"), GUID " + WideFromUtf8(guid));
    }
    return lines;
}
