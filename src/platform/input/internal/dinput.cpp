// The controllers as DirectInput objects: instance ids, the object list, enumeration,
// creation, and each device's format, level, axis ranges, acquisition and state reads.

#include "platform/input/dinput.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

#include <SDL.h>

#include "platform/input/internal/dinput_mapping.h"
#include "platform/files/files.h"
#include "platform/window/internal/window_internal.h"

const GUID dinput_objects::DIPROP_RANGE{0x00000004, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID dinput_objects::IID_IDirectInput8W{
    0xBF798031, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const DIDATAFORMAT dinput_objects::c_dfDIJoystick2{sizeof(DIJOYSTATE2)};

namespace {

// Instance ids carry SDL's joystick instance id in Data1 and this mark in the rest.
constexpr GUID kInstanceMark{0, 0x5344, 0x4C4A, {'C', 'T', 'R', 'L', 0, 0, 0, 1}};

GUID InstanceGuid(SDL_JoystickID id)
{
    GUID guid = kInstanceMark;
    guid.Data1 = static_cast<std::uint32_t>(id);
    return guid;
}

constexpr int kObjectCount = kAxisCount + 1 + kControllerButtonCount;

// Axes in ControllerAxis order, then the POV, then the buttons.
DWORD ObjectType(int index)
{
    if (index < kAxisCount) {
        return DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(static_cast<DWORD>(index));
    }
    if (index == kAxisCount) {
        return DIDFT_POV | DIDFT_MAKEINSTANCE(0);
    }
    return DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(static_cast<DWORD>(index - kAxisCount - 1));
}

// Extra mappings for controllers SDL does not know, kept beside the game's data.
void LoadExtraMappings()
{
    char program[kMaxPath];
    std::string folder;
    const DWORD length = GetModuleFileNameW(nullptr, program, kMaxPath);
    if (length > 0 && length < static_cast<DWORD>(kMaxPath)) {
        folder = program;
        const size_t slash = folder.find_last_of("/\\");
        folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    }
    const std::string candidates[] = {
        "data/gamecontrollerdb.txt",           "gamecontrollerdb.txt",
        folder + "/data/gamecontrollerdb.txt", folder + "/../data/gamecontrollerdb.txt",
        folder + "/gamecontrollerdb.txt",
    };
    for (const std::string& candidate : candidates) {
        if (GetFileAttributesW(candidate.c_str()) == FILE_ATTRIBUTE_NORMAL) {
            SDL_GameControllerAddMappingsFromFile(candidate.c_str());
            return;
        }
    }
}

bool StartControllers()
{
    // Foreground rules are this layer's own (the window layer's focus); SDL must not also drop
    // input while no SDL window has its keyboard focus, as under headless video.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return false;
    }
    // Polling reads the devices itself; events would only pile up in SDL's queue.
    SDL_GameControllerEventState(SDL_IGNORE);
    SDL_JoystickEventState(SDL_IGNORE);
    return true;
}

}  // namespace

// One opened controller with its DirectInput settings.
struct ControllerDevice {
    ControllerDevice(SDL_GameController* opened, SDL_JoystickID joystick) : controller(opened), id(joystick)
    {
        if (auto slot = std::find(std::begin(Devices), std::end(Devices), nullptr); slot != std::end(Devices)) {
            *slot = this;
        }
    }
    ~ControllerDevice()
    {
        std::replace(std::begin(Devices), std::end(Devices), this, static_cast<ControllerDevice*>(nullptr));
        SDL_GameControllerClose(controller);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    // Losing the controller, or the focus once a window is set, ends the acquisition; the
    // caller names the result for each.
    HRESULT CheckStillHeld(HRESULT unplugged = DIERR_INPUTLOST, HRESULT unfocused = DIERR_INPUTLOST)
    {
        const bool attached = SDL_GameControllerGetAttached(controller);
        const bool focused = window == nullptr || window_internal::HasFocus(window);
        const HRESULT lost = !attached ? unplugged : (!focused ? unfocused : DI_OK);
        acquired = acquired && lost == DI_OK;
        return lost;
    }

    static constexpr int kMaxDevices = 16;
    static inline ControllerDevice* Devices[kMaxDevices] = {};

    SDL_GameController* controller;
    SDL_JoystickID id;
    AxisRange ranges[kAxisCount] = {kDefaultAxisRange, kDefaultAxisRange, kDefaultAxisRange,
                                    kDefaultAxisRange, kDefaultAxisRange, kDefaultAxisRange};
    HWND window = nullptr;  // set by the cooperative level: foreground and exclusive from then on
    bool formatSet = false;
    bool acquired = false;
};

IDirectInputDevice8W::IDirectInputDevice8W(ControllerDevice* device) : device_(device) {}
IDirectInputDevice8W::~IDirectInputDevice8W() { delete device_; }

HRESULT IDirectInputDevice8W::SetDataFormat(const DIDATAFORMAT* format)
{
    if (device_->acquired) {
        return DIERR_ACQUIRED;
    }
    if (format != &c_dfDIJoystick2) {
        return DIERR_INVALIDPARAM;
    }
    device_->formatSet = true;
    return DI_OK;
}

HRESULT IDirectInputDevice8W::SetCooperativeLevel(HWND window, DWORD flags)
{
    const HRESULT refusal = flags != (DISCL_EXCLUSIVE | DISCL_FOREGROUND) ? DIERR_INVALIDPARAM
                            : !window_internal::IsLive(window)            ? E_HANDLE
                            : device_->acquired                           ? DIERR_ACQUIRED
                                                                          : DI_OK;
    if (refusal == DI_OK) {
        device_->window = window;
    }
    return refusal;
}

HRESULT IDirectInputDevice8W::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, void* context, DWORD)
{
    if (callback == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    for (int i = 0; i < kObjectCount; ++i) {
        const DIDEVICEOBJECTINSTANCEW object{sizeof object, ObjectType(i)};
        if (callback(&object, context) == DIENUM_STOP) {
            break;
        }
    }
    return DI_OK;
}

HRESULT IDirectInputDevice8W::SetProperty(const GUID& property, const DIPROPHEADER* header)
{
    if (!(property == DIPROP_RANGE)) {
        return DIERR_UNSUPPORTED;
    }
    if (header == nullptr || header->dwSize != sizeof(DIPROPRANGE) || header->dwHeaderSize != sizeof(DIPROPHEADER) ||
        header->dwHow != DIPH_BYID) {
        return DIERR_INVALIDPARAM;
    }
    int found = -1;
    for (int i = 0; i < kObjectCount && found < 0; ++i) {
        const DWORD type = ObjectType(i);
        if (DIDFT_GETINSTANCE(type) == DIDFT_GETINSTANCE(header->dwObj) &&
            (DIDFT_GETTYPE(type) & DIDFT_GETTYPE(header->dwObj)) != 0) {
            found = i;
        }
    }
    // Buttons and the hat have no range.
    const auto* request = reinterpret_cast<const DIPROPRANGE*>(header);
    const HRESULT refusal = found < 0                        ? DIERR_OBJECTNOTFOUND
                            : found >= kAxisCount            ? DIERR_UNSUPPORTED
                            : device_->acquired              ? DIERR_ACQUIRED
                            : request->lMin >= request->lMax ? DIERR_INVALIDPARAM
                                                             : DI_OK;
    if (refusal == DI_OK) {
        device_->ranges[found] = AxisRange{request->lMin, request->lMax};
    }
    return refusal;
}

HRESULT IDirectInputDevice8W::Acquire()
{
    ControllerDevice& d = *device_;
    if (!d.formatSet) {
        return DIERR_INVALIDPARAM;
    }
    if (const HRESULT held = d.CheckStillHeld(DIERR_UNPLUGGED, DIERR_OTHERAPPHASPRIO); FAILED(held)) {
        return held;
    }
    if (d.acquired) {
        return S_FALSE;
    }
    for (const ControllerDevice* other : ControllerDevice::Devices) {
        if (d.window != nullptr && other != nullptr && other != &d && other->id == d.id && other->acquired &&
            other->window != nullptr) {
            return DIERR_OTHERAPPHASPRIO;
        }
    }
    d.acquired = true;
    return DI_OK;
}

HRESULT IDirectInputDevice8W::Unacquire() { return std::exchange(device_->acquired, false) ? DI_OK : DI_NOEFFECT; }

HRESULT IDirectInputDevice8W::Poll()
{
    if (!device_->acquired) {
        return DIERR_NOTACQUIRED;
    }
    SDL_GameControllerUpdate();
    return device_->CheckStillHeld();
}

HRESULT IDirectInputDevice8W::GetDeviceState(DWORD size, void* data)
{
    if (data == nullptr || !device_->formatSet || size != sizeof(DIJOYSTATE2)) {
        return DIERR_INVALIDPARAM;
    }
    if (const HRESULT held = device_->acquired ? device_->CheckStillHeld() : DIERR_NOTACQUIRED; FAILED(held)) {
        return held;
    }
    RawControllerState raw{};
    for (int axis = 0; axis < SDL_CONTROLLER_AXIS_MAX; ++axis) {
        raw.axes[axis] = SDL_GameControllerGetAxis(device_->controller, static_cast<SDL_GameControllerAxis>(axis));
    }
    for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
        raw.buttons[button] =
            SDL_GameControllerGetButton(device_->controller, static_cast<SDL_GameControllerButton>(button));
    }
    MapControllerState(raw, device_->ranges, static_cast<DIJOYSTATE2*>(data));
    return DI_OK;
}

IDirectInput8W::~IDirectInput8W() { SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER); }

HRESULT IDirectInput8W::EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, void* context, DWORD flags)
{
    if (callback == nullptr || deviceClass != DI8DEVCLASS_GAMECTRL || flags != DIEDFL_ATTACHEDONLY) {
        return DIERR_INVALIDPARAM;
    }
    SDL_GameControllerUpdate();  // notices controllers plugged in since the last look
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (!SDL_IsGameController(index)) {
            continue;
        }
        DIDEVICEINSTANCEW instance{sizeof instance, InstanceGuid(SDL_JoystickGetDeviceInstanceID(index)), {}};
        const char* name = SDL_GameControllerNameForIndex(index);
        std::snprintf(instance.tszProductName, kDiNameLength, "%s", name != nullptr ? name : "");
        if (callback(&instance, context) == DIENUM_STOP) {
            break;
        }
    }
    return DI_OK;
}

HRESULT IDirectInput8W::CreateDevice(const GUID& instance, IDirectInputDevice8W** device, void* outer)
{
    if (device == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *device = nullptr;
    if (outer != nullptr) {
        return DIERR_NOAGGREGATION;
    }
    const auto id = static_cast<SDL_JoystickID>(instance.Data1);
    const bool ours = instance == InstanceGuid(id);
    for (int index = 0; ours && index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) != id || !SDL_IsGameController(index)) {
            continue;
        }
        if (!StartControllers()) {
            return DIERR_GENERIC;
        }
        SDL_GameController* controller = SDL_GameControllerOpen(index);
        if (controller == nullptr) {
            SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
            return DIERR_DEVICENOTREG;
        }
        *device = new IDirectInputDevice8W(new ControllerDevice(controller, id));
        return DI_OK;
    }
    return DIERR_DEVICENOTREG;
}

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& interfaceId, IDirectInput8W** out,
                           void* outer)
{
    if (out == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *out = nullptr;
    const HRESULT refusal = instance == nullptr                    ? DIERR_INVALIDPARAM
                            : version < DIRECTINPUT_VERSION        ? DIERR_OLDDIRECTINPUTVERSION
                            : version > DIRECTINPUT_VERSION        ? DIERR_BETADIRECTINPUTVERSION
                            : !(interfaceId == IID_IDirectInput8W) ? DIERR_NOINTERFACE
                            : outer != nullptr                     ? DIERR_NOAGGREGATION
                                                                   : DI_OK;
    if (refusal != DI_OK) {
        return refusal;
    }
    if (!StartControllers()) {
        return DIERR_GENERIC;
    }
    LoadExtraMappings();
    *out = new IDirectInput8W();
    return DI_OK;
}
