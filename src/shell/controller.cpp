#include "shell/controller.h"

#include <cstring>

#include "platform/files.h"

IDirectInput8W* DirectInput = nullptr;
IDirectInputDevice8W* Controller = nullptr;
DIJOYSTATE2 ControllerState{};
bool ControllerPresent = true;

namespace {

constexpr LONG kAxisMin = -1000;
constexpr LONG kAxisMax = 1000;
// Acquire is asked again while input is lost, but a device that keeps saying so must not
// hang the loop: the next pass tries again anyway.
constexpr int kAcquireAttempts = 100;

BOOL TakeFirstController(const DIDEVICEINSTANCEW* instance, void*)
{
    if (FAILED(DirectInput->CreateDevice(instance->guidInstance, &Controller, nullptr))) {
        Controller = nullptr;
        return DIENUM_CONTINUE;
    }
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

}  // namespace

HRESULT SetupController(HWND window)
{
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
    hr = Controller->SetDataFormat(&c_dfDIJoystick2);
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

void PollController()
{
    if (Controller == nullptr) {
        return;
    }
    if (FAILED(Controller->Poll())) {
        for (int attempt = 0; attempt < kAcquireAttempts && Controller->Acquire() == DIERR_INPUTLOST; ++attempt) {
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
}
