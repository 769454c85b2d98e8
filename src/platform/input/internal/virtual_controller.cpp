// A software controller: an SDL virtual joystick whose axis values are chosen so that the
// game reads back exactly the stick values set, for tools and tests that script the pad.

#include "platform/input/virtual_controller.h"

#include <SDL.h>

#include "platform/input/internal/dinput_mapping.h"

constexpr LONG kGameRange = 1000;

struct VirtualController::Device {
    SDL_Joystick* joystick = nullptr;
    // For each game value, an SDL value the controller layer scales onto exactly it.
    Sint16 preimage[2 * kGameRange + 1] = {};
};

// The joystick stays attached until SDL shuts down: the game's controller may still hold it.
VirtualController::~VirtualController() { delete device_; }

bool VirtualController::Attach(const char* name)
{
    if (device_ != nullptr || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return false;
    }
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0) {
        // Its raw buttons and axes are in SDL's own order, which SDL's own mapping for it
        // follows; but where SDL has a default mapping for unknown devices (a browser's
        // standard gamepad) that wins. Ours becomes the default here: only tools and tests
        // attach this controller. The hint keeps it over a restart of the subsystem.
        const char* const mapping =
            "default,virtual,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,rightstick:b8,"
            "leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,leftx:a0,lefty:a1,"
            "rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,";
        SDL_GameControllerAddMapping(mapping);
        SDL_SetHint(SDL_HINT_GAMECONTROLLERCONFIG, mapping);
    }
    SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (joystick == nullptr) {
        return false;
    }
    device_ = new Device{joystick};
    const AxisRange range{-kGameRange, kGameRange};
    for (int v = 32767; v >= -32768; --v) {
        const LONG scaled = ScaleStickAxis(static_cast<Sint16>(v), range);
        if (scaled >= -kGameRange && scaled <= kGameRange) {
            device_->preimage[scaled + kGameRange] = static_cast<Sint16>(v);
        }
    }
    return true;
}

void VirtualController::SetSticks(LONG lx, LONG ly, LONG rx, LONG ry)
{
    if (device_ == nullptr) {
        return;
    }
    auto axis = [this](LONG value) {
        const LONG clamped = value < -kGameRange ? -kGameRange : (value > kGameRange ? kGameRange : value);
        return device_->preimage[clamped + kGameRange];
    };
    SDL_JoystickSetVirtualAxis(device_->joystick, SDL_CONTROLLER_AXIS_LEFTX, axis(lx));
    SDL_JoystickSetVirtualAxis(device_->joystick, SDL_CONTROLLER_AXIS_LEFTY, axis(ly));
    SDL_JoystickSetVirtualAxis(device_->joystick, SDL_CONTROLLER_AXIS_RIGHTX, axis(rx));
    SDL_JoystickSetVirtualAxis(device_->joystick, SDL_CONTROLLER_AXIS_RIGHTY, axis(ry));
}

void VirtualController::SetButton(int index, bool down)
{
    if (device_ != nullptr) {
        SDL_JoystickSetVirtualButton(device_->joystick, ControllerButtonAt(index), down ? SDL_PRESSED : SDL_RELEASED);
    }
}
