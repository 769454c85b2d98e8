#include "shell/controller.h"

#include <cstring>

#include "platform/files/files.h"

IDirectInput8W* DirectInput = nullptr;
IDirectInputDevice8W* Controller = nullptr;
DIJOYSTATE2 ControllerState{};
bool ControllerPresent = true;
char ControllerName[kDiNameLength] = {};

namespace {

constexpr LONG kAxisMin = -1000;
constexpr LONG kAxisMax = 1000;
// Acquire is asked again while input is lost, but a device that keeps saying so must not
// hang the loop: the next pass tries again anyway.
constexpr int kAcquireAttempts = 100;
// Passes between looks for a controller plugged in later: a few a second at any frame rate
// the game runs at, and listing the controllers costs little.
constexpr int kPassesBetweenLooks = 30;

HWND ControllerWindow = nullptr;
int PassesUntilLook = 0;

BOOL TakeFirstController(const DIDEVICEINSTANCEW* instance, void*)
{
    if (FAILED(DirectInput->CreateDevice(instance->guidInstance, &Controller, nullptr))) {
        Controller = nullptr;
        return DIENUM_CONTINUE;
    }
    std::memcpy(ControllerName, instance->tszProductName, sizeof ControllerName);
    ControllerName[sizeof ControllerName - 1] = '\0';
    return DIENUM_STOP;
}

BOOL SetAxisRange(const DIDEVICEOBJECTINSTANCEW* object, void*)
{
    if ((object->dwType & DIDFT_AXIS) == 0) {
        return DIENUM_CONTINUE;
    }
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(DIPROPRANGE);
    range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    range.diph.dwObj = object->dwType;
    range.diph.dwHow = DIPH_BYID;
    range.lMin = kAxisMin;
    range.lMax = kAxisMax;
    return FAILED(Controller->SetProperty(DIPROP_RANGE, &range.diph)) ? DIENUM_STOP : DIENUM_CONTINUE;
}

HRESULT PrepareController(HWND window)
{
    HRESULT hr = Controller->SetDataFormat(&c_dfDIJoystick2);
    if (FAILED(hr)) {
        return hr;
    }
    hr = Controller->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(hr)) {
        return hr;
    }
    hr = Controller->EnumObjects(SetAxisRange, window, DIDFT_ALL);
    return FAILED(hr) ? hr : S_OK;
}

// The controller went away: its last state must not keep steering.
void DropController()
{
    Controller->Release();
    Controller = nullptr;
    ControllerName[0] = '\0';
    std::memset(&ControllerState, 0, sizeof ControllerState);
    PassesUntilLook = 0;
}

// A controller plugged in after start-up is taken up as the first one was, and as a new
// device its button 0 counts again.
void LookForController()
{
    if (DirectInput == nullptr || ControllerWindow == nullptr || --PassesUntilLook > 0) {
        return;
    }
    PassesUntilLook = kPassesBetweenLooks;
    if (FAILED(DirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, TakeFirstController, nullptr, DIEDFL_ATTACHEDONLY)) ||
        Controller == nullptr) {
        return;
    }
    if (FAILED(PrepareController(ControllerWindow))) {
        DropController();
        PassesUntilLook = kPassesBetweenLooks;
        return;
    }
    ControllerPresent = true;
}

}  // namespace

HRESULT SetupController(HWND window)
{
    ControllerWindow = window;
    PassesUntilLook = kPassesBetweenLooks;
    HRESULT hr = DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, &DirectInput,
                                    nullptr);
    if (FAILED(hr)) {
        DirectInput = nullptr;
        return hr;
    }
    hr = DirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, TakeFirstController, nullptr, DIEDFL_ATTACHEDONLY);
    if (FAILED(hr)) {
        return hr;
    }
    if (Controller == nullptr) {
        return S_OK;
    }
    return PrepareController(window);
}

void PollController()
{
    if (Controller == nullptr) {
        LookForController();
        return;
    }
    if (FAILED(Controller->Poll())) {
        HRESULT acquired = Controller->Acquire();
        for (int attempt = 1; attempt < kAcquireAttempts && acquired == DIERR_INPUTLOST; ++attempt) {
            acquired = Controller->Acquire();
        }
        if (acquired == DIERR_UNPLUGGED) {
            DropController();
        }
        return;
    }
    if (FAILED(Controller->GetDeviceState(sizeof(DIJOYSTATE2), &ControllerState))) {
        ControllerPresent = false;
    }
}

void ReleaseController()
{
    if (Controller != nullptr) {
        Controller->Unacquire();
        Controller->Release();
        Controller = nullptr;
    }
    if (DirectInput != nullptr) {
        DirectInput->Release();
        DirectInput = nullptr;
    }
    std::memset(&ControllerState, 0, sizeof ControllerState);
    ControllerPresent = true;
    ControllerName[0] = '\0';
    ControllerWindow = nullptr;
    PassesUntilLook = 0;
}
