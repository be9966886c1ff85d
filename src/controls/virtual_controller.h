#pragma once
#include "controls/sdl_api.h"

// An SDL virtual game controller (6 axes, 21 buttons), closed and detached however its owner ends.
class VirtualController {
public:
    // Vendor and product 0 give no USB ids: SDL then calls it a virtual controller.
    explicit VirtualController(const char* name, Uint16 vendor = 0, Uint16 product = 0) {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = 6;
        desc.nbuttons = 21;
        desc.nhats = 0;
        desc.button_mask = 0x1FFFFF;
        desc.axis_mask = 0x3F;
        desc.name = name;
        desc.vendor_id = vendor;
        desc.product_id = product;
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index < 0) return;
        instance_ = SDL_JoystickGetDeviceInstanceID(index);
        joystick_ = SDL_JoystickOpen(index);
        if (!joystick_) return;
        SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);  // triggers at rest
        SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
        SDL_JoystickUpdate();
    }
    ~VirtualController() { Detach(); }
    // Pulled out: closed and gone from SDL's device list.
    void Detach() {
        if (joystick_) SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        // Device indices move when controllers come and go; the instance id does not.
        for (int index = 0; instance_ >= 0 && index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == instance_) {
                SDL_JoystickDetachVirtual(index);
                break;
            }
        }
        instance_ = -1;
    }
    VirtualController(const VirtualController&) = delete;
    VirtualController& operator=(const VirtualController&) = delete;
    SDL_Joystick* joystick() const { return joystick_; }

private:
    SDL_JoystickID instance_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

